#include "skins/ModINI.h"

namespace quillmar {
namespace {

// Position just past the last backslash, or none when the path cannot be split.
std::optional<std::size_t> SplitPoint(const std::string& path) {
    if (path.empty() || path.back() == '\\') return std::nullopt;
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string ReadIniValue(ProfileFiles& files, const std::string& section, const std::string& key,
                         const std::string& file) {
    return files.ReadString(file, section, key, "", kIniValueBufferChars);
}

std::optional<std::string> GetFolderPath(const std::string& path) {
    const std::optional<std::size_t> split = SplitPoint(path);
    if (!split) return std::nullopt;
    return path.substr(0, *split);
}

std::optional<std::string> GetFileName(const std::string& path) {
    const std::optional<std::size_t> split = SplitPoint(path);
    if (!split) return std::nullopt;
    return path.substr(*split);
}

}  // namespace quillmar

#include "posix/PosixSettingsStore.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quillmar::posix {
namespace {

// Settings values have no length limit of their own; this only bounds a damaged file.
constexpr std::size_t kValueChars = 1 << 20;

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return "";
}

bool MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

std::string PosixSettingsStore::DefaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = config != nullptr && config[0] == '/' ? config : HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/quillmar/";
}

PosixSettingsStore::PosixSettingsStore(std::string folder) : m_folder(std::move(folder)) {
    if (m_folder.empty() || m_folder.back() != '/') m_folder += '/';
}

std::string PosixSettingsStore::FileFor(const std::string& appName) const {
    if (appName.empty() || appName == "." || appName == ".." ||
        appName.find_first_of("/\\") != std::string::npos) {
        return "";
    }
    return m_folder + appName + ".ini";
}

std::string PosixSettingsStore::GetSetting(const std::string& appName, const std::string& section,
                                           const std::string& key, const std::string& fallback) {
    const std::string file = FileFor(appName);
    if (file.empty()) return fallback;
    // A value that is present but empty reads as empty, not as the fallback.
    static const std::string kAbsent = std::string("\x01quillmar-absent\x01");
    std::string value = m_files.ReadString(file, section, key, kAbsent, kValueChars);
    return value == kAbsent ? fallback : value;
}

SystemResult PosixSettingsStore::SaveSetting(const std::string& appName, const std::string& section,
                                             const std::string& key, const std::string& value) {
    const std::string file = FileFor(appName);
    if (file.empty()) return SystemResult::Failure(EINVAL, "Not an application name: " + appName);
    if (!MakeFolders(m_folder.substr(0, m_folder.size() - 1))) {
        return SystemResult::Failure(errno, std::strerror(errno));
    }
    // In quotes, which the reader takes off again: blanks and quotes of the value itself survive.
    return m_files.WriteString(file, section, key, "\"" + value + "\"");
}

}  // namespace quillmar::posix

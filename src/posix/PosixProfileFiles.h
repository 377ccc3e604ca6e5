#pragma once

#include "platform/ProfileFiles.h"

namespace quillmar::posix {

// Profile files read and written the way Wine's GetPrivateProfileString/WritePrivateProfileString do:
// blanks around names and values are dropped, a value in matching quotes loses them, the first of two
// equal sections or keys counts, and a write puts the whole file back in a tidy form (no blank lines,
// "key=value" lines, CR LF endings). Names compare without regard to ASCII case. Text is UTF-8.
// A relative path finds no file and writes nothing.
class PosixProfileFiles final : public ProfileFiles {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) override;
    // Refuses a section, key or value holding a line break, a key holding "=" and one starting with "[":
    // each would write lines the reader takes for other entries.
    SystemResult WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::optional<std::string>& value) override;
};

}  // namespace quillmar::posix

#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/SystemResult.h"

namespace quillmar {

// INI-format profile files by full path, as GetPrivateProfileString/WritePrivateProfileString see them:
// sections and keys ignore case.
class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;
    // At most bufferChars - 1 characters (code points) of the value; `fallback` when the file, section or
    // key is missing.
    virtual std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                   const std::string& fallback, std::size_t bufferChars) = 0;
    // No value removes the key. The file is created when missing.
    virtual SystemResult WriteString(const std::string& path, const std::string& section, const std::string& key,
                                     const std::optional<std::string>& value) = 0;
};

}  // namespace quillmar

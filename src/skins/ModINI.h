#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/ProfileFiles.h"

namespace quillmar {

// The buffer every profile value is read into: values come back cut to 254 characters.
inline constexpr std::size_t kIniValueBufferChars = 255;

// One value of a profile file; "" when the file, the section or the key is missing.
std::string ReadIniValue(ProfileFiles& files, const std::string& section, const std::string& key,
                         const std::string& file);

// Everything up to and including the last backslash ("" when there is none). None for an empty path or
// one that ends in a backslash.
std::optional<std::string> GetFolderPath(const std::string& path);
// Everything after the last backslash (the whole path when there is none); fails like GetFolderPath.
std::optional<std::string> GetFileName(const std::string& path);

}  // namespace quillmar

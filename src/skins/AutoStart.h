#pragma once

#include <string>

#include "platform/Registry.h"

namespace quillmar {

inline constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "QUILLMAR";

// Creates or opens the key and sets one string value in it. Reports the first call that failed, with the
// system's reason, so a caller never claims a write that did not happen.
SystemResult SaveRegString(Registry& registry, RegistryRoot root, const std::string& subKey,
                           const std::string& valueName, const std::string& data);

// The Run value that starts the program at logon. Quoted, so a path with blanks is not cut at the first
// blank by Windows (which would start "C:\Program.exe" for a program under "C:\Program Files").
std::string RunValueFor(const std::string& exePath);

// Whether the Run key now holds a non-empty "QUILLMAR" value, i.e. whether Windows will start us.
bool RunValueIsSet(Registry& registry);

}  // namespace quillmar

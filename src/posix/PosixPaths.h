#pragma once

#include <algorithm>
#include <string>

namespace quillmar::posix {

// The program forms its paths the Windows way (SkinsPath + name + "\"); off Windows a backslash is read
// as a folder separator so the same logic finds the same files.
inline std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Only absolute paths are used: a bare name must find no file rather than one in the working folder.
inline bool IsFullPath(const std::string& nativePath) {
    return !nativePath.empty() && nativePath.front() == '/';
}

}  // namespace quillmar::posix

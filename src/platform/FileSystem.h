#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/SystemResult.h"

namespace quillmar {

// Paths are the program's own (backslashes on Windows); names are UTF-8.
struct DirectoryEntry {
    std::string name;
    bool directory = false;
    bool hidden = false;
    bool system = false;
};

// (Method names avoid the Win32 macros CopyFile and DeleteFile.)
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The entries of a folder, without "." and "..", in the system's order; empty when it cannot be read.
    virtual std::vector<DirectoryEntry> ListDirectory(const std::string& folder) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual SystemResult Copy(const std::string& from, const std::string& to) = 0;
    virtual SystemResult Remove(const std::string& path) = 0;
};

}  // namespace quillmar

#pragma once

#include "platform/FileSystem.h"

namespace quillmar::win32 {

// FindFirstFileW and friends; entries carry the hidden and system attributes as Windows reports them.
class WinFileSystem final : public FileSystem {
public:
    std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override;
    // True for a file or a folder.
    bool FileExists(const std::string& path) override;
    // Replaces `to` (CopyFileW); copying a file onto itself fails and keeps it.
    SystemResult Copy(const std::string& from, const std::string& to) override;
    // Files only.
    SystemResult Remove(const std::string& path) override;
};

}  // namespace quillmar::win32

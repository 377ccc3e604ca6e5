#pragma once

#include "platform/FileSystem.h"

namespace quillmar::posix {

// Folders and files through POSIX calls. A name starting with "." counts as hidden; nothing is a system
// entry. Entries come in the order readdir gives them; links are followed.
class PosixFileSystem final : public FileSystem {
public:
    std::vector<DirectoryEntry> ListDirectory(const std::string& folder) override;
    // True for a file or a folder.
    bool FileExists(const std::string& path) override;
    // Replaces `to`, through a file beside it and a rename: a failed copy leaves `to` as it was, and
    // copying a file onto itself keeps it.
    SystemResult Copy(const std::string& from, const std::string& to) override;
    // Files only.
    SystemResult Remove(const std::string& path) override;
};

}  // namespace quillmar::posix

#include <gtest/gtest.h>

#include "contracts/FileSystemContract.h"
#include "contracts/ProfileFilesContract.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixProfileFiles.h"

namespace quillmar::contracts {
namespace {

struct PosixProfileMaker {
    static std::unique_ptr<ProfileFiles> Make() { return std::make_unique<posix::PosixProfileFiles>(); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Posix, ProfileFilesContract, PosixProfileMaker);

struct PosixFileSystemMaker {
    static std::unique_ptr<FileSystem> Make() { return std::make_unique<posix::PosixFileSystem>(); }
    static std::string MakeHiddenFolder(const ContractFolder& folder) {
        folder.MakeFolder(".secret");
        return ".secret";
    }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, PosixFileSystemMaker);

// The program's own paths use backslashes; off Windows they lead to the same files.
TEST(PosixFiles, BackslashesInTheProgramsPathsAreFolderSeparators) {
    ContractFolder folder;
    folder.MakeFolder("Red");
    folder.Put("Red/red.QSK", "[Skin]\r\ntitle=Red\r\n");
    const std::string skins = folder.Path().substr(0, folder.Path().size() - 1) + "\\";
    posix::PosixFileSystem files;
    posix::PosixProfileFiles profiles;
    ASSERT_EQ(files.ListDirectory(skins + "Red\\").size(), 1u);
    EXPECT_EQ(profiles.ReadString(skins + "Red\\red.QSK", "Skin", "title", "", 255), "Red");
}

}  // namespace
}  // namespace quillmar::contracts

#include <gtest/gtest.h>
#include <windows.h>

#include "contracts/FileSystemContract.h"
#include "contracts/ProfileFilesContract.h"
#include "win32/WinFileSystem.h"
#include "win32/WinProfileFiles.h"
#include "win32/WinText.h"

namespace quillmar::contracts {
namespace {

struct WinProfileMaker {
    static std::unique_ptr<ProfileFiles> Make() { return std::make_unique<win32::WinProfileFiles>(); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ProfileFilesContract, WinProfileMaker);

struct WinFileSystemMaker {
    static std::unique_ptr<FileSystem> Make() { return std::make_unique<win32::WinFileSystem>(); }
    static std::string MakeHiddenFolder(const ContractFolder& folder) {
        folder.MakeFolder("secret");
        SetFileAttributesW(win32::Utf8ToWide(folder.Path("secret")).c_str(), FILE_ATTRIBUTE_HIDDEN);
        return "secret";
    }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, WinFileSystemMaker);

TEST(WinProfileFiles, FullPathsAreDriveOrUncPaths) {
    EXPECT_TRUE(win32::IsFullWindowsPath("C:\\Q\\skins\\Red\\red.QSK"));
    EXPECT_TRUE(win32::IsFullWindowsPath("z:/tmp/a.qsk"));
    EXPECT_TRUE(win32::IsFullWindowsPath("\\\\server\\share\\a.qsk"));
    EXPECT_FALSE(win32::IsFullWindowsPath("Skin Filename"));
    EXPECT_FALSE(win32::IsFullWindowsPath("C:a.qsk"));
    EXPECT_FALSE(win32::IsFullWindowsPath("\\a.qsk"));
    EXPECT_FALSE(win32::IsFullWindowsPath(""));
}

}  // namespace
}  // namespace quillmar::contracts

#include <gtest/gtest.h>

#include "fakes/FakeFiles.h"
#include "skins/ModINI.h"

namespace quillmar {
namespace {

TEST(ReadIniValue, ReadsThrough255CharactersSoLongValuesComeBackCutTo254) {
    fakes::FakeProfileFiles files;
    files.Set("C:\\Q\\skins\\Red\\red.QSK", "Skin", "title", std::string(300, 't'));
    files.Set("C:\\Q\\skins\\Red\\red.QSK", "Details", "SelectCol", " 255");
    EXPECT_EQ(ReadIniValue(files, "Skin", "title", "C:\\Q\\skins\\Red\\red.QSK"), std::string(254, 't'));
    EXPECT_EQ(ReadIniValue(files, "Details", "selectCol", "C:\\Q\\skins\\Red\\red.QSK"), " 255");
    EXPECT_EQ(ReadIniValue(files, "Details", "menufile", "C:\\Q\\skins\\Red\\red.QSK"), "");
    EXPECT_EQ(ReadIniValue(files, "Skin", "title", "Skin Filename"), "");
}

TEST(PathHelpers, SplitAtTheLastBackslashOnly) {
    EXPECT_EQ(GetFolderPath("C:\\Q\\tr.exe"), "C:\\Q\\");
    EXPECT_EQ(GetFileName("C:\\Q\\tr.exe"), "tr.exe");
    EXPECT_EQ(GetFolderPath("tr.exe"), "");
    EXPECT_EQ(GetFileName("tr.exe"), "tr.exe");
    EXPECT_EQ(GetFolderPath("\\tr.exe"), "\\");
    EXPECT_EQ(GetFileName("\\tr.exe"), "tr.exe");
    // Colons and forward slashes are ordinary characters.
    EXPECT_EQ(GetFolderPath("D:tr/x.exe"), "");
    EXPECT_EQ(GetFileName("C:\\a/b\\c:d"), "c:d");
}

TEST(PathHelpers, FailOnAnEmptyPathOrOneEndingInABackslash) {
    for (const char* path : {"", "C:\\Q\\", "\\"}) {
        EXPECT_FALSE(GetFolderPath(path).has_value()) << path;
        EXPECT_FALSE(GetFileName(path).has_value()) << path;
    }
}

}  // namespace
}  // namespace quillmar

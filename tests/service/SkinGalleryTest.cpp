#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "service/SkinGallery.h"

namespace quillmar::service {
namespace {

namespace fs = std::filesystem;

class SkinGalleryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/quillmar-skins-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const fs::path& relative, std::string_view text) {
        fs::create_directories((dir / relative).parent_path());
        std::ofstream(dir / relative, std::ios::binary) << text;
    }
    fs::path dir;
};

TEST(ProfileValue, MatchesSectionAndKeyWithoutRegardToCaseAndTrimsTheValue) {
    const char* text =
        "[Details]\r\ntitle=not this one\r\n; title=a comment\r\n[ skin ]\r\nmenufile=menu.gif\r\n"
        "  TITLE =  Ocean Blue  \r\n[Other]\r\ntitle=nor this\r\n";
    EXPECT_EQ(ProfileValue(text, "Skin", "title"), "Ocean Blue");
    EXPECT_EQ(ProfileValue(text, "SKIN", "MenuFile"), "menu.gif");
    EXPECT_EQ(ProfileValue(text, "Skin", "selectfile"), std::nullopt);
    EXPECT_EQ(ProfileValue("[Skin]\ntitle=\n", "Skin", "title"), "");
    EXPECT_EQ(ProfileValue("title=Loose\n", "Skin", "title"), std::nullopt);
    // Quoted as the program reads it: the quotes go when they match.
    EXPECT_EQ(ProfileValue("[Skin]\ntitle= \"Night Sky\" \n", "Skin", "title"), "Night Sky");
    EXPECT_EQ(ProfileValue("[Skin]\ntitle='Night'\n", "Skin", "title"), "Night");
    EXPECT_EQ(ProfileValue("[Skin]\ntitle=\"Night'\n", "Skin", "title"), "\"Night'");
}

TEST_F(SkinGalleryTest, ListsFoldersHoldingASkinFileByFolderNameWithTheirTitles) {
    Write("Zebra/z.QSK", "[Skin]\ntitle=Stripes\n");
    Write("apple/Apple.qsk", "[Details]\nmenufile=m.gif\n[Skin]\nTitle=Green & <Red>\n");
    Write("untitled/u.Qsk", "[Details]\nmenufile=m.gif\n");
    Write("latin1/l.QSK", "[Skin]\ntitle=Caf\xe9\n");  // written in the Windows code page
    Write("pictures-only/menu.gif", "GIF89a");
    Write("loose.QSK", "[Skin]\ntitle=Not in a folder\n");
    fs::create_directories(dir / "empty");

    std::vector<SkinListing> skins = ListSkins(dir);
    ASSERT_EQ(skins.size(), 4u);
    EXPECT_EQ(skins[0].folder, "Zebra");  // by name, as the bytes sort
    EXPECT_EQ(skins[0].title, "Stripes");
    EXPECT_EQ(skins[1].folder, "apple");
    EXPECT_EQ(skins[1].title, "Green & <Red>");
    EXPECT_EQ(skins[2].title, "Café");
    EXPECT_EQ(skins[3].folder, "untitled");
    EXPECT_EQ(skins[3].title, "");

    std::string page = RenderSkinGalleryPage(skins);
    EXPECT_NE(page.find("Green &amp; &lt;Red&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<Red>"), std::string::npos);
    EXPECT_NE(page.find("Stripes"), std::string::npos);
    EXPECT_NE(page.find("<code>untitled</code>"), std::string::npos);
    EXPECT_NE(page.find("id=\"submit\""), std::string::npos);
    EXPECT_EQ(page.find("Not in a folder"), std::string::npos);
}

// The skins shipped with the program, as the gallery finds them where the build takes them from.
TEST(SkinGallery, ListsTheThreeSampleSkinsWithTheirTitles) {
    const std::vector<SkinListing> skins = ListSkins(QUILLMAR_SAMPLE_SKINS_DIR);
    ASSERT_EQ(skins.size(), 3u);
    EXPECT_EQ(skins[0].folder, "Daylight");
    EXPECT_EQ(skins[0].title, "Daylight");
    EXPECT_EQ(skins[1].folder, "HighContrast");
    EXPECT_EQ(skins[1].title, "High Contrast");
    EXPECT_EQ(skins[2].folder, "Midnight");
    EXPECT_EQ(skins[2].title, "Midnight");
    const std::string page = RenderSkinGalleryPage(skins);
    for (const char* title : {"<b>Daylight</b>", "<b>High Contrast</b>", "<b>Midnight</b>"})
        EXPECT_NE(page.find(title), std::string::npos) << title;
}

TEST_F(SkinGalleryTest, AMissingFolderListsNoneAndThePageSaysSo) {
    EXPECT_TRUE(ListSkins(dir / "absent").empty());
    std::string page = RenderSkinGalleryPage({});
    EXPECT_NE(page.find("No skins are listed"), std::string::npos);
    EXPECT_NE(page.find("id=\"submit\""), std::string::npos);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
}

}  // namespace
}  // namespace quillmar::service

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "translate/LanguagePairs.h"
#include "translate/OptionsMenu.h"

namespace quillmar {
namespace {

TEST(OptionsMenu, HoldsTheThirteenPairsInThreeGroupsInTableOrder) {
    OptionsMenu menu([](std::size_t) {});
    std::vector<std::string> captions;
    for (const MenuItemView& view : menu.Views()) captions.push_back(view.caption);
    const std::vector<std::string> expected{"English to French",
                                            "English to German",
                                            "English to Italian",
                                            "English to Portuguese",
                                            "English to Spanish",
                                            "-",
                                            "French to English",
                                            "German to English",
                                            "Italian to English",
                                            "Portuguese to English",
                                            "Russian to English",
                                            "Spanish to English",
                                            "-",
                                            "French to German",
                                            "German to French"};
    EXPECT_EQ(captions, expected);
}

TEST(OptionsMenu, EachPairItemChoosesItsRowAndNothingElseReacts) {
    std::vector<std::string> labels;
    OptionsMenu menu([&labels](std::size_t row) { labels.emplace_back(kLanguagePairs.at(row).labelCaption); });
    EXPECT_TRUE(menu.Choose(0));
    EXPECT_TRUE(menu.Choose(14));
    EXPECT_TRUE(menu.Click("mnuRussiantoEnglish"));
    EXPECT_FALSE(menu.Choose(5));   // a separator
    EXPECT_FALSE(menu.Choose(15));  // past the end
    EXPECT_FALSE(menu.Click("mnuExit"));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"ENGLISH TO FRENCH", "GERMAN TO FRENCH", "RUSSIAN TO ENGLISH"}));
}

TEST(OptionsMenu, TheWholeMenuHasItsTreeInOrderAndEachItemItsAction) {
    std::vector<std::string> did;
    OptionsActions actions;
    actions.setPair = [&did](std::size_t row) { did.emplace_back(kLanguagePairs.at(row).labelCaption); };
    actions.showSettings = [&did] { did.push_back("settings"); };
    actions.showService = [&did] { did.push_back("service"); };
    actions.showDesigner = [&did] { did.push_back("designer"); };
    actions.chooseSkin = [&did](std::size_t row) { did.push_back("skin " + std::to_string(row)); };
    actions.openAddress = [&did](const std::string& address) { did.push_back("open " + address); };
    actions.restoreTypedText = [&did] { did.push_back("restore"); };
    actions.exitProgram = [&did] { did.push_back("exit"); };
    OptionsMenu menu(actions, "example.org:8080");
    std::vector<std::string> rows;
    for (const MenuItemView& view : menu.Views()) rows.push_back(std::to_string(view.level) + view.caption);
    const std::vector<std::string> expected{
        "0Quillmar Settings", "0Translation service...", "0-", "0Skin designer", "0Select a Skin", "1Default Skin",
        "0Get More Skins", "0-",
        "0English to French", "0English to German", "0English to Italian", "0English to Portuguese",
        "0English to Spanish", "0-", "0French to English", "0German to English", "0Italian to English",
        "0Portuguese to English", "0Russian to English", "0Spanish to English", "0-", "0French to German",
        "0German to French", "0-", "0Restore typed text", "0&Exit quillmar"};
    EXPECT_EQ(rows, expected);

    for (std::size_t i = 0; i < rows.size(); ++i) menu.Choose(i);
    EXPECT_EQ(did.size(), 20u);  // every item but the five separators and the submenu's own row
    EXPECT_EQ(did[0], "settings");
    EXPECT_EQ(did[1], "service");
    EXPECT_EQ(did[2], "designer");
    EXPECT_EQ(did[3], "skin 0");
    EXPECT_EQ(did[4], "open http://example.org:8080/cgi-bin/quillmarskins.cgi");
    EXPECT_EQ(did[5], "ENGLISH TO FRENCH");
    EXPECT_EQ(did[did.size() - 2], "restore");
    EXPECT_EQ(did.back(), "exit");
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "translate/OptionsMenu.h"

namespace quillmar {
namespace {

TEST(OptionsMenu, HoldsTheThirteenPairsInThreeGroupsInTableOrder) {
    OptionsMenu menu([](const std::string&) {});
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

TEST(OptionsMenu, EachPairItemSetsItsLabelCaptionAndNothingElseReacts) {
    std::vector<std::string> labels;
    OptionsMenu menu([&labels](const std::string& caption) { labels.push_back(caption); });
    EXPECT_TRUE(menu.Choose(0));
    EXPECT_TRUE(menu.Choose(14));
    EXPECT_TRUE(menu.Click("mnuRussiantoEnglish"));
    EXPECT_FALSE(menu.Choose(5));   // a separator
    EXPECT_FALSE(menu.Choose(15));  // past the end
    EXPECT_FALSE(menu.Click("mnuExit"));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"ENGLISH TO FRENCH", "GERMAN TO FRENCH", "RUSSIAN TO ENGLISH"}));
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include "fakes/FakeForeignWindows.h"
#include "follow/FollowRules.h"

namespace quillmar {
namespace {

using Kind = FollowRule::Kind;

TEST(FollowRules, EntriesAreReadByKindAndBlankOrUnknownOnesLeftOut) {
    EXPECT_EQ(ParseFollowRules(" title: Team chat ;CLASS:Chrome_WidgetWin_1;; program:Telegram.exe ;"
                               "title:  ; colour:red; nonsense"),
              (std::vector<FollowRule>{{Kind::TitleContains, "Team chat"},
                                       {Kind::WindowClass, "Chrome_WidgetWin_1"},
                                       {Kind::ProgramFile, "Telegram.exe"}}));
    EXPECT_TRUE(ParseFollowRules("").empty());
}

TEST(FollowRules, MatchIgnoringCaseAndAskOnlyForWhatARuleNeeds) {
    fakes::FakeForeignWindows windows;
    windows.Add(1, "Chrome_WidgetWin_1", "Alice | Team Chat");
    windows.windows[1].program = "Slack.exe";
    const auto titleOnly = ParseFollowRules("title:team chat");
    EXPECT_TRUE(MatchesFollowRule(titleOnly, windows, 1, "Alice | Team Chat"));
    EXPECT_FALSE(MatchesFollowRule(titleOnly, windows, 1, "Notes"));
    EXPECT_EQ(windows.programQueries, 0u);

    EXPECT_TRUE(MatchesFollowRule(ParseFollowRules("class:chrome_widgetwin_1"), windows, 1, ""));
    EXPECT_FALSE(MatchesFollowRule(ParseFollowRules("class:Chrome"), windows, 1, ""));  // a class is whole
    EXPECT_TRUE(MatchesFollowRule(ParseFollowRules("program:SLACK.EXE"), windows, 1, ""));
    windows.windows[1].program = "";  // a program that cannot be known matches nothing
    EXPECT_FALSE(MatchesFollowRule(ParseFollowRules("program:SLACK.EXE"), windows, 1, ""));
}

}  // namespace
}  // namespace quillmar

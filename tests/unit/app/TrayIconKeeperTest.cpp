#include <gtest/gtest.h>

#include <chrono>

#include "app/TrayIconKeeper.h"
#include "fakes/FakeAppPorts.h"
#include "fakes/FakeTimers.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

class TrayIconKeeperTest : public ::testing::Test {
protected:
    std::vector<std::string> journal;
    fakes::FakeTrayIcons tray{journal};
    fakes::FakeTimers timers;
    TrayIconKeeper keeper{tray, timers};
    TrayIconData data{7, 1, 512, "QUILLMAR"};
};

TEST_F(TrayIconKeeperTest, AnIconRefusedAtLogonIsTriedAgainUntilExplorerTakesItWithTheLatestTip) {
    tray.addSucceeds = false;
    EXPECT_FALSE(keeper.AddIcon(data));
    timers.Advance(milliseconds(3 * 2000));
    EXPECT_EQ(tray.added.size(), 4u);
    EXPECT_TRUE(keeper.Retrying());

    data.tip = "QUILLMAR - Ctrl+Shift+Space is taken by another program";
    keeper.ModifyTip(data);
    EXPECT_TRUE(tray.tips.empty());  // no icon to change yet
    keeper.ShowBalloon(data, "Quillmar hotkey", "Taken.");
    EXPECT_TRUE(tray.balloons.empty());

    tray.addSucceeds = true;
    timers.Advance(milliseconds(2000));
    ASSERT_EQ(tray.added.size(), 5u);
    EXPECT_EQ(tray.added.back().tip, data.tip);
    EXPECT_TRUE(keeper.IconShown());
    EXPECT_FALSE(keeper.Retrying());
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{"Quillmar hotkey: Taken."}));  // after the icon, once
    EXPECT_EQ(journal.back(), "balloon");
    timers.Advance(milliseconds(10000));
    EXPECT_EQ(tray.added.size(), 5u);
    EXPECT_EQ(tray.balloons.size(), 1u);
}

TEST_F(TrayIconKeeperTest, ExplorersRestartAddsTheIconAgainAndAnExitStopsTheRetries) {
    EXPECT_TRUE(keeper.AddIcon(data));
    keeper.ShowBalloon(data, "Quillmar hotkey", "Taken.");
    EXPECT_EQ(tray.balloons.size(), 1u);

    tray.addSucceeds = false;  // a new Explorer still starting
    EXPECT_FALSE(keeper.AddIcon(data));
    EXPECT_FALSE(keeper.IconShown());
    keeper.DeleteIcon(data);
    EXPECT_TRUE(tray.deleted.empty());  // nothing was shown to take away
    tray.addSucceeds = true;
    timers.Advance(milliseconds(10000));
    EXPECT_EQ(tray.added.size(), 2u);  // nothing comes back after the exit
}

}  // namespace
}  // namespace quillmar

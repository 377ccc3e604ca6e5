#include <gtest/gtest.h>

#include "app/HotkeyTrigger.h"
#include "fakes/FakeAppPorts.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeFocusedText.h"

namespace quillmar {
namespace {

TEST(ParseHotkey, ReadsModifiersAndOneKeyInAnyCaseAndRefusesTheRest) {
    EXPECT_EQ(ParseHotkey("Ctrl+Alt+T"), (Hotkey{true, true, false, false, 'T'}));
    EXPECT_EQ(ParseHotkey(" shift + win + f12 "), (Hotkey{false, false, true, true, 0x7B}));
    EXPECT_EQ(ParseHotkey("Control+7"), (Hotkey{true, false, false, false, '7'}));
    EXPECT_EQ(ParseHotkey(kDefaultHotkey), (Hotkey{true, false, true, false, 0x20}));
    for (const char* bad : {"T", "Shift+T", "Ctrl+Ctrl+T", "Ctrl+Alt", "Ctrl+Alt+TT", "Ctrl+F25", "Ctrl+F0",
                            "Hyper+T", "Ctrl+Alt+"}) {
        EXPECT_EQ(ParseHotkey(bad), std::nullopt) << bad;
    }
}

class HotkeyTriggerTest : public ::testing::Test {
protected:
    HotkeyTriggerTest() { state.TrayIconData.tip = "QUILLMAR"; }
    void Set(const std::string& value) { settings.SaveSetting("QUILLMAR", "settings", "Hotkey", value); }

    ProgramState state;
    fakes::FakeSettingsStore settings;
    fakes::FakeGlobalHotkeys hotkeys;
    std::vector<std::string> journal;
    fakes::FakeTrayIcons tray{journal};
};

TEST_F(HotkeyTriggerTest, CtrlShiftSpaceUnlessTheStoreSaysOtherwiseOrOff) {
    {
        HotkeyTrigger trigger(settings, hotkeys, tray, state);
        EXPECT_TRUE(trigger.Register(7));
        EXPECT_EQ(hotkeys.registered.at(HotkeyTrigger::kHotkeyId), (Hotkey{true, false, true, false, 0x20}));
        EXPECT_TRUE(tray.balloons.empty());
    }
    EXPECT_TRUE(hotkeys.registered.empty());  // given back at the end

    Set("Ctrl+Shift+F8");
    HotkeyTrigger changed(settings, hotkeys, tray, state);
    EXPECT_TRUE(changed.Register(7));
    EXPECT_EQ(hotkeys.registered.at(HotkeyTrigger::kHotkeyId).key, 0x77u);

    Set("OFF");
    hotkeys.registered.clear();
    HotkeyTrigger off(settings, hotkeys, tray, state);
    EXPECT_FALSE(off.Register(7));
    EXPECT_TRUE(hotkeys.registered.empty());
    EXPECT_TRUE(tray.tips.empty());  // switched off on purpose: nothing to tell
    EXPECT_TRUE(tray.balloons.empty());
}

TEST_F(HotkeyTriggerTest, AKeyHeldElsewhereIsToldInTheTipAndOnceInABalloon) {
    hotkeys.taken = true;
    HotkeyTrigger taken(settings, hotkeys, tray, state);
    EXPECT_FALSE(taken.Register(7));
    ASSERT_EQ(tray.tips.size(), 1u);
    EXPECT_EQ(tray.tips[0], "QUILLMAR - Ctrl+Shift+Space is taken by another program");
    EXPECT_EQ(state.TrayIconData.tip, tray.tips[0]);  // an icon added again after Explorer restarts says it too
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{
                                 "Quillmar hotkey: Ctrl+Shift+Space is taken by another program."}));
}

TEST_F(HotkeyTriggerTest, ASettingNotUnderstoodGivesTheDefaultAndSaysSo) {
    Set("Ctrl+Alt+Banana");
    HotkeyTrigger bad(settings, hotkeys, tray, state);
    EXPECT_TRUE(bad.Register(7));
    EXPECT_EQ(hotkeys.registered.at(HotkeyTrigger::kHotkeyId), *ParseHotkey(kDefaultHotkey));
    EXPECT_EQ(tray.tips.back(), "QUILLMAR - hotkey \"Ctrl+Alt+Banana\" not understood, Ctrl+Shift+Space used");
    EXPECT_EQ(tray.balloons, (std::vector<std::string>{"Quillmar hotkey: Hotkey \"Ctrl+Alt+Banana\" not "
                                                       "understood, Ctrl+Shift+Space used."}));
}

}  // namespace
}  // namespace quillmar

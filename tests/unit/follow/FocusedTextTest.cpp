#include <gtest/gtest.h>

#include "fakes/FakeFocusedText.h"
#include "fakes/FakeForeignWindows.h"
#include "follow/FocusedText.h"

namespace quillmar {
namespace {

constexpr WindowHandle kWindow = 10;
constexpr WindowHandle kControl = 11;

class FocusedTextTest : public ::testing::Test {
protected:
    FocusedTextTest() {
        windows.Add(kWindow, "Chrome_WidgetWin_1", "Alice - Chat");
        windows.Add(kControl, "Chrome_RenderWidgetHostHWND", "", kWindow);
        windows.foreground = kWindow;
        windows.focus = kControl;
        clipboard.Put("the user's clipboard");
        clipboard.content.formats.push_back({49300, {1, 2, 3}});  // and something that is not text
        userClipboard = clipboard.content;
    }
    bool ClipboardIsTheUsers() const {
        if (clipboard.content.formats.size() != userClipboard.formats.size()) return false;
        for (std::size_t i = 0; i < userClipboard.formats.size(); ++i) {
            if (clipboard.content.formats[i].id != userClipboard.formats[i].id ||
                clipboard.content.formats[i].bytes != userClipboard.formats[i].bytes) {
                return false;
            }
        }
        return true;
    }

    fakes::FakeForeignWindows windows;
    fakes::FakeAccessibleValues msaa;
    fakes::FakeAccessibleValues uia;
    fakes::FakeClipboard clipboard;
    fakes::FakeEditKeys keys{clipboard};
    FollowMod module{windows};
    FocusedText focused{module, {windows, msaa, uia, clipboard, keys}};
    ClipboardContent userClipboard;
};

TEST_F(FocusedTextTest, EachWayIsTriedInOrderAndTheFirstThatGivesTextIsUsed) {
    windows.Add(20, "RichEdit20W", "", kWindow);  // an empty edit still answers for itself
    windows.focus = 20;
    const CapturedText edit = focused.Capture();
    EXPECT_EQ(edit.control, 20u);
    EXPECT_EQ(edit.route, TextRoute::EditControl);
    EXPECT_TRUE(msaa.asked.empty());

    windows.focus = kControl;
    msaa.values[kControl] = "";  // a value, but empty: not taken
    uia.values[kControl] = "from automation";
    const CapturedText automation = focused.Capture();
    EXPECT_EQ(automation.text, "from automation");
    EXPECT_EQ(automation.route, TextRoute::UiAutomation);

    msaa.values[kControl] = "from msaa";
    uia.asked.clear();
    const CapturedText msaaText = focused.Capture();
    EXPECT_EQ(msaaText.text, "from msaa");
    EXPECT_EQ(msaaText.route, TextRoute::Msaa);
    EXPECT_TRUE(uia.asked.empty());
    EXPECT_TRUE(keys.chords.empty());  // the clipboard was never touched
    EXPECT_EQ(clipboard.saves, 0);

    msaa.values.clear();
    uia.values.clear();
    keys.text = "typed in a custom control";
    const CapturedText captured = focused.Capture();
    EXPECT_EQ(captured.text, "typed in a custom control");
    EXPECT_EQ(captured.control, kControl);
    EXPECT_EQ(captured.route, TextRoute::Clipboard);
    EXPECT_TRUE(ClipboardIsTheUsers());

    windows.focus = 0;  // nothing focused inside: the window itself
    EXPECT_EQ(focused.Capture().control, kWindow);
}

TEST_F(FocusedTextTest, ACopyThatDoesNotChangeTheClipboardGivesNothingNeverTheTextThatWasThere) {
    keys.text = "typed";
    keys.copies = false;
    EXPECT_EQ(focused.Capture().text, "");
    EXPECT_TRUE(ClipboardIsTheUsers());

    clipboard.locked = true;  // held by another program: not even tried
    keys.copies = true;
    keys.chords.clear();
    EXPECT_EQ(focused.Capture().text, "");
    EXPECT_TRUE(keys.chords.empty());
}

TEST_F(FocusedTextTest, TheClipboardWayWritesReadsBackAndPutsTheUsersClipboardBackOnEveryPath) {
    keys.text = "good morning";
    CapturedText captured = focused.Capture();
    ASSERT_EQ(captured.text, "good morning");
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(keys.text, "bonjour");
    EXPECT_TRUE(ClipboardIsTheUsers());

    // The control cuts what is pasted: the typed text goes back.
    keys.text = "good morning";
    captured = focused.Capture();
    keys.maxBytes = 12;
    EXPECT_FALSE(focused.Write(captured, "bonjour tout le monde"));
    EXPECT_EQ(keys.text, "good morning");
    EXPECT_TRUE(ClipboardIsTheUsers());

    // It stopped pasting at all: nothing changes, the clipboard is still the user's.
    keys.maxBytes = std::string::npos;
    captured = focused.Capture();
    keys.pastes = false;
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(keys.text, "good morning");
    EXPECT_TRUE(ClipboardIsTheUsers());

    // The user moved to another control before the answer came: no key is sent.
    keys.pastes = true;
    captured = focused.Capture();
    windows.focus = 0;
    keys.chords.clear();
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_TRUE(keys.chords.empty());
    EXPECT_TRUE(ClipboardIsTheUsers());
}

TEST_F(FocusedTextTest, AnAccessibleValueThatDoesNotTakeTheTranslationKeepsTheTypedText) {
    msaa.values[kControl] = "good morning";
    CapturedText captured = focused.Capture();
    msaa.maxBytes = 5;
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.values[kControl], "good ");  // cut again: the control cannot hold it either

    msaa.maxBytes = std::string::npos;
    msaa.values[kControl] = "good morning";
    captured = focused.Capture();
    msaa.ignoresWrites = true;
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.values[kControl], "good morning");

    msaa.ignoresWrites = false;
    captured = focused.Capture();
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.values[kControl], "bonjour");
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include "fakes/FakeDialogs.h"
#include "fakes/FakeFocusedText.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeTimers.h"
#include "follow/FocusedText.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

constexpr WindowHandle kWindow = 10;
constexpr WindowHandle kControl = 11;
constexpr unsigned kSpreadsheet = 49300;

class FocusedTextTest : public ::testing::Test {
protected:
    FocusedTextTest() {
        windows.Add(kWindow, "Chrome_WidgetWin_1", "Alice - Chat");
        windows.Add(kControl, "Chrome_RenderWidgetHostHWND", "", kWindow);
        windows.foreground = kWindow;
        windows.focus = kControl;
        clipboard.Put("the user's clipboard");
        clipboard.content.formats.push_back({kSpreadsheet, {1, 2, 3}});  // and something that is not text
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
    // Where the first journal entry naming `step` is; the journal's size when there is none.
    std::size_t Index(const std::string& step) const {
        for (std::size_t i = 0; i < clipboard.journal.size(); ++i) {
            const std::string& line = clipboard.journal[i];
            if (line.substr(line.find(' ') + 1) == step) return i;
        }
        return clipboard.journal.size();
    }
    // Its time; -1 when there is none.
    long long TimeOf(const std::string& step) const {
        const std::size_t at = Index(step);
        return at < clipboard.journal.size() ? std::stoll(clipboard.journal[at]) : -1;
    }

    fakes::FakeTimers timers;
    fakes::FakeWaitClock clock{timers};
    fakes::FakeDialogs dialogs;
    fakes::FakeForeignWindows windows;
    fakes::FakeAccessibleValues msaa;
    fakes::FakeAccessibleValues uia;
    fakes::FakeClipboard clipboard{timers};
    fakes::FakeEditKeys keys{clipboard, timers};
    FollowMod module{windows};
    FocusedText focused{module, {windows, uia, msaa, clipboard, keys, clock, dialogs}};
    ClipboardContent userClipboard;
};

TEST_F(FocusedTextTest, EachWayIsTriedInOrderAndTheFirstThatGivesTextIsUsed) {
    windows.Add(20, "RichEdit20W", "", kWindow);  // an empty edit still answers for itself
    windows.focus = 20;
    const CapturedText edit = focused.Capture();
    EXPECT_EQ(edit.control, 20u);
    EXPECT_EQ(edit.route, TextRoute::EditControl);
    EXPECT_TRUE(uia.asked.empty());

    windows.focus = kControl;
    uia.Field(kControl, "from automation");
    msaa.Field(kControl, "from msaa");
    const CapturedText automation = focused.Capture();
    EXPECT_EQ(automation.text, "from automation");
    EXPECT_EQ(automation.route, TextRoute::UiAutomation);
    EXPECT_TRUE(msaa.asked.empty());

    uia.elements.clear();
    const CapturedText msaaText = focused.Capture();
    EXPECT_EQ(msaaText.text, "from msaa");
    EXPECT_EQ(msaaText.route, TextRoute::Msaa);
    EXPECT_TRUE(keys.chords.empty());  // the clipboard was never touched
    EXPECT_TRUE(clipboard.journal.empty());

    msaa.elements.clear();
    keys.text = "typed in a custom control";
    const CapturedText captured = focused.Capture();
    EXPECT_EQ(captured.text, "typed in a custom control");
    EXPECT_EQ(captured.control, kControl);
    EXPECT_EQ(captured.route, TextRoute::Clipboard);
    EXPECT_TRUE(ClipboardIsTheUsers());

    windows.focus = 0;  // nothing focused inside: the window itself
    EXPECT_EQ(focused.Capture().control, kWindow);
}

// A browser's page document serves its address, a label its caption, a read-only view its text: none
// is what the user typed, and an editable field is, even empty.
TEST_F(FocusedTextTest, OnlyAnEditableTextFieldsValueIsTaken) {
    keys.text = "typed";
    const AccessibleElement passedOver[] = {
        {AccessibleRole::Other, false, true, "https://chat.example/room/42"},
        {AccessibleRole::Text, false, true, "https://chat.example/room/42"},
        {AccessibleRole::Text, true, false, "a read-only transcript"},
        {AccessibleRole::Other, false, false, "Send"},
    };
    for (const AccessibleElement& element : passedOver) {
        uia.elements[kControl] = element;
        msaa.elements[kControl] = element;
        const CapturedText captured = focused.Capture();
        EXPECT_EQ(captured.route, TextRoute::Clipboard) << element.value;
        EXPECT_EQ(captured.text, "typed");
    }
    msaa.Field(kControl, "");
    keys.chords.clear();
    const CapturedText empty = focused.Capture();
    EXPECT_EQ(empty.route, TextRoute::Msaa);
    EXPECT_EQ(empty.text, "");
    EXPECT_TRUE(keys.chords.empty());
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

TEST_F(FocusedTextTest, NoKeyIsSentWhileTheHotkeyIsHeldAndAfterThreeSecondsNoneAtAll) {
    keys.text = "good morning";
    keys.heldFor = milliseconds(1200);
    EXPECT_EQ(focused.Capture().text, "good morning");
    EXPECT_GE(TimeOf("Ctrl+A"), 1200);
    EXPECT_LT(TimeOf("Ctrl+A"), 1300);
    EXPECT_GE(TimeOf("save"), 1200);  // nothing of the clipboard was touched before either

    clipboard.journal.clear();
    keys.chords.clear();
    keys.heldFor = timers.Now() + milliseconds(5000);
    const CapturedText captured = focused.Capture();
    EXPECT_EQ(captured.text, "");
    EXPECT_EQ(focused.Problem(), ClipboardProblem::KeysHeld);
    EXPECT_TRUE(keys.chords.empty());
    EXPECT_TRUE(clipboard.journal.empty());
    EXPECT_LT(timers.Now(), keys.heldFor);  // given up before the keys were let go
}

// The user's clipboard goes back only once the control took the offered text, which a busy program does
// late; one that never takes it has its clipboard back after 2 s. A copy is waited for 1.5 s.
TEST_F(FocusedTextTest, TheUsersClipboardGoesBackOnlyAfterThePasteWasTakenOrTwoSeconds) {
    keys.text = "good morning";
    keys.copyDelay = milliseconds(1200);
    CapturedText captured = focused.Capture();
    EXPECT_EQ(captured.text, "good morning");

    keys.copyDelay = milliseconds(0);
    keys.pasteDelay = milliseconds(1700);
    clipboard.journal.clear();
    const long long start = timers.Now().count();
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(keys.text, "bonjour");
    EXPECT_GE(TimeOf("taken") - start, 1700);
    EXPECT_GT(Index("restore"), Index("taken"));
    EXPECT_TRUE(ClipboardIsTheUsers());

    keys.pastes = false;
    clipboard.journal.clear();
    const long long again = timers.Now().count();
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(TimeOf("taken"), -1);
    EXPECT_GE(TimeOf("restore") - again, 2000);
    EXPECT_LT(TimeOf("restore") - again, 2100);
    EXPECT_EQ(TimeOf("Ctrl+C"), -1);  // nothing to read back
    EXPECT_TRUE(ClipboardIsTheUsers());
}

TEST_F(FocusedTextTest, AClipboardThatCannotBeKeptWholeIsUsedOnlyWhenTheUserSaysSo) {
    clipboard.slow.insert(kSpreadsheet);
    keys.text = "good morning";
    dialogs.answer = MessageResult::No;
    const std::uint32_t sequence = clipboard.sequence;
    EXPECT_EQ(focused.Capture().text, "");
    EXPECT_EQ(focused.Problem(), ClipboardProblem::Declined);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("format 49300"), std::string::npos);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(keys.chords.empty());
    EXPECT_EQ(clipboard.sequence, sequence);
    EXPECT_TRUE(ClipboardIsTheUsers());

    // While the question is up, a second press of the hotkey starts nothing over it.
    dialogs.answer = MessageResult::Yes;
    CapturedText nested;
    std::size_t journalDuringQuestion = 0;
    bool pressed = false;
    dialogs.whileShown = [&] {
        if (pressed) return;
        pressed = true;
        journalDuringQuestion = clipboard.journal.size();
        nested = focused.Capture();
        journalDuringQuestion = clipboard.journal.size() - journalDuringQuestion;
    };
    const CapturedText captured = focused.Capture();
    EXPECT_EQ(nested.text, "");
    EXPECT_EQ(journalDuringQuestion, 0u);
    EXPECT_EQ(captured.text, "good morning");
    EXPECT_EQ(keys.refocused, std::vector<WindowHandle>{kControl});  // the question had the foreground
    EXPECT_EQ(clipboard.GetText(), "the user's clipboard");          // the text it could keep
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(dialogs.shown.size(), 2u);  // nothing left that could not be kept: not asked again
}

TEST_F(FocusedTextTest, AnAccessibleValueThatDoesNotTakeTheTranslationKeepsTheTypedText) {
    msaa.Field(kControl, "good morning");
    CapturedText captured = focused.Capture();
    msaa.maxBytes = 5;
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.elements[kControl].value, "good ");  // cut again: the control cannot hold it either

    msaa.maxBytes = std::string::npos;
    msaa.Field(kControl, "good morning");
    captured = focused.Capture();
    msaa.ignoresWrites = true;
    EXPECT_FALSE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.elements[kControl].value, "good morning");

    msaa.ignoresWrites = false;
    captured = focused.Capture();
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(msaa.elements[kControl].value, "bonjour");

    // Read through a text pattern, which takes no value: pasted instead.
    uia.Field(kControl, "good morning");
    uia.refusesWrites = true;
    keys.text = "good morning";
    captured = focused.Capture();
    EXPECT_EQ(captured.route, TextRoute::UiAutomation);
    EXPECT_TRUE(focused.Write(captured, "bonjour"));
    EXPECT_EQ(keys.text, "bonjour");
    EXPECT_TRUE(ClipboardIsTheUsers());
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakeForeignWindows.h"
#include "follow/FollowMod.h"

namespace quillmar {
namespace {

using Message = fakes::FakeForeignWindows::Message;

class FollowModTest : public ::testing::Test {
protected:
    fakes::FakeForeignWindows windows;
    FollowMod mod{windows};
};

// A capture as text and control, to compare in one go.
std::pair<std::string, WindowHandle> Captured(FollowMod& mod, WindowHandle window) {
    const CapturedText captured = mod.CaptureEditText(window);
    return {captured.text, captured.control};
}
using Capture = std::pair<std::string, WindowHandle>;

TEST_F(FollowModTest, AWindowOfEditClassGivesItsOwnTextEvenEmptyAndItsChildrenAreNotVisited) {
    windows.Add(10, "Edit", "");
    windows.Add(11, "Edit", "inner", 10);
    EXPECT_EQ(Captured(mod, 10), (Capture{"", 10}));
    EXPECT_EQ(windows.relationQueries, 0u);
}

TEST_F(FollowModTest, ClassNamesMatchBySubstringWithoutRegardToCase) {
    for (const char* className : {"Edit", "RichEdit20A", "RICHEDIT", "CreditView"}) {
        fakes::FakeForeignWindows w;
        FollowMod m(w);
        w.Add(1, "Frame");
        w.Add(2, className, "hello", 1);
        EXPECT_EQ(Captured(m, 1), (Capture{"hello", 2})) << className;
    }
    windows.Add(1, "Frame");
    windows.Add(2, "Static", "label", 1);
    EXPECT_EQ(Captured(mod, 1), (Capture{"", 0}));
}

TEST_F(FollowModTest, TheFirstEditWithTextWinsAndTheCaptureNamesIt) {
    windows.Add(1, "Frame");
    windows.Add(2, "Edit", "", 1);
    windows.Add(3, "Edit", "hi", 1);
    windows.Add(4, "Edit", "later", 1);
    EXPECT_EQ(Captured(mod, 1), (Capture{"hi", 3}));
}

TEST_F(FollowModTest, AllEditsEmptyGivesEmptyTextAndTheLastEditReachedOrNoControlWithoutEdits) {
    windows.Add(1, "Frame");
    windows.Add(2, "Edit", "", 1);
    windows.Add(3, "Panel", "", 1);
    windows.Add(4, "RichEdit20W", "", 3);
    EXPECT_EQ(Captured(mod, 1), (Capture{"", 4}));

    windows.Add(20, "Frame", "title");
    windows.Add(21, "Button", "OK", 20);
    EXPECT_EQ(Captured(mod, 20), (Capture{"", 0}));
    EXPECT_EQ(Captured(mod, 0), (Capture{"", 0}));
}

TEST_F(FollowModTest, TheWalkIsDepthFirstInZOrderAndNeverEntersAnEdit) {
    windows.Add(1, "Frame");
    windows.Add(2, "Panel", "", 1);
    windows.Add(3, "Panel", "", 2);
    windows.Add(4, "Edit", "deep", 3);  // two levels under a non-edit child
    windows.Add(5, "Edit", "sibling", 1);
    EXPECT_EQ(Captured(mod, 1), (Capture{"deep", 4}));

    windows.Add(30, "Frame");
    windows.Add(31, "Edit", "", 30);
    windows.Add(32, "Edit", "child of an edit", 31);
    EXPECT_EQ(Captured(mod, 30), (Capture{"", 31}));
}

TEST_F(FollowModTest, ReadingSendsOnlyTheLengthQueryForNoTextAndNothingForHandleZero) {
    windows.Add(1, "Edit", "");
    EXPECT_EQ(mod.ReadWindowText(1), "");
    ASSERT_EQ(windows.sent.size(), 1u);
    EXPECT_EQ(windows.sent[0].message, Message::GetTextLength);

    windows.sent.clear();
    EXPECT_EQ(mod.ReadWindowText(0), "");
    EXPECT_TRUE(windows.sent.empty());
}

TEST_F(FollowModTest, ReadingKeepsBlanksAndLineBreaksAndSizesTheBufferInUtf16Units) {
    windows.Add(1, "Edit", " a\r\nb ");
    EXPECT_EQ(mod.ReadWindowText(1), " a\r\nb ");
    ASSERT_EQ(windows.sent.size(), 2u);
    EXPECT_EQ(windows.sent[1].message, Message::GetText);
    EXPECT_EQ(windows.sent[1].bufferUnits, 7u);

    // Cyrillic is one unit a letter, an emoji two: the text comes through whole.
    windows.sent.clear();
    windows.Add(2, "Edit", "Привет 😀");
    EXPECT_EQ(mod.ReadWindowText(2), "Привет 😀");
    EXPECT_EQ(windows.sent[1].bufferUnits, 10u);
}

TEST_F(FollowModTest, AHungWindowReadsAsEmptyAndAWriteToItReportsFailure) {
    windows.Add(1, "Frame");
    windows.Add(2, "Edit", "typed", 1);
    windows.windows[2].hung = true;
    EXPECT_EQ(mod.CaptureEditText(1).text, "");
    EXPECT_FALSE(mod.WriteWindowText(2, "translation"));
    EXPECT_EQ(windows.windows[2].text, "typed");

    windows.windows[2].hung = false;
    EXPECT_TRUE(mod.WriteWindowText(2, "Привет"));
    EXPECT_EQ(windows.windows[2].text, "Привет");
    EXPECT_FALSE(mod.WriteWindowText(0, "x"));
    EXPECT_FALSE(mod.WriteWindowText(77, "x"));  // gone
}

TEST_F(FollowModTest, EditAndRichEditControlsAreWrittenUndoablyOtherControlsByTheirText) {
    windows.Add(1, "Edit", "typed");
    windows.Add(2, "RICHEDIT50W", "typed");
    windows.Add(3, "Chrome_RenderWidgetHostHWND", "typed");
    for (WindowHandle control : {1, 2, 3}) EXPECT_TRUE(mod.WriteWindowText(control, "bonjour"));
    EXPECT_EQ(windows.windows[1].undo, std::vector<std::string>{"typed"});
    EXPECT_EQ(windows.windows[2].undo, std::vector<std::string>{"typed"});
    EXPECT_EQ(windows.windows[3].text, "bonjour");
    const auto setTexts = std::count_if(windows.sent.begin(), windows.sent.end(),
                                        [](const auto& sent) { return sent.message == Message::SetText; });
    EXPECT_EQ(setTexts, 1);
}

TEST_F(FollowModTest, AControlThatDoesNotTakeTheTranslationFailsAndKeepsOrGetsBackTheTypedText) {
    windows.Add(1, "Edit", "typed");
    windows.windows[1].ignoresText = true;
    EXPECT_FALSE(mod.ReplaceTypedText(1, "bonjour", "typed"));
    EXPECT_EQ(windows.windows[1].text, "typed");

    windows.Add(2, "Edit", "typed text");
    windows.windows[2].maxBytes = 10;  // takes only part of it
    EXPECT_FALSE(mod.ReplaceTypedText(2, "une traduction", "typed text"));
    EXPECT_EQ(windows.windows[2].text, "typed text");

    windows.Add(3, "Edit", "line one\r\nline two");
    EXPECT_TRUE(mod.ReplaceTypedText(3, "ligne un\nligne deux", "line one\r\nline two"));
}

TEST(SameTextAcrossLineBreaks, ReadsEachLineBreakFormAsOne) {
    EXPECT_TRUE(SameTextAcrossLineBreaks("a\r\nb\rc\nd", "a\nb\nc\r\nd"));
    EXPECT_FALSE(SameTextAcrossLineBreaks("a\r\n\nb", "a\nb"));
    EXPECT_FALSE(SameTextAcrossLineBreaks("ab", "abc"));
    EXPECT_TRUE(SameTextAcrossLineBreaks("", ""));
}

TEST(ContainsNoCase, IgnoresCaseOfAsciiLetters) {
    EXPECT_TRUE(ContainsNoCase("john - SEND message", "send"));
    EXPECT_TRUE(ContainsNoCase("anything", ""));
    EXPECT_FALSE(ContainsNoCase("Sent Items", "send"));
    EXPECT_FALSE(ContainsNoCase("", "edit"));
}

}  // namespace
}  // namespace quillmar

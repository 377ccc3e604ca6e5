#include <gtest/gtest.h>

#include <chrono>

#include "FollowFixture.h"
#include "forms/Twips.h"
#include "follow/frmFollow.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

constexpr WindowHandle kChat = 100;
constexpr WindowHandle kOther = 200;

class frmFollowTest : public ::testing::Test, public testing::FollowFixture {
protected:
    void Step() { timers.Advance(milliseconds(100)); }
};

TEST_F(frmFollowTest, LoadLaysTheButtonsOutFromThePictureWidthsAndStaysHidden) {
    frmFollow& f = Follow();
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(f.Height(), 225);
    EXPECT_EQ(f.Width(), 3615);
    EXPECT_EQ(f.Picture1().left, 0);
    EXPECT_EQ(f.Picture2().left, 1065);
    EXPECT_EQ(f.Picture3().left, 1065 + 2295);
    EXPECT_EQ(f.Picture3().width, 255);
    EXPECT_EQ(f.Label1(), "ENGLISH TO FRENCH");
    EXPECT_EQ(f.Label2(), "TRANSLATE");
}

TEST_F(frmFollowTest, AButtonPictureThatCannotBeLoadedKeepsTheBuiltInSize) {
    pictures.sizes.erase("builtin:select");
    EXPECT_EQ(Follow().Width(), 3615);
}

TEST_F(frmFollowTest, WidthsFollowOtherPictureSizes) {
    pictures.sizes["builtin:translate"] = {80, 15};
    EXPECT_EQ(Follow().Width(), (80 + 153 + 17) * 15);
    EXPECT_EQ(Follow().Picture2().left, 1200);
}

TEST_F(frmFollowTest, ATargetInFrontGetsTheToolbarAt399By55With241By15) {
    AddChat(kChat, "john - Send Message", {100, 50, 700, 400}, "");
    windows.foreground = kChat;
    Follow();
    Step();
    EXPECT_TRUE(Follow().Visible());
    EXPECT_EQ(state.TargetHwnd, kChat);
    ASSERT_EQ(views.follow->placements.size(), 1u);
    const auto& p = views.follow->placements[0];
    EXPECT_EQ(p, (TwipsRect{399 * 15, 55 * 15, 241 * 15, 15 * 15}));
    EXPECT_EQ(Follow().Left(), 399 * 15);
    EXPECT_EQ(Follow().Top(), 55 * 15);
    // Placed again on every step, so a moved window takes the toolbar along.
    windows.windows[kChat].rect = {0, 10, 500, 300};
    Step();
    ASSERT_EQ(views.follow->placements.size(), 2u);
    EXPECT_EQ(views.follow->placements[1].left, 199 * 15);
    EXPECT_EQ(views.follow->placements[1].top, 15 * 15);
}

TEST_F(frmFollowTest, TheCompositorsFrameAndTheWorkAreaPlaceTheToolbarLeftOfTheCaptionButtons) {
    AddChat(kChat, "Send Message", {93, 50, 707, 407}, "");
    windows.windows[kChat].frame = WindowFrame{{100, 50, 700, 400}, {562, 51, 700, 81}};
    windows.windows[kChat].workArea = Rect{0, 0, 640, 480};
    windows.foreground = kChat;
    Follow();
    Step();
    ASSERT_EQ(views.follow->placements.size(), 1u);
    // 562 - 4 - 241 = 317, in the middle of the 30-pixel button band.
    EXPECT_EQ(views.follow->placements[0].left, 317 * 15);
    EXPECT_EQ(views.follow->placements[0].top, 58 * 15);
    // Moved past the work area.
    windows.windows[kChat].rect = {193, 50, 945, 407};
    windows.windows[kChat].frame = WindowFrame{{200, 50, 938, 400}, {800, 51, 938, 81}};
    Step();
    EXPECT_EQ(views.follow->placements[1].left, (640 - 241) * 15);
    // Neither the frame nor the monitor is asked again while the window stays where it is.
    windows.windows[kChat].workArea = Rect{0, 0, 2000, 1000};
    Step();
    EXPECT_EQ(views.follow->placements[2].left, (640 - 241) * 15);
}

TEST_F(frmFollowTest, OnlyTitlesWithSendOrIncomingAndMessageAreTargetsWhateverTheirCase) {
    struct Case {
        const char* title;
        bool target;
    };
    const Case cases[] = {{"Send Message", true},
                          {"Incoming Message", true},
                          {"john - incoming message", true},
                          {"SEND MESSAGE", true},
                          {"Message", false},
                          {"Send", false},
                          {"Sent Items", false},
                          {"", false},
                          {"Incoming", false}};
    Follow();
    WindowHandle window = kChat;
    for (const Case& c : cases) {
        windows.Add(++window, "#32770", c.title);
        windows.windows[window].rect = {100, 50, 700, 400};
        windows.foreground = window;
        Step();
        EXPECT_EQ(Follow().Visible(), c.target) << c.title;
        EXPECT_EQ(state.TargetHwnd, c.target ? window : 0u) << c.title;
    }
}

TEST_F(frmFollowTest, TheTitleOfAWindowThatStaysInFrontIsReadEveryFifthStepAndAChangeIsSeenThen) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "");
    windows.foreground = kChat;
    Follow();
    Step();
    ASSERT_TRUE(Follow().Visible());
    windows.titleReads = 0;
    windows.windows[kChat].text = "Sent Items";
    for (int step = 1; step <= 4; ++step) {
        Step();
        EXPECT_TRUE(Follow().Visible()) << step;
    }
    EXPECT_EQ(windows.titleReads, 0u);
    Step();
    EXPECT_FALSE(Follow().Visible());
    EXPECT_EQ(state.TargetHwnd, 0u);
    EXPECT_EQ(windows.titleReads, 1u);
    EXPECT_TRUE(windows.sent.empty());  // titles are the system's copy: no message to the chat program
    // Another window in front is read at once, and so is the first one when it comes back.
    windows.Add(kOther, "#32770", "Incoming Message");
    windows.windows[kOther].rect = {100, 50, 700, 400};
    windows.foreground = kOther;
    Step();
    EXPECT_EQ(state.TargetHwnd, kOther);
    windows.windows[kChat].text = "Send Message";
    windows.foreground = kChat;
    Step();
    EXPECT_EQ(state.TargetHwnd, kChat);
}

TEST_F(frmFollowTest, AnotherWindowInFrontHidesTheToolbarAndClearsTheTarget) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "");
    windows.Add(kOther, "Notepad", "notes.txt - Notepad");
    windows.foreground = kChat;
    Follow();
    Step();
    ASSERT_TRUE(Follow().Visible());
    windows.foreground = kOther;
    Step();
    EXPECT_FALSE(Follow().Visible());
    EXPECT_EQ(state.TargetHwnd, 0u);
    windows.foreground = 0;  // nothing in front
    Step();
    EXPECT_FALSE(Follow().Visible());
}

TEST_F(frmFollowTest, WithTheToolbarInFrontTheTargetIsKeptUntilItIsNoLongerVisible) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "");
    windows.foreground = kChat;
    Follow();
    Step();
    windows.foreground = Follow().Hwnd();
    const std::size_t placed = views.follow->placements.size();
    Step();
    EXPECT_TRUE(Follow().Visible());
    EXPECT_EQ(state.TargetHwnd, kChat);
    EXPECT_EQ(views.follow->placements.size(), placed);  // stays where it was
    windows.windows[kChat].visible = false;
    Step();
    EXPECT_FALSE(Follow().Visible());
    EXPECT_EQ(state.TargetHwnd, kChat);
}

TEST_F(frmFollowTest, AVisibleStatusWindowFollowsTheToolbarAndAHiddenOneStaysPut) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "");
    windows.foreground = kChat;
    Follow();
    Step();
    EXPECT_TRUE(IsStatusLoaded());  // asking whether it is visible creates it
    EXPECT_FALSE(StatusForm().Visible());
    EXPECT_EQ(StatusForm().Left(), 0);

    StatusForm().SetVisible(true);
    windows.windows[kChat].rect = {200, 80, 900, 400};
    Step();
    // Toolbar at 599,85: the status window's right edge meets the menu button, its top the toolbar's foot.
    EXPECT_EQ(StatusForm().Left(), 599 * 15 + 3615 - 255 - 1845);
    EXPECT_EQ(StatusForm().Top(), 85 * 15 + 225);
    EXPECT_TRUE(StatusForm().Visible());
}

TEST_F(frmFollowTest, TranslateSendsTheCapturedTextWithThePairCodeAndShowsTheStatusUnderTheToolbar) {
    const WindowHandle edit = AddChat(kChat, "Send Message", {100, 50, 700, 400}, "good morning");
    windows.foreground = kChat;
    Follow();
    Step();
    Follow().Picture1_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "good+morning");
    EXPECT_EQ(requests[0].code, "en_fr");
    EXPECT_EQ(requests[0].target, edit);

    frmStatus& s = StatusForm();
    EXPECT_TRUE(s.Visible());
    EXPECT_EQ(s.Left(), 399 * 15 + 3615 - 255 - 1845);
    EXPECT_EQ(s.Top(), 55 * 15 + 225);
    EXPECT_EQ(s.Label1(), "Connecting");  // the translation branch writes no caption
    ASSERT_EQ(views.status->placements.size(), 1u);
    EXPECT_EQ(views.status->placements[0], (TwipsRect{(399 + 241 - 17 - 123) * 15, (55 + 15) * 15, 123 * 15, 25 * 15}));
}

TEST_F(frmFollowTest, LineBreaksAndOtherCharactersReachTheRequestPrepared) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "line1\r\nline2");
    windows.foreground = kChat;
    Follow();
    Step();
    Follow().Picture1_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "line1%0D%0Aline2");
}

TEST_F(frmFollowTest, NothingToTranslateShowsNoMessageUnderTheToolbarAndSendsNothing) {
    Follow();
    Follow().Picture1_Click();  // no followed window
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(StatusForm().Label1(), "No message !");
    EXPECT_EQ(StatusForm().Outcome(), RequestOutcome::NoMessage);
    EXPECT_TRUE(StatusForm().Visible());
    EXPECT_EQ(StatusForm().Top(), 225);
    EXPECT_TRUE(views.status->placements.empty());  // this branch does not make it topmost

    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "");
    windows.foreground = kChat;
    Step();
    for (const char* text : {"", "a", " "}) {
        UnloadStatusForm();
        windows.windows[kChat + 1].text = text;
        Follow().Picture1_Click();
        EXPECT_TRUE(requests.empty()) << '"' << text << '"';
        EXPECT_EQ(StatusForm().Label1(), "No message !") << '"' << text << '"';
    }
    windows.windows[kChat + 1].text = "  ";  // two blanks are a message
    Follow().Picture1_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "++");
}

TEST_F(frmFollowTest, AClickOnTheCaptionDoesWhatAClickOnThePictureDoes) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "hello there");
    windows.foreground = kChat;
    Follow();
    Step();
    Follow().Label2_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "hello+there");
}

// The window draws each picture in the place the form gives it and reports clicks by the control the
// form finds under the pointer; a skin picture wider than its button changes neither.
TEST_F(frmFollowTest, ALargerSkinPictureKeepsItsPlaceAndClicksLandOnTheControlUnderThePointer) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "hello there");
    windows.foreground = kChat;
    Follow();
    Step();
    Follow().SetButtonPicture(1, Picture{"C:\\skins\\big.gif", 400, 40});
    const std::vector<ToolPicture> places = Follow().Pictures();
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[0].picture.source, "C:\\skins\\big.gif");
    EXPECT_EQ(places[0].width, 1065);
    EXPECT_EQ(places[0].height, 225);
    EXPECT_EQ(places[1].left, 1065);
    EXPECT_EQ(places[2].left, 1065 + 2295);

    EXPECT_EQ(Follow().ControlAt(15, 200), frmFollow::kPicture1);
    EXPECT_EQ(Follow().ControlAt(300, 100), frmFollow::kLabel2);
    EXPECT_EQ(Follow().ControlAt(1065 + 1000, 100), frmFollow::kPicture2);
    EXPECT_EQ(Follow().ControlAt(3614, 0), frmFollow::kPicture3);
    EXPECT_EQ(Follow().ControlAt(3615, 0), std::nullopt);
    EXPECT_EQ(Follow().ControlAt(100, 225), std::nullopt);

    Follow().Click(frmFollow::kPicture2);  // the pair button has no action
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(menus.owners.empty());
    Follow().Click(frmFollow::kLabel2);
    EXPECT_EQ(requests.size(), 1u);
    Follow().Click(frmFollow::kPicture3);
    EXPECT_EQ(menus.owners.size(), 1u);
}

TEST_F(frmFollowTest, ThePairIsATableRowTheLabelShowsAndTheRequestCarries) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "hello there");
    windows.foreground = kChat;
    Follow();
    Step();
    Follow().SetPair(12);
    Follow().SetPair(kLanguagePairs.size());  // no such row: the pair stays
    EXPECT_EQ(Follow().Label1(), "GERMAN TO FRENCH");
    Follow().Picture1_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, "de_fr");
}

TEST_F(frmFollowTest, TheMenuButtonPopsUpTheOptionsMenuAndAPairItemSetsThePairLabel) {
    Follow();
    menus.choice = 9 + 1;  // "Russian to English": ten pairs before it, plus one separator
    Follow().Picture3_Click();
    EXPECT_EQ(socketReferences, 1);
    ASSERT_EQ(menus.owners.size(), 1u);
    EXPECT_EQ(menus.owners[0], Follow().Hwnd());
    ASSERT_EQ(menus.shown.size(), 15u);
    EXPECT_EQ(menus.shown[menus.choice.value()].caption, "Russian to English");
    EXPECT_EQ(Follow().Label1(), "RUSSIAN TO ENGLISH");

    menus.choice.reset();  // dismissed
    Follow().Picture3_Click();
    EXPECT_EQ(Follow().Label1(), "RUSSIAN TO ENGLISH");

    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "privet mir");
    windows.foreground = kChat;
    Step();
    Follow().Picture1_Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].code, "ru_en");
}

TEST(Twips, ToPixelsRoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(398.5), 398);
    EXPECT_EQ(RoundHalfEven(399.5), 400);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    EXPECT_EQ(TwipsToPixels(3615), 241);
    EXPECT_EQ(TwipsToPixels(-22), -1);
}

}  // namespace
}  // namespace quillmar

namespace quillmar {
namespace {

TEST_F(frmFollowTest, AChatRunningAsAdministratorIsNeitherReadNorSentAndTheStatusSaysWhy) {
    AddChat(kChat, "Send Message", {100, 50, 700, 400}, "hello");
    windows.windows[kChat].elevated = true;
    windows.foreground = kChat;
    Follow();
    Step();
    windows.sent.clear();
    Follow().Picture1_Click();
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(windows.sent.empty());  // not even its text was asked for
    EXPECT_TRUE(StatusForm().Visible());
    EXPECT_EQ(StatusForm().Label1(), "Runs as administrator");
    EXPECT_EQ(StatusForm().Outcome(), RequestOutcome::Error);
    // The same chat at our level translates.
    windows.windows[kChat].elevated = false;
    Follow().Picture1_Click();
    EXPECT_EQ(requests.size(), 1u);
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include <chrono>

#include "FollowFixture.h"
#include "follow/frmStatus.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

class frmStatusTest : public ::testing::Test, public testing::FollowFixture {
protected:
    // Reports when (ms after the outcome, or after a progress text) the window was gone, or -1 if it
    // lived 2 s.
    int ClosesAfter(RequestOutcome outcome, const std::string& text) {
        StatusForm().SetOutcome(outcome, text);
        return WaitForClose();
    }
    int ClosesAfter(const std::string& progress) {
        StatusForm().SetLabel1(progress);
        return WaitForClose();
    }
    // The window that showed a request is gone; the tracking step may have made a fresh hidden one since.
    bool ShownWindowGone() {
        return !IsStatusLoaded() || (StatusForm().Label1() == "Connecting" && !StatusForm().Visible());
    }
    int WaitForClose() {
        for (int elapsed = 10; elapsed <= 2000; elapsed += 10) {
            timers.Advance(milliseconds(10));
            if (!IsStatusLoaded()) return elapsed;
        }
        return -1;
    }
};

TEST_F(frmStatusTest, ANewWindowIsHiddenSaysConnectingAndHasItsBuiltInSize) {
    frmStatus& s = StatusForm();
    EXPECT_FALSE(s.Visible());
    EXPECT_EQ(s.Label1(), "Connecting");
    EXPECT_EQ(s.Width(), 1845);
    EXPECT_EQ(s.Height(), 375);
    EXPECT_EQ(s.BackgroundPicture().source, "builtin:status");
    EXPECT_FALSE(s.Timer2Enabled());
    EXPECT_TRUE(appliedSkins.empty());  // no skin chosen
}

TEST_F(frmStatusTest, SuccessNoMessageAndRejectionCloseTheWindow700To800MsLater) {
    for (const auto& [outcome, text] : {std::pair{RequestOutcome::NoMessage, "No message !"},
                                        std::pair{RequestOutcome::Success, "Operation Successfull !"},
                                        std::pair{RequestOutcome::Rejected, "Unknown error!"}}) {
        const int after = ClosesAfter(outcome, text);
        EXPECT_GE(after, 700) << text;
        EXPECT_LE(after, 800) << text;
        EXPECT_FALSE(views.statusAlive) << text;  // the window went with the form
    }
}

TEST_F(frmStatusTest, ProgressTextsAndAnErrorNeverCloseIt) {
    for (const char* text : {"Connecting", "Connected", "Retrieving Data", "Processing"}) {
        EXPECT_EQ(ClosesAfter(text), -1) << text;
    }
    EXPECT_EQ(ClosesAfter(RequestOutcome::Error, "Erros Occured ..."), -1);  // for 10 s: see below
    // The words are display only: a progress text that reads like an outcome keeps the window.
    EXPECT_EQ(ClosesAfter("Operation Successfull !"), -1);
    // A later outcome still closes it.
    const int after = ClosesAfter(RequestOutcome::Success, "Operation Successfull !");
    EXPECT_GE(after, 700);
    EXPECT_LE(after, 800);
}

TEST_F(frmStatusTest, AnErrorClosesOnAClickOrAfterTenSecondsButProgressIsNotClickedAway) {
    StatusForm().SetLabel1("Connecting");
    frmStatus& s = StatusForm();
    ASSERT_EQ(s.ControlAt(10, 10), frmStatus::kWholeWindow);
    s.Click(frmStatus::kWholeWindow);
    EXPECT_TRUE(IsStatusLoaded());

    StatusForm().SetOutcome(RequestOutcome::Error, "Erros Occured ...");
    StatusForm().Click(frmStatus::kWholeWindow);
    EXPECT_FALSE(IsStatusLoaded());

    const int after = ClosesAfter(RequestOutcome::Error, "Runs as administrator");
    EXPECT_EQ(after, -1);  // still up at 2 s
    timers.Advance(milliseconds(7990));
    EXPECT_TRUE(IsStatusLoaded());
    timers.Advance(milliseconds(20));
    EXPECT_FALSE(IsStatusLoaded());
}

TEST_F(frmStatusTest, ANewRequestInAnErrorWindowIsNotCutShortByTheErrorsClose) {
    StatusForm().SetOutcome(RequestOutcome::Error, "Erros Occured ...");
    timers.Advance(milliseconds(9000));
    StatusForm().SetLabel1("Connecting");  // the user tried again
    timers.Advance(milliseconds(5000));
    ASSERT_TRUE(IsStatusLoaded());
    // Its own outcome closes it as usual.
    const int after = ClosesAfter(RequestOutcome::Success, "Operation Successfull !");
    EXPECT_GE(after, 700);
    EXPECT_LE(after, 800);
}

// The hidden form lives as long as a chat window is in front; until an outcome it must not wake the
// program, and a progress text does not start anything either.
TEST_F(frmStatusTest, NoTimerRunsUntilAnOutcomeWaitsForItsClose) {
    const std::size_t idle = timers.RunningTimers();
    StatusForm();
    EXPECT_EQ(timers.RunningTimers(), idle);
    StatusForm().SetLabel1("Retrieving Data");
    timers.Advance(milliseconds(1000));
    EXPECT_EQ(timers.RunningTimers(), idle);
    StatusForm().SetOutcome(RequestOutcome::Success, "Operation Successfull !");
    EXPECT_GT(timers.RunningTimers(), idle);
}

TEST_F(frmStatusTest, ASecondOutcomeDoesNotPostponeTheClose) {
    StatusForm().SetOutcome(RequestOutcome::Rejected, "Unknown error!");
    ASSERT_TRUE(StatusForm().Timer2Enabled());
    timers.Advance(milliseconds(400));
    StatusForm().SetOutcome(RequestOutcome::Rejected, "Unknown error!");  // told again: the watch again
    timers.Advance(milliseconds(290));
    ASSERT_TRUE(IsStatusLoaded());
    timers.Advance(milliseconds(20));
    EXPECT_FALSE(IsStatusLoaded());
}

TEST_F(frmStatusTest, TheNextReferenceCreatesAFreshWindowThatAppliesTheSkinAgain) {
    state.CurrentSkinName = "Blue";
    StatusForm().SetOutcome(RequestOutcome::NoMessage, "No message !");
    StatusForm().SetVisible(true);
    EXPECT_EQ(appliedSkins.size(), 1u);
    timers.Advance(milliseconds(800));
    ASSERT_FALSE(IsStatusLoaded());
    frmStatus& fresh = StatusForm();
    EXPECT_EQ(fresh.Label1(), "Connecting");
    EXPECT_FALSE(fresh.Visible());
    EXPECT_FALSE(fresh.Timer2Enabled());
    EXPECT_EQ(views.statusCreated, 2);
    EXPECT_EQ(appliedSkins, (std::vector<std::string>{"Blue", "Blue"}));
    timers.Advance(milliseconds(2000));
    EXPECT_TRUE(IsStatusLoaded());  // "Connecting" keeps it
}

TEST_F(frmStatusTest, ATranslationStartedWhileTheCloseTimerRunsLeavesItsTextsToANewHiddenWindow) {
    const WindowHandle edit = AddChat(100, "Send Message", {100, 50, 700, 400}, "first");
    windows.foreground = 100;
    Follow();
    timers.Advance(milliseconds(100));
    StatusForm().SetOutcome(RequestOutcome::Success, "Operation Successfull !");
    timers.Advance(milliseconds(300));  // close timer running for 300 ms
    ASSERT_TRUE(StatusForm().Timer2Enabled());

    windows.windows[edit].text = "second one";
    Follow().Picture1_Click();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(StatusForm().Visible());
    timers.Advance(milliseconds(500));  // the old close is not stopped
    EXPECT_TRUE(ShownWindowGone());

    // The next status text creates a new window, which stays hidden ... until the tracking step,
    // which only re-places a visible one.
    StatusForm().SetLabel1("Connected");
    EXPECT_FALSE(StatusForm().Visible());
    StatusForm().SetOutcome(RequestOutcome::Success, "Operation Successfull !");
    timers.Advance(milliseconds(800));
    EXPECT_TRUE(ShownWindowGone());
}

}  // namespace
}  // namespace quillmar

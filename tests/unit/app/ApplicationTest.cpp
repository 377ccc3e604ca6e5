#include <gtest/gtest.h>

#include <chrono>

#include "app/Application.h"
#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeFollowPorts.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeTimers.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "translate/AnswerText.h"
#include "translate/OptionsMenu.h"
#include "translate/frmSocket.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

constexpr WindowHandle kChat = 100;
constexpr WindowHandle kChatEdit = 101;
constexpr WindowHandle kSecondChat = 300;
constexpr WindowHandle kSecondEdit = 301;

// A service answer page from which the translation is cut.
std::string AnswerPage(const std::string& translation) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><form><textarea name=q\">" + translation +
           "  </textarea></form></html>";
}

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() {
        windows.Add(kChat, "#32770", "john - Send Message");
        windows.windows[kChat].rect = {100, 50, 700, 400};
        windows.Add(kChatEdit, "Edit", "good morning", kChat);
        windows.Add(kSecondChat, "#32770", "mary - Send Message");
        windows.windows[kSecondChat].rect = {0, 0, 600, 300};
        windows.Add(kSecondEdit, "RichEdit20W", "see you", kSecondChat);
    }

    void Bring(WindowHandle window) {
        windows.foreground = window;
        timers.Advance(milliseconds(100));
    }
    void Answer(const std::string& translation) {
        connection.DeliverConnect();
        connection.DeliverData(AnswerPage(translation));
        connection.DeliverClose();
    }

    ProgramState state;
    fakes::FakeForeignWindows windows;
    fakes::FakePictures pictures;
    fakes::FakeTimers timers;
    fakes::FakeConnection connection;
    fakes::FakeDialogs dialogs;
    fakes::FakePopupMenus menus;
    fakes::FakeFormViews views;
    Application app{state, {windows, pictures, timers, connection, dialogs, menus, views}, "localhost"};
};

TEST(AnswerPage, IsCutAsTheServiceAnswerIs) {
    EXPECT_EQ(ExtractTranslation(AnswerPage("bonjour")), "bonjour");
}

TEST_F(ApplicationTest, FormsAreCreatedByTheirFirstReferenceOnly) {
    EXPECT_FALSE(app.IsFollowLoaded());
    EXPECT_FALSE(app.IsStatusLoaded());
    EXPECT_FALSE(app.IsSocketLoaded());
    frmFollow& follow = app.FollowForm();
    EXPECT_EQ(&follow, &app.FollowForm());
    EXPECT_EQ(views.followCreated, 1);
    EXPECT_EQ(follow.Width(), 3615);  // Form_Load ran
    EXPECT_FALSE(app.IsSocketLoaded());
    app.StatusForm();
    app.StatusForm();
    EXPECT_EQ(views.statusCreated, 1);
    app.UnloadStatusForm();
    EXPECT_FALSE(views.statusAlive);
    app.StatusForm();
    EXPECT_EQ(views.statusCreated, 2);
}

TEST_F(ApplicationTest, TranslateReplacesTheTypedTextAndTheStatusWindowClosesAfterSuccess) {
    app.FollowForm();
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    ASSERT_EQ(connection.connects.size(), 1u);
    EXPECT_EQ(connection.connects[0].host, "localhost");
    EXPECT_EQ(app.StatusForm().Label1(), "Connecting");
    connection.DeliverConnect();
    EXPECT_NE(connection.sent.find("good+morning"), std::string::npos);
    EXPECT_NE(connection.sent.find("en_fr"), std::string::npos);
    EXPECT_EQ(app.StatusForm().Label1(), "Connected");
    connection.DeliverData(AnswerPage("bonjour"));
    EXPECT_EQ(app.StatusForm().Label1(), "Retrieving Data");
    connection.DeliverClose();
    EXPECT_EQ(windows.windows[kChatEdit].text, "bonjour");
    EXPECT_EQ(app.StatusForm().Label1(), "Operation Successfull !");
    EXPECT_TRUE(app.StatusForm().Visible());
    timers.Advance(milliseconds(690));
    EXPECT_TRUE(app.IsStatusLoaded());
    timers.Advance(milliseconds(110));
    EXPECT_FALSE(app.IsStatusLoaded());
}

TEST_F(ApplicationTest, RussianTextTravelsWholeBothWays) {
    app.FollowForm();
    windows.windows[kChatEdit].text = "Привет, мир";
    app.FollowForm().Picture3_Click();  // no choice: the menu is dismissed
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    Answer("Здравствуй 😀");
    EXPECT_EQ(windows.windows[kChatEdit].text, "Здравствуй 😀");
}

TEST_F(ApplicationTest, AnAnswerGoesToTheWindowItWasCapturedFromEvenAfterAClickInAnotherChat) {
    app.FollowForm();
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    Bring(kSecondChat);
    app.FollowForm().Picture1_Click();  // while the first is in flight
    EXPECT_EQ(state.EditHwnd, kSecondEdit);
    Answer("bonjour");
    EXPECT_EQ(windows.windows[kChatEdit].text, "bonjour");
    EXPECT_EQ(windows.windows[kSecondEdit].text, "see you");
}

TEST_F(ApplicationTest, AHungTargetKeepsTheUsersTextAndTheStatusSaysSo) {
    app.FollowForm();
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    windows.windows[kChatEdit].hung = true;
    Answer("bonjour");
    EXPECT_EQ(windows.windows[kChatEdit].text, "good morning");
    EXPECT_EQ(app.StatusForm().Label1(), "Erros Occured ...");
    timers.Advance(milliseconds(2000));
    EXPECT_TRUE(app.IsStatusLoaded());  // stays up: the text has no closing word
}

TEST_F(ApplicationTest, ARefusedConnectionLeavesTheChatTextUntouched) {
    app.FollowForm();
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    connection.DeliverError(10061, "connection refused");
    EXPECT_EQ(windows.windows[kChatEdit].text, "good morning");
    EXPECT_EQ(app.StatusForm().Label1(), "Erros Occured ...");
}

TEST_F(ApplicationTest, ThePairMenuCreatesTheTranslationFormAndTheChosenPairIsUsed) {
    app.FollowForm();
    menus.choice = 13;  // "French to German" comes after eleven pairs and two separators
    app.FollowForm().Picture3_Click();
    EXPECT_TRUE(app.IsSocketLoaded());
    EXPECT_EQ(menus.shown[13].caption, "French to German");
    EXPECT_EQ(app.FollowForm().Label1(), "FRENCH TO GERMAN");
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    connection.DeliverConnect();
    EXPECT_NE(connection.sent.find("fr_de"), std::string::npos);
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuGermantoFrench"));
    EXPECT_EQ(app.FollowForm().Label1(), "GERMAN TO FRENCH");
    EXPECT_FALSE(app.OptionsMenuOfSocket().Click(""));
}

}  // namespace
}  // namespace quillmar

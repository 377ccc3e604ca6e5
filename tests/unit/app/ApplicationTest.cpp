#include <gtest/gtest.h>

#include <chrono>

#include "app/Application.h"
#include "fakes/FakeAppPorts.h"
#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeFollowPorts.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeShell.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "translate/AnswerText.h"
#include "translate/OptionsMenu.h"
#include "translate/frmSocket.h"
#include "skins/AutoStart.h"
#include "skins/SettingsForm.h"

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
    std::vector<std::string> journal;
    fakes::FakeTrayIcons tray{journal};
    fakes::FakeSettingsStore settings;
    fakes::FakeShell shell;
    fakes::FakeProcessExit exit{journal};
    fakes::FakeRegistry registry;
    fakes::FakeFileSystem files;
    fakes::FakeProfileFiles profiles;
    fakes::FakeCommonDialogs commonDialogs;
    fakes::FakeWindowState windowState;
    struct : ProgramInfo {
        ProgramVersion Version() override { return {1, 0, 1, "Translates chat.", "Copyright Q"}; }
    } info;
    Application app{state,
                    {windows, pictures, timers, connection, dialogs, menus, views, tray, settings, shell, exit,
                     registry, files, info, profiles, commonDialogs, windowState, windowState},
                    "localhost"};
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
    menus.choice = 20;  // "French to German"
    app.FollowForm().Picture3_Click();
    EXPECT_TRUE(app.IsSocketLoaded());
    EXPECT_EQ(menus.shown[20].caption, "French to German");
    EXPECT_EQ(app.FollowForm().Label1(), "FRENCH TO GERMAN");
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    connection.DeliverConnect();
    EXPECT_NE(connection.sent.find("fr_de"), std::string::npos);
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuGermantoFrench"));
    EXPECT_EQ(app.FollowForm().Label1(), "GERMAN TO FRENCH");
    EXPECT_FALSE(app.OptionsMenuOfSocket().Click(""));
}

TEST_F(ApplicationTest, StartLoadsTheFormsAddsTheIconAndKeepsTheStoredSkinName) {
    settings.values["QUILLMAR|settings|CurrentSkin"] = "Blue";
    app.Start({"C:\\Tools\\Q", "tr"}, 0x4000);
    EXPECT_TRUE(app.IsFollowLoaded());
    EXPECT_TRUE(app.IsSocketLoaded());
    ASSERT_EQ(tray.added.size(), 1u);
    EXPECT_EQ(tray.added[0].owner, WindowHandle{0x4000});
    EXPECT_EQ(state.ExePath, "C:\\Tools\\Q\\tr.exe");
    EXPECT_EQ(state.CurrentSkinName, "Blue");
    app.Start({"C:\\Other", "x"}, 0x4001);  // frmMain exists: its Form_Load does not run again
    EXPECT_EQ(tray.added.size(), 1u);
}

// Both exit commands remove the icon with the record it was added with, then end; nothing after.
TEST_F(ApplicationTest, BothExitCommandsRemoveTheIconFirstThenEndTheProcess) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    EXPECT_THROW(app.OptionsMenuOfSocket().Click("mnuExit"), fakes::ProcessEnded);
    EXPECT_EQ(journal, (std::vector<std::string>{"add icon", "delete icon", "end process"}));
    ASSERT_EQ(tray.deleted.size(), 1u);
    EXPECT_EQ(tray.deleted[0].owner, tray.added[0].owner);
    EXPECT_EQ(tray.deleted[0].id, tray.added[0].id);

    journal.clear();
    menus.choice = 4;  // "E&xit"
    EXPECT_THROW(app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0), fakes::ProcessEnded);
    EXPECT_EQ(menus.shown[4].caption, "E&xit");
    EXPECT_EQ(journal, (std::vector<std::string>{"delete icon", "end process"}));
}

TEST_F(ApplicationTest, SettingsFromEitherMenuShowTheOneDialogUntilItsCloseBoxUnloadsIt) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    menus.choice = 2;  // "&Settings"
    app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0);
    ASSERT_TRUE(app.IsSettingsLoaded());
    EXPECT_EQ(views.dialogForm->Caption(), "QUILLMAR SETTINGS");
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuConfig"));
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(views.dialog->shows, 2);
    views.dialogForm->CloseBox();
    EXPECT_FALSE(app.IsSettingsLoaded());
    EXPECT_FALSE(views.dialogAlive);
    app.ShowSettings();
    EXPECT_EQ(views.dialogsCreated, 2);
}

// The dialog's window: the designer item cuts the open window short in place, moves Frame2 and its
// controls up and takes the option group and the buttons out of reach; the settings item then changes
// nothing. What the user typed and ticked reaches the handlers.
TEST_F(ApplicationTest, SkinDesignerTurnsTheOpenSettingsWindowIntoTheDesignerInPlace) {
    app.Start({"C:\\Program Files\\Q", "Quillmar"}, 0x4000);
    app.ShowSettings();
    DialogForm& form = *views.dialogForm;
    auto control = [&](int id) {
        for (const DialogControl& c : form.Controls()) {
            if (c.id == id) return c;
        }
        ADD_FAILURE() << "no control " << id;
        return DialogControl{};
    };
    const std::vector<int> settingsPlace = views.dialog->placed;
    ASSERT_EQ(settingsPlace.size(), 4u);
    // 5670 x 6420 twips of client area and a frame of 6 x 25 pixels, centred on 1024 x 768.
    EXPECT_EQ(settingsPlace, (std::vector<int>{(1024 - 384) / 2, (768 - 453) / 2, 384, 453}));
    EXPECT_EQ(control(SettingsForm::kTxtSkinName).top, 1395 + 420);
    EXPECT_TRUE(control(SettingsForm::kCommand1).visible);
    EXPECT_EQ(control(SettingsForm::kPicture4).pictureSource, "builtin:folder");
    EXPECT_EQ(control(SettingsForm::kPicture4).toolTip, "Choose menu button Image");
    EXPECT_EQ(control(SettingsForm::kPbSelector).pictureSource, "builtin:select");

    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuEditSkin"));
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(form.Caption(), "SKIN DESIGNER");
    EXPECT_EQ(views.dialog->placed, (std::vector<int>{settingsPlace[0], settingsPlace[1], 384, 341}));
    EXPECT_EQ(control(SettingsForm::kFrame2).top, 210);
    EXPECT_EQ(control(SettingsForm::kTxtSkinName).top, 210 + 420);
    for (int hidden : {SettingsForm::kCommand1, SettingsForm::kCommand2, SettingsForm::kCommand3,
                       SettingsForm::kCheck1, SettingsForm::kFrame1}) {
        EXPECT_FALSE(control(hidden).visible) << hidden;
    }
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuConfig"));
    EXPECT_EQ(form.Caption(), "SKIN DESIGNER");
    EXPECT_EQ(views.dialog->placed[3], 341);

    views.dialog->texts[SettingsForm::kTxtSkinName] = "Night";
    form.Click(SettingsForm::kCommand4);
    EXPECT_EQ(control(SettingsForm::kFrame2).caption, "Skin Designer [ Night ]");
    views.dialog->texts[SettingsForm::kTxtSkinName] = "";
    form.Click(SettingsForm::kCommand5);  // the name is the one set, not the one in the box
    EXPECT_EQ(commonDialogs.calls.size(), 1u);
    EXPECT_EQ(windowState.log, (std::vector<std::string>{"topmost", "hourglass", "pointer"}));
}

TEST_F(ApplicationTest, TheTickedBoxAndOkWriteTheQuotedRunValueAndUnloadTheDialog) {
    app.Start({"C:\\Program Files\\Q", "Quillmar"}, 0x4000);
    app.ShowSettings();
    views.dialog->ticked.insert(SettingsForm::kCheck1);
    views.dialogForm->Click(SettingsForm::kCheck1);
    views.dialogForm->Click(SettingsForm::kCommand1);
    EXPECT_EQ(registry.String(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR"),
              "\"C:\\Program Files\\Q\\Quillmar.exe\"");
    EXPECT_EQ(settings.values["QUILLMAR|settings|loadwin"], "true");
    EXPECT_FALSE(app.IsSettingsLoaded());

    app.ShowSettings();  // loaded afresh, the box set from the store
    bool ticked = false;
    for (const DialogControl& c : views.dialogForm->Controls()) {
        if (c.id == SettingsForm::kCheck1) ticked = c.checked;
    }
    EXPECT_TRUE(ticked);
}

// About from the tray menu loads the box once and shows it again; its buttons reach its handlers, and OK
// unloads it so that the next About makes a fresh one.
TEST_F(ApplicationTest, AboutShowsOneAboutBoxWhoseButtonsReachItsHandlers) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    menus.choice = 0;
    app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0);
    app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0);
    ASSERT_TRUE(app.IsAboutLoaded());
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(views.dialog->shows, 2);
    DialogForm& box = *views.dialogForm;
    EXPECT_EQ(box.Caption(), " About QUILLMAR");
    const std::vector<DialogControl> controls = box.Controls();
    ASSERT_FALSE(controls.empty());
    EXPECT_EQ(controls[0].caption, "OK");  // first in tab order, both Enter and Esc
    EXPECT_TRUE(controls[0].isDefault && controls[0].isCancel);
    bool versionShown = false;
    for (const DialogControl& control : controls) versionShown |= control.caption == "Version 1.0.1";
    EXPECT_TRUE(versionShown);
    EXPECT_EQ(views.dialog->placed.size(), 4u);  // Form_Load placed the box

    box.Click(AboutBox::kSysInfoId);  // nothing in the fake registry: the tool is unavailable
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, frmAbout::kUnavailable);
    EXPECT_TRUE(app.IsAboutLoaded());

    box.Click(AboutBox::kOkId);
    EXPECT_FALSE(app.IsAboutLoaded());
    EXPECT_FALSE(views.dialogAlive);
    app.ShowAbout();
    EXPECT_EQ(views.dialogsCreated, 2);
    views.dialogForm->CloseBox();
    EXPECT_FALSE(app.IsAboutLoaded());
}

TEST_F(ApplicationTest, OptionsMenuOpensTheGalleryAndAChosenSkinIsStoredBeforeItIsApplied) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuMoreSkins"));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], SkinGalleryAddress(HomeHost()));
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuSkinList"));
    EXPECT_EQ(state.CurrentSkinName, "Default Skin");
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Default Skin");
}

}  // namespace
}  // namespace quillmar

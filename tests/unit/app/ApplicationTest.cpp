#include <gtest/gtest.h>

#include <chrono>

#include "app/Application.h"
#include "fakes/FakeAppPorts.h"
#include "fakes/FakeCompanionControl.h"
#include "fakes/FakeSecretProtector.h"
#include "fakes/FakeConnection.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeFollowPorts.h"
#include "fakes/FakeForeignWindows.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeTimers.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeFocusedText.h"
#include "follow/FocusedText.h"
#include "follow/frmFollow.h"
#include "follow/frmStatus.h"
#include "translate/OptionsMenu.h"
#include "translate/frmSocket.h"
#include "skins/AutoStart.h"
#include "skins/frmSettings.h"

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
    // A skin folder under C:\Q\skins whose .QSK names four pictures that load, and a pair-label colour.
    void AddSkin(const std::string& folder, const std::string& title, Colour pairColour) {
        const std::string dir = "C:\\Q\\skins\\" + folder + "\\";
        const std::string file = dir + folder + ".QSK";
        files.AddFile(file);
        profiles.Set(file, "Skin", "title", title);
        profiles.Set(file, "Details", "SelectCol", " " + std::to_string(pairColour));
        for (const char* key : {"menufile", "selectfile", "translateFile", "statusFile"}) {
            profiles.Set(file, "Details", key, std::string(key) + ".gif");
            pictures.sizes[dir + key + ".gif"] = {40, 30};
        }
    }
    // Opens the options menu from the toolbar and picks `row`; the rows of "Select a Skin" as shown.
    std::vector<std::string> PickFromOptionsMenu(std::optional<std::size_t> row) {
        menus.choice = row;
        app.FollowForm().Picture3_Click();
        std::vector<std::string> skinRows;
        for (const MenuItemView& view : menus.shown) {
            if (view.level == 1) skinRows.push_back(view.caption);
        }
        return skinRows;
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
    fakes::FakeSecretProtector secrets;
    fakes::FakeCompanionControl companion;
    Application app{state,
                    {windows, pictures, timers, connection, dialogs, menus, views, tray, settings, shell, exit,
                     registry, files, info, profiles, commonDialogs, windowState, windowState, secrets,
                     companion}};
};

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
    EXPECT_EQ(app.StatusForm().Label1(), "Operation Successfull !");
    timers.Advance(milliseconds(20));
    // Gone: what the tracking step may have made since is a fresh hidden one.
    EXPECT_TRUE(!app.IsStatusLoaded() || !app.StatusForm().Visible());
    EXPECT_NE(app.StatusForm().Label1(), "Operation Successfull !");
}

// No service to ask: nothing is sent, the typed text stays, and the user reads why.
TEST_F(ApplicationTest, WithoutAServiceTheTypedTextStaysAndTheMessageSaysWhy) {
    companion.whyNot = "The translation service could not be started: C:\\Q\\quillmar-service.exe is missing.";
    app.FollowForm();
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    EXPECT_TRUE(connection.connects.empty());
    EXPECT_EQ(windows.windows[kChatEdit].text, "good morning");
    EXPECT_EQ(app.StatusForm().Label1(), "Erros Occured ...");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, companion.whyNot);
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

TEST_F(ApplicationTest, RestoreTypedTextPutsItBackOnlyWhileTheControlStillShowsTheTranslation) {
    app.FollowForm();
    app.WriteBack().RestoreTypedText();
    EXPECT_EQ(app.StatusForm().Label1(), "Nothing to restore");

    Bring(kChat);
    app.FollowForm().Picture1_Click();
    Answer("bonjour");
    windows.windows[kChatEdit].text = "bonjour, john";  // the user went on typing
    app.OptionsMenuOfSocket().Click("mnuRestore");
    EXPECT_EQ(windows.windows[kChatEdit].text, "bonjour, john");
    EXPECT_EQ(app.StatusForm().Label1(), "Text has changed !");

    app.FollowForm().Picture1_Click();
    Answer("bonjour, jean");
    app.OptionsMenuOfSocket().Click("mnuRestore");
    EXPECT_EQ(windows.windows[kChatEdit].text, "bonjour, john");
    EXPECT_EQ(app.StatusForm().Outcome(), RequestOutcome::Success);
    app.WriteBack().RestoreTypedText();  // once only
    EXPECT_EQ(app.StatusForm().Label1(), "Nothing to restore");
}

TEST_F(ApplicationTest, ATranslationTheControlDoesNotTakeIsAnErrorAndTheTypedTextStays) {
    app.FollowForm();
    windows.windows[kChatEdit].maxBytes = 12;
    Bring(kChat);
    app.FollowForm().Picture1_Click();
    Answer("bonjour tout le monde");
    EXPECT_EQ(windows.windows[kChatEdit].text, "good morning");
    EXPECT_EQ(app.StatusForm().Outcome(), RequestOutcome::Error);
}

TEST_F(ApplicationTest, EachChatGetsBackThePairChosenForItAndANewChatKeepsTheCurrentOne) {
    app.FollowForm();
    Bring(kChat);
    app.OptionsMenuOfSocket().Click("mnuGermantoFrench");
    Bring(kSecondChat);
    EXPECT_EQ(app.FollowForm().Label1(), "GERMAN TO FRENCH");  // never seen: the pair stays
    app.OptionsMenuOfSocket().Click("mnuRussiantoEnglish");
    Bring(kChat);
    EXPECT_EQ(app.FollowForm().Label1(), "GERMAN TO FRENCH");
    app.FollowForm().Picture1_Click();
    connection.DeliverConnect();
    EXPECT_NE(connection.sent.find("de_fr"), std::string::npos);

    ProgramState restartedState;
    Application restarted{restartedState,
                          {windows, pictures, timers, connection, dialogs, menus, views, tray, settings, shell,
                           exit, registry, files, info, profiles, commonDialogs, windowState, windowState,
                           secrets, companion}};
    restarted.FollowForm();
    windows.foreground = kSecondChat;
    timers.Advance(milliseconds(100));
    EXPECT_EQ(restarted.FollowForm().Label1(), "RUSSIAN TO ENGLISH");
}

TEST_F(ApplicationTest, TheHotkeyTranslatesTheFocusedControlOfAnyWindowInPlaceWithTheToolbarsPair) {
    fakes::FakeAccessibleValues msaa;
    fakes::FakeAccessibleValues uia;
    fakes::FakeClipboard clipboard{timers};
    fakes::FakeEditKeys keys{clipboard, timers};
    fakes::FakeWaitClock clock{timers};
    FollowMod module{windows};
    FocusedText focused{module, {windows, uia, msaa, clipboard, keys, clock, dialogs}};
    app.SetFocusedText(&focused);
    app.FollowForm();
    Bring(kChat);
    app.OptionsMenuOfSocket().Click("mnuEnglishtoGerman");

    windows.Add(500, "Chrome_WidgetWin_1", "Team notes");  // a title no rule follows
    windows.Add(501, "Chrome_RenderWidgetHostHWND", "", 500);
    windows.windows[501].rect = {40, 60, 400, 90};
    keys.text = "good night";
    clipboard.Put("kept");
    windows.focus = 501;
    Bring(500);
    app.HotkeyTranslation().TranslateFocused();
    EXPECT_EQ(app.StatusForm().Left(), 40 * 15);
    EXPECT_EQ(app.StatusForm().Top(), 90 * 15);
    connection.DeliverConnect();
    EXPECT_NE(connection.sent.find("good+night"), std::string::npos);
    EXPECT_NE(connection.sent.find("en_de"), std::string::npos);
    connection.DeliverData(AnswerPage("gute Nacht"));
    connection.DeliverClose();
    EXPECT_EQ(keys.text, "gute Nacht");
    EXPECT_EQ(clipboard.GetText(), "kept");
    EXPECT_EQ(app.StatusForm().Outcome(), RequestOutcome::Success);

    keys.text = "";
    app.HotkeyTranslation().TranslateFocused();
    EXPECT_EQ(app.StatusForm().Label1(), "No message !");

    // Keys still held after seconds: nothing is copied, and the status says why.
    keys.text = "good night";
    keys.heldFor = timers.Now() + milliseconds(10000);
    const std::string sentBeforeHeld = connection.sent;
    app.HotkeyTranslation().TranslateFocused();
    EXPECT_EQ(app.StatusForm().Label1(), "Let go of the keys");
    EXPECT_EQ(connection.sent, sentBeforeHeld);
    keys.heldFor = milliseconds(0);

    // A window run as administrator drops the keys the hotkey would type: none are sent, and the
    // status says why instead of "No message !".
    windows.windows[500].elevated = true;
    keys.text = "good night";
    const std::string sentBefore = connection.sent;
    app.HotkeyTranslation().TranslateFocused();
    EXPECT_EQ(app.StatusForm().Label1(), "Runs as administrator");
    EXPECT_EQ(keys.text, "good night");
    EXPECT_EQ(connection.sent, sentBefore);
}

TEST_F(ApplicationTest, TheToolbarAlsoFollowsWindowsTheStoredRulesNameAfterTheChatTitleTest) {
    settings.SaveSetting("QUILLMAR", "settings", "FollowRules", "class:Chrome_WidgetWin_1; program:telegram.exe");
    windows.Add(500, "Chrome_WidgetWin_1", "Team notes");
    windows.Add(600, "Qt5QWindowIcon", "Bob");
    windows.windows[600].program = "Telegram.exe";
    windows.Add(700, "Notepad", "notes.txt - Notepad");
    windows.windows[700].program = "notepad.exe";
    app.FollowForm();
    for (WindowHandle followed : {WindowHandle{500}, WindowHandle{600}}) {
        Bring(followed);
        EXPECT_EQ(state.TargetHwnd, followed);
        EXPECT_TRUE(app.FollowForm().Visible());
    }
    Bring(700);
    EXPECT_EQ(state.TargetHwnd, 0u);
    const std::size_t asked = windows.programQueries;
    Bring(kChat);  // the chat title answers first: no rule is asked
    EXPECT_EQ(state.TargetHwnd, kChat);
    EXPECT_EQ(windows.programQueries, asked);
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
    menus.choice = 21;  // "French to German"
    app.FollowForm().Picture3_Click();
    EXPECT_TRUE(app.IsSocketLoaded());
    EXPECT_EQ(menus.shown[21].caption, "French to German");
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

// Both exit commands remove the icon with the record it was added with, end the companion the start
// started, then end; nothing after.
TEST_F(ApplicationTest, BothExitCommandsRemoveTheIconFirstThenEndTheProcess) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    EXPECT_EQ(companion.starts, 1);
    EXPECT_THROW(app.OptionsMenuOfSocket().Click("mnuExit"), fakes::ProcessEnded);
    EXPECT_EQ(journal, (std::vector<std::string>{"add icon", "delete icon", "end process"}));
    ASSERT_EQ(tray.deleted.size(), 1u);
    EXPECT_EQ(tray.deleted[0].owner, tray.added[0].owner);
    EXPECT_EQ(tray.deleted[0].id, tray.added[0].id);

    journal.clear();
    menus.choice = 5;  // "E&xit"
    EXPECT_THROW(app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0), fakes::ProcessEnded);
    EXPECT_EQ(menus.shown[5].caption, "E&xit");
    EXPECT_EQ(journal, (std::vector<std::string>{"delete icon", "end process"}));
    EXPECT_EQ(companion.ends, 2);
}

TEST_F(ApplicationTest, SettingsFromEitherMenuShowTheOneDialogUntilItsCloseBoxUnloadsIt) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    menus.choice = 2;  // "&Settings"
    app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0);
    ASSERT_TRUE(app.IsSettingsLoaded());
    EXPECT_EQ(views.dialogForm->Title(), "QUILLMAR SETTINGS");
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
    auto picture = [&](int id) { return std::get<DialogControl::Picture>(control(id).kind); };
    ASSERT_TRUE(views.dialog->placed.has_value());
    const TwipsRect settingsPlace = *views.dialog->placed;
    // 5670 x 6420 twips of client area and a frame of 90 x 375 (6 x 25 pixels), centred on 15360 x 11520.
    EXPECT_EQ(settingsPlace, (TwipsRect{4800, 2362, 5760, 6795}));
    EXPECT_EQ(control(frmSettings::kTxtSkinName).bounds.top, 1395 + 420);
    EXPECT_TRUE(control(frmSettings::kCommand1).visible);
    EXPECT_EQ(picture(frmSettings::kPicture4).source, "builtin:folder");
    EXPECT_EQ(picture(frmSettings::kPicture4).toolTip, "Choose menu button Image");
    EXPECT_EQ(picture(frmSettings::kPbSelector).source, "builtin:select");

    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuEditSkin"));
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(form.Title(), "SKIN DESIGNER");
    EXPECT_EQ(views.dialog->placed, (TwipsRect{settingsPlace.left, settingsPlace.top, 5760, 5120}));
    EXPECT_EQ(control(frmSettings::kFrame2).bounds.top, 210);
    EXPECT_EQ(control(frmSettings::kTxtSkinName).bounds.top, 210 + 420);
    for (int hidden : {frmSettings::kCommand1, frmSettings::kCommand2, frmSettings::kCommand3,
                       frmSettings::kCheck1, frmSettings::kFrame1}) {
        EXPECT_FALSE(control(hidden).visible) << hidden;
    }
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuConfig"));
    EXPECT_EQ(form.Title(), "SKIN DESIGNER");
    EXPECT_EQ(views.dialog->placed->height, 5120);

    views.dialog->texts[frmSettings::kTxtSkinName] = "Night";
    form.Click(frmSettings::kCommand4);
    EXPECT_EQ(std::get<DialogControl::Frame>(control(frmSettings::kFrame2).kind).caption, "Skin Designer [ Night ]");
    views.dialog->texts[frmSettings::kTxtSkinName] = "";
    form.Click(frmSettings::kCommand5);  // the name is the one set, not the one in the box
    EXPECT_EQ(commonDialogs.calls.size(), 1u);
    EXPECT_EQ(windowState.log, (std::vector<std::string>{"topmost", "hourglass", "pointer"}));
}

TEST_F(ApplicationTest, TheTickedBoxAndOkWriteTheQuotedRunValueAndUnloadTheDialog) {
    app.Start({"C:\\Program Files\\Q", "Quillmar"}, 0x4000);
    app.ShowSettings();
    views.dialog->ticked.insert(frmSettings::kCheck1);
    views.dialogForm->Click(frmSettings::kCheck1);
    views.dialogForm->Click(frmSettings::kCommand1);
    EXPECT_EQ(registry.String(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR"),
              "\"C:\\Program Files\\Q\\Quillmar.exe\"");
    EXPECT_EQ(settings.values["QUILLMAR|settings|loadwin"], "true");
    EXPECT_FALSE(app.IsSettingsLoaded());

    app.ShowSettings();  // loaded afresh, the box set from the store
    bool ticked = false;
    for (const DialogControl& c : views.dialogForm->Controls()) {
        if (c.id == frmSettings::kCheck1) ticked = std::get<DialogControl::CheckBox>(c.kind).checked;
    }
    EXPECT_TRUE(ticked);
}

TEST_F(ApplicationTest, TheServiceItemOfEitherMenuShowsTheOneServiceDialogWhoseOkRestartsTheCompanion) {
    app.Start({"C:\\Q", "tr"}, 0x4000);
    menus.choice = 3;  // "&Translation service..."
    app.MainForm().Form_MouseMove(0, 0, 517 * 15, 0);
    ASSERT_TRUE(app.IsServiceLoaded());
    EXPECT_EQ(views.dialogForm->Title(), "TRANSLATION SERVICE");
    EXPECT_TRUE(app.OptionsMenuOfSocket().Click("mnuService"));
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(views.dialog->shows, 2);
    EXPECT_FALSE(app.IsSettingsLoaded());

    views.dialogForm->Click(frmService::kCmdOK);
    EXPECT_FALSE(app.IsServiceLoaded());
    EXPECT_EQ(companion.restarts, 1);
    EXPECT_EQ(settings.values["QUILLMAR|settings|Engines"], "mymemory");
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
    EXPECT_EQ(box.Title(), " About QUILLMAR");
    const std::vector<DialogControl> controls = box.Controls();
    ASSERT_FALSE(controls.empty());
    const auto& ok = std::get<DialogControl::Button>(controls[0].kind);
    EXPECT_EQ(ok.caption, "OK");  // first in tab order, both Enter and Esc
    EXPECT_TRUE(ok.isDefault && ok.isCancel);
    bool versionShown = false;
    for (const DialogControl& control : controls) {
        const auto* label = std::get_if<DialogControl::Label>(&control.kind);
        versionShown |= label != nullptr && label->caption == "Version 1.0.1";
    }
    EXPECT_TRUE(versionShown);
    EXPECT_TRUE(views.dialog->placed.has_value());  // Form_Load placed the box

    box.Click(frmAbout::kSysInfoId);  // nothing in the fake registry: the tool is unavailable
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, frmAbout::kUnavailable);
    EXPECT_TRUE(app.IsAboutLoaded());

    box.Click(frmAbout::kOkId);
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

// The skin stored as "CurrentSkin" reaches the toolbar and the status window at start-up, and again each
// time a new status window loads; the buttons keep the places their built-in pictures gave them.
TEST_F(ApplicationTest, StartAppliesTheStoredSkinAndEachNewStatusWindowGetsItAgain) {
    AddSkin("Red", "Red", 255);
    settings.values["QUILLMAR|settings|CurrentSkin"] = "Red";
    app.Start({"C:\\Q", "tr"}, 0x4000);
    frmFollow& follow = app.FollowForm();
    EXPECT_EQ(follow.Picture3().picture.source, "C:\\Q\\skins\\Red\\menufile.gif");
    EXPECT_EQ(follow.Picture1().picture.source, "C:\\Q\\skins\\Red\\translateFile.gif");
    EXPECT_EQ(follow.Picture3().width, 17 * 15);
    EXPECT_EQ(follow.Width(), 3615);
    EXPECT_EQ(follow.Label1ForeColor(), 255u);
    ASSERT_TRUE(app.IsStatusLoaded());
    EXPECT_EQ(app.StatusForm().BackgroundPicture().source, "C:\\Q\\skins\\Red\\statusFile.gif");

    app.StatusWindows().Unload();
    EXPECT_EQ(app.StatusForm().BackgroundPicture().source, "C:\\Q\\skins\\Red\\statusFile.gif");
}

// Each opening of the options menu lists the skins folder afresh; a chosen row is stored as
// "CurrentSkin" and applied, and "Default Skin" brings back the pictures the forms were created with.
TEST_F(ApplicationTest, TheSkinMenuListsASkinAddedSinceItLastOpenedAndDefaultSkinRestoresTheBuiltInLook) {
    files.AddFolder("C:\\Q\\skins\\Empty");  // first, without a skin file: slot 0 stays "Default Skin"
    app.Start({"C:\\Q", "tr"}, 0x4000);
    const frmFollow::Button builtinSelector = app.FollowForm().Picture2();
    const Picture builtinStatus = app.StatusForm().BackgroundPicture();
    EXPECT_EQ(PickFromOptionsMenu(std::nullopt), (std::vector<std::string>{"Default Skin"}));

    AddSkin("Blue", "Blue", 16711680);
    const std::size_t blueRow = 6;  // settings, service, separator, designer, "Select a Skin", "Default Skin"
    EXPECT_EQ(PickFromOptionsMenu(blueRow), (std::vector<std::string>{"Default Skin", "Blue"}));
    EXPECT_EQ(menus.shown[blueRow].caption, "Blue");
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Blue");
    EXPECT_EQ(state.CurrentSkinName, "Blue");
    EXPECT_EQ(app.FollowForm().Picture2().picture.source, "C:\\Q\\skins\\Blue\\selectfile.gif");
    EXPECT_EQ(app.FollowForm().Label1ForeColor(), 16711680u);
    EXPECT_EQ(app.StatusForm().BackgroundPicture().source, "C:\\Q\\skins\\Blue\\statusFile.gif");

    PickFromOptionsMenu(blueRow - 1);
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Default Skin");
    EXPECT_EQ(app.FollowForm().Picture2().picture.source, builtinSelector.picture.source);
    EXPECT_EQ(app.FollowForm().Picture2().picture.width, builtinSelector.picture.width);
    EXPECT_EQ(app.FollowForm().Label1ForeColor(), 0u);
    EXPECT_EQ(app.StatusForm().BackgroundPicture().source, builtinStatus.source);
}

}  // namespace
}  // namespace quillmar

#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "about/frmAbout.h"
#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "app/frmMain.h"
#include "follow/ChatPairs.h"
#include "follow/FocusedText.h"
#include "follow/FollowForms.h"
#include "follow/FollowRules.h"
#include "follow/FollowMod.h"
#include "forms/Views.h"
#include "app/FormSkinTargets.h"
#include "skins/SkinStuff.h"
#include "skins/frmSettings.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/ForeignWindows.h"
#include "platform/Menus.h"
#include "platform/ProfileFiles.h"
#include "platform/Picture.h"
#include "platform/ProfileFiles.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Timers.h"
#include "platform/TrayIcon.h"
#include "translate/StatusSink.h"

namespace quillmar {

class frmFollow;
class frmStatus;
class frmSocket;
class SockModule;
class OptionsMenu;

// The platform pieces the forms run on; all outlive the application object.
struct ApplicationPorts {
    ForeignWindows& windows;
    PictureLoader& pictures;
    TimerFactory& timers;
    Connection& connection;
    Dialogs& dialogs;
    PopupMenus& menus;
    FormViews& views;
    TrayIcons& tray;
    SettingsStore& settings;
    Shell& shell;
    ProcessExit& exit;
    Registry& registry;  // the about box's: the system-information tool
    FileSystem& files;
    ProgramInfo& info;
    ProfileFiles& profiles;  // skin files
    // The settings dialog's: the designer's file and colour dialogs, its busy pointer, its stacking.
    CommonDialogs& commonDialogs;
    MousePointer& pointer;
    WindowStacking& stacking;
};

// Holds the forms, each created (and its Form_Load run) by its first reference, and the program-wide
// values. Status texts of the translation client go to frmStatus.Label1, translations to the captured
// edit control.
class Application final : public FollowForms, public MainForms, private StatusSink, private TranslationOutput {
public:
    Application(ProgramState& state, const ApplicationPorts& ports, std::string serviceHost);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    frmFollow& FollowForm();
    bool IsFollowLoaded() const { return m_follow.IsLoaded(); }

    frmStatus& StatusForm() override;
    bool IsStatusLoaded() const override { return m_status.IsLoaded(); }
    void UnloadStatusForm() override;

    frmSocket& SocketForm();
    bool IsSocketLoaded() const { return m_socket.IsLoaded(); }
    SockModule& Sock();
    OptionsMenu& OptionsMenuOfSocket() override;

    void RequestTranslation(const std::string& queryText, const std::string& code,
                            const CapturedText& captured) override;
    // The lowest skin slot titled exactly skinName; nothing when there is none.
    void ApplySkin(const std::string& skinName) override;
    // mnuSkinList_Click: the skin at that row of "Select a Skin" is remembered, stored, then applied.
    void ChooseSkin(std::size_t row);
    SkinStuff& Skins() { return m_skins; }
    // The follow rules of the settings store, read once.
    bool FollowsByRule(WindowHandle window, const std::string& title) override;
    // The pair remembered for the chat, if any, goes on the toolbar.
    void TargetCameToFront(const std::string& title) override;
    // A pair chosen from the options menu: shown, and remembered for the chat in front.
    void ChoosePair(std::size_t row);

    // Loads frmMain, whose Form_Load starts the program. mainWindow: the hidden window that receives the
    // tray icon's notifications.
    void Start(ProgramLocation location, WindowHandle mainWindow);
    frmMain& MainForm();
    bool IsMainLoaded() const { return m_main.IsLoaded(); }
    frmSettings& SettingsDialog();
    bool IsSettingsLoaded() const { return m_settingsForm.IsLoaded(); }
    frmAbout& AboutForm();
    bool IsAboutLoaded() const { return m_aboutForm.IsLoaded(); }

    void BuildSkinMenu() override;
    void LoadFollowForm() override { FollowForm(); }
    void LoadSocketForm() override { SocketForm(); }
    void ShowAbout() override;
    void ShowSettings() override;
    // The settings dialog turned into the skin designer, in place if it is open.
    void ShowDesigner();
    // Removes the tray icon, then ends the process at once.
    [[noreturn]] void ExitProgram() override;

    ProgramState& State() { return m_state; }
    // The way to the focused control of any program; without it the hotkey does nothing.
    void SetFocusedText(FocusedText* focused) { m_focusedText = focused; }
    // The hotkey: translates the focused control of the foreground window in place, with the toolbar's
    // pair, the status window under that control.
    void TranslateFocused();
    // Puts the text captured for the last translation back, only while its control still shows that
    // translation; the status window says what happened.
    void RestoreTypedText();

private:
    void SetStatus(const std::string& text) override;
    void SetOutcome(RequestOutcome outcome, const std::string& text) override;
    bool WriteTranslation(WindowHandle target, const std::string& text) override;

    ProgramState& m_state;
    ApplicationPorts m_ports;
    std::string m_serviceHost;
    FollowMod m_followMod;
    FormSkinTargets m_skinTargets;
    SkinStuff m_skins;
    ChatPairs m_chatPairs;
    struct Replacement {
        WindowHandle control = 0;
        std::string typed;
        std::string translation;
    };
    // The text each control held when its translation was asked for, until the answer is written.
    std::map<WindowHandle, std::string> m_typed;
    std::optional<Replacement> m_lastReplacement;
    FocusedText* m_focusedText = nullptr;
    std::optional<std::vector<FollowRule>> m_followRules;
    // Created with frmSocket, before its Form_Load.
    std::unique_ptr<SockModule> m_sock;
    std::unique_ptr<OptionsMenu> m_options;
    FormSlot<frmFollow> m_follow;
    FormSlot<frmStatus> m_status;
    FormSlot<frmSocket> m_socket;
    ProgramLocation m_location;
    WindowHandle m_mainWindow = 0;
    FormSlot<frmMain> m_main;
    DesignerChoices m_designerChoices;  // outlive the dialog
    FormSlot<frmSettings> m_settingsForm;
    FormSlot<frmAbout> m_aboutForm;
};

}  // namespace quillmar

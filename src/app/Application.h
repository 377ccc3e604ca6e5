#pragma once

#include <memory>
#include <string>

#include "about/frmAbout.h"
#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "app/frmMain.h"
#include "follow/FocusedText.h"
#include "follow/FocusedTranslation.h"
#include "follow/FollowChoices.h"
#include "follow/FollowMod.h"
#include "follow/StatusWindowSlot.h"
#include "follow/TranslateAction.h"
#include "follow/TranslationWriter.h"
#include "follow/frmFollow.h"
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
#include "platform/SecretProtector.h"
#include "translate/ServiceSettings.h"
#include "translate/SocketFormSlot.h"
#include "translate/frmService.h"

namespace quillmar {

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
    // The translation-service dialog's: keys kept for this user only, and the companion it restarts and
    // tests with; every request asks it where its service is.
    SecretProtector& secrets;
    Companion& companion;
};

// Creates the forms and what they run on, and wires them together; each form is created (and its
// Form_Load run) by its first reference. frmMain reaches the rest of the program through this object; a
// click or a request goes between the pieces it wires, never through it.
class Application final : public MainForms {
public:
    Application(ProgramState& state, const ApplicationPorts& ports);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    frmFollow& FollowForm();
    bool IsFollowLoaded() const { return m_follow.IsLoaded(); }

    StatusWindowSlot& StatusWindows() { return m_status; }
    frmStatus& StatusForm() { return m_status.Window(); }
    bool IsStatusLoaded() const { return m_status.IsLoaded(); }

    frmSocket& SocketForm();
    bool IsSocketLoaded() const { return m_socket.IsLoaded(); }
    OptionsMenu& OptionsMenuOfSocket() { return m_socket.OpenOptionsMenu(); }

    // The lowest skin slot titled exactly skinName; nothing when there is none.
    void ApplySkin(const std::string& skinName) override;
    // mnuSkinList_Click: the skin at that row of "Select a Skin" is remembered, stored, then applied.
    void ChooseSkin(std::size_t row);
    SkinStuff& Skins() { return m_skins; }

    // Loads frmMain, whose Form_Load starts the program, and starts the companion. mainWindow: the hidden
    // window that receives the tray icon's notifications.
    void Start(ProgramLocation location, WindowHandle mainWindow);
    frmMain& MainForm();
    bool IsMainLoaded() const { return m_main.IsLoaded(); }
    frmSettings& SettingsDialog();
    bool IsSettingsLoaded() const { return m_settingsForm.IsLoaded(); }
    frmAbout& AboutForm();
    bool IsAboutLoaded() const { return m_aboutForm.IsLoaded(); }
    frmService& ServiceDialog();
    bool IsServiceLoaded() const { return m_serviceForm.IsLoaded(); }

    void BuildSkinMenu() override;
    void LoadFollowForm() override { FollowForm(); }
    void LoadSocketForm() override { SocketForm(); }
    void ShowAbout() override;
    void ShowSettings() override;
    void ShowService() override;
    // The settings dialog turned into the skin designer, in place if it is open.
    void ShowDesigner();
    // Removes the tray icon and ends the companion, then ends the process at once.
    [[noreturn]] void ExitProgram() override;

    ProgramState& State() { return m_state; }
    // The way to the focused control of any program: the hotkey's text, and the way back for what it read.
    void SetFocusedText(FocusedText* focused);
    // The hotkey's translation.
    FocusedTranslation& HotkeyTranslation() { return m_hotkey; }
    // Where translations are written back, and the typed text restored.
    TranslationWriter& WriteBack() { return m_writer; }

private:
    OptionsActions OptionsMenuActions();

    ProgramState& m_state;
    ApplicationPorts m_ports;
    FormSkinTargets m_skinTargets;
    SkinStuff m_skins;
    FollowMod m_followMod;
    StatusWindowSlot m_status;
    TranslationWriter m_writer;
    SocketFormSlot m_socket;  // after what its requests report to: a request in flight goes first
    TranslateAction m_translate;
    FormSlot<frmFollow> m_follow;
    FollowChoices m_followChoices;
    FocusedTranslation m_hotkey;
    ProgramLocation m_location;
    WindowHandle m_mainWindow = 0;
    FormSlot<frmMain> m_main;
    DesignerChoices m_designerChoices;  // outlive the dialog
    FormSlot<frmSettings> m_settingsForm;
    FormSlot<frmAbout> m_aboutForm;
    FormSlot<frmService> m_serviceForm;
};

}  // namespace quillmar

#pragma once

#include <string>
#include <vector>

#include "forms/ProgramState.h"
#include "platform/Menus.h"
#include "platform/SettingsStore.h"
#include "platform/TrayIcon.h"
#include "platform/WindowHandle.h"

namespace quillmar {

inline constexpr const char* kSettingsApp = "QUILLMAR";
inline constexpr const char* kSettingsSection = "settings";

// Where the running program file is, as the platform reports it.
struct ProgramLocation {
    std::string folder;    // ends in a backslash only when it is a drive root
    std::string baseName;  // the file name without its extension
};

// The program folder, a backslash, the base name and ".exe", whatever the file's real extension.
std::string FormExePath(const ProgramLocation& location);

// What frmMain reaches of the rest of the program; the application object provides it.
class MainForms {
public:
    virtual ~MainForms() = default;
    virtual void BuildSkinMenu() = 0;  // creates frmSocket first
    virtual void LoadFollowForm() = 0;
    virtual void LoadSocketForm() = 0;
    virtual void ApplySkin(const std::string& skinName) = 0;
    // Modeless, without owner; an open form is shown again, never a second copy.
    virtual void ShowAbout() = 0;
    virtual void ShowSettings() = 0;
    // The translation-service dialog, modeless like the others.
    virtual void ShowService() = 0;
    [[noreturn]] virtual void ExitProgram() = 0;
};

struct MainPorts {
    TrayIcons& tray;
    SettingsStore& settings;
    PopupMenus& menus;
};

// The hidden form that starts the program, owns the tray icon, receives its notifications and pops up
// the tray menu.
class frmMain {
public:
    static constexpr unsigned kTrayIconId = 1;
    static constexpr unsigned kCallbackMessage = 512;  // notifications arrive as mouse moves
    static constexpr int kRightButtonUp = 517;

    struct MenuItem {
        const char* name;     // "" for a separator
        const char* caption;  // "-" for a separator
        void (frmMain::*onClick)();
    };

    // hwnd: the hidden window the icon's notifications go to.
    frmMain(MainForms& forms, ProgramState& state, const MainPorts& ports, ProgramLocation location,
            WindowHandle hwnd);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    void Form_Load();
    // X in twips: the mouse message on the icon times the twips per pixel.
    void Form_MouseMove(int Button, int Shift, double X, double Y);
    void mnuAbout_Click() { m_forms.ShowAbout(); }
    void mnuSettings_Click() { m_forms.ShowSettings(); }
    void mnuService_Click() { m_forms.ShowService(); }
    [[noreturn]] void mnuExit_Click();

    // mnuMain, top to bottom.
    static const std::vector<MenuItem>& mnuMain();
    WindowHandle Hwnd() const { return m_hwnd; }

private:
    MainForms& m_forms;
    ProgramState& m_state;
    MainPorts m_ports;
    ProgramLocation m_location;
    WindowHandle m_hwnd;
};

}  // namespace quillmar

#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/Application.h"
#include "app/HotkeyTrigger.h"
#include "app/TrayIconKeeper.h"
#include "follow/FocusedText.h"
#include "forms/ProgramState.h"
#include "win32/BaseWindow.h"
#include "translate/CompanionService.h"
#include "win32/WinAccessibleValues.h"
#include "win32/WinChildProcesses.h"
#include "win32/WinClipboard.h"
#include "win32/WinCommonDialogs.h"
#include "win32/WinConnection.h"
#include "win32/WinDialogs.h"
#include "win32/WinFollowViews.h"
#include "win32/WinForeignWindows.h"
#include "win32/WinGlobalHotkeys.h"
#include "win32/WinPictures.h"
#include "win32/WinPopupMenus.h"
#include "win32/WinProfileFiles.h"
#include "win32/WinProcessExit.h"
#include "win32/WinSettingsStore.h"
#include "win32/WinShell.h"
#include "win32/WinRegistry.h"
#include "win32/WinFileSystem.h"
#include "win32/WinProfileFiles.h"
#include "win32/WinProgramInfo.h"
#include "win32/WinSecretProtector.h"
#include "win32/WinTimers.h"
#include "win32/WinTrayIcons.h"

namespace quillmar::win32 {

// Where this program file is: its folder (a backslash at the end only for a drive root) and its name
// without the extension.
ProgramLocation RunningProgramLocation();

// The hidden top-level window frmMain stands for: it receives the tray icon's notifications and, being
// top-level, the shell's "TaskbarCreated" broadcast after Explorer restarts.
class WinMainWindow : public BaseWindow<WinMainWindow> {
public:
    WinMainWindow();

    void Attach(Application& app, TrayIcons& tray) {
        m_app = &app;
        m_tray = &tray;
    }

private:
    friend class BaseWindow<WinMainWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_taskbarCreated = 0;
    Application* m_app = nullptr;
    TrayIcons* m_tray = nullptr;
};

// The program's pieces on Win32, wired together: the ports, the program-wide values and the
// application object with its forms. Create and use it on the UI thread.
class WinProgram {
public:
    // serviceHost: the build's HOST[:PORT] where no ServiceAddress is stored, "" for the companion.
    // commonDialogs: where the file and colour dialogs come from; nullptr for the system's (a test
    // answers them itself).
    explicit WinProgram(std::string serviceHost, CommonDialogs* commonDialogs = nullptr);
    WinProgram(const WinProgram&) = delete;
    WinProgram& operator=(const WinProgram&) = delete;

    // Loads frmMain: the tray icon, the paths, the toolbar (which starts following the foreground
    // window) and the translation form; starts the companion; then registers the translate hotkey.
    void Start();
    const HotkeyTrigger& Hotkey() const { return m_hotkey; }

    Application& App() { return m_app; }
    ProgramState& State() { return m_state; }
    HWND MainWindow() const { return m_mainWindow.Hwnd(); }

private:
    ProgramState m_state;
    WinForeignWindows m_windows;
    WinPictures m_pictures;
    WinTimers m_timers;
    WinConnection m_connection;
    WinDialogs m_dialogs;
    WinPopupMenus m_menus;
    WinFollowViews m_views;
    WinTrayIcons m_shellTray;
    TrayIconKeeper m_tray;  // the shell's icon, added again until Explorer takes it
    WinSettingsStore m_settings;
    WinShell m_shell;
    WinProcessExit m_exit;
    WinRegistry m_registry;
    WinFileSystem m_files;
    WinProgramInfo m_info;
    WinProfileFiles m_profiles;
    WinCommonDialogs m_commonDialogs;
    WinMousePointer m_pointer;
    WinWindowStacking m_stacking;
    WinMainWindow m_mainWindow;
    WinMsaaValues m_msaa;
    WinUiAutomationValues m_uiAutomation;
    WinClipboard m_clipboard;
    WinEditKeys m_keys;
    WinWaitClock m_clock;
    WinGlobalHotkeys m_hotkeys;
    FollowMod m_focusModule;
    FocusedText m_focused;
    HotkeyTrigger m_hotkey;
    WinSecretProtector m_secrets;
    WinChildProcesses m_children;
    WinConnection m_testConnection;  // the translation-service dialog's Test
    CompanionService m_companion;
    Application m_app;  // last: its forms use everything above
};

}  // namespace quillmar::win32

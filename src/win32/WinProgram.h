#pragma once

#include <string>

#include "app/Application.h"
#include "forms/ProgramState.h"
#include "win32/WinConnection.h"
#include "win32/WinDialogs.h"
#include "win32/WinFollowViews.h"
#include "win32/WinForeignWindows.h"
#include "win32/WinPictures.h"
#include "win32/WinPopupMenus.h"
#include "win32/WinTimers.h"

namespace quillmar::win32 {

// The program's pieces on Win32, wired together: the ports, the program-wide values and the
// application object with its forms. Create and use it on the UI thread.
class WinProgram {
public:
    explicit WinProgram(std::string serviceHost);
    WinProgram(const WinProgram&) = delete;
    WinProgram& operator=(const WinProgram&) = delete;

    // Creates the toolbar (which starts following the foreground window) and the translation form.
    void Start();

    Application& App() { return m_app; }
    ProgramState& State() { return m_state; }

private:
    ProgramState m_state;
    WinForeignWindows m_windows;
    WinPictures m_pictures;
    WinTimers m_timers;
    WinConnection m_connection;
    WinDialogs m_dialogs;
    WinPopupMenus m_menus;
    WinFollowViews m_views;
    Application m_app;  // last: its forms use everything above
};

}  // namespace quillmar::win32

#include "win32/WinProgram.h"

#include "forms/Twips.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

ProgramLocation RunningProgramLocation() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L'\\');
    std::wstring folder = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps its backslash
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return {WideToUtf8(folder), WideToUtf8(name)};
}

WinMainWindow::WinMainWindow() {
    WNDCLASSEXW wc{};
    wc.lpszClassName = L"QuillmarMain";
    RegisterClassOnce(wc);
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    Create(WS_EX_TOOLWINDOW, L"QuillmarMain", L"QUILLMAR", WS_POPUP, 0, 0, 0, 0, nullptr);
    // Run as administrator, the program would not hear a normal Explorer's broadcast: the window
    // manager holds back messages from lower integrity levels unless let through.
    if (m_taskbarCreated != 0) ChangeWindowMessageFilterEx(Hwnd(), m_taskbarCreated, MSGFLT_ALLOW, nullptr);
}

LRESULT WinMainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_app != nullptr && m_app->IsMainLoaded()) {
        if (message == frmMain::kCallbackMessage) {
            // The mouse message on the icon, handed over as the form's X in twips.
            const int mouseMessage = static_cast<int>(LOWORD(static_cast<DWORD>(lParam)));
            m_app->MainForm().Form_MouseMove(0, 0, PixelsToTwips(mouseMessage), 0);
            return 0;
        }
        if (message == WM_HOTKEY && wParam == HotkeyTrigger::kHotkeyId) {
            m_app->HotkeyTranslation().TranslateFocused();
            return 0;
        }
        if (message == WM_CLOSE) {
            // What an uninstaller or a task manager sends to end the program politely. Left to
            // DefWindowProc it would destroy only this window and leave the process running, its
            // program file locked and its icon in the tray: end it as the tray menu's Exit does.
            m_app->ExitProgram();
        }
        if (message == m_taskbarCreated && m_taskbarCreated != 0) {
            m_tray->AddIcon(m_app->State().TrayIconData);  // Explorer restarted: icon back
            return 0;
        }
    }
    return Default(message, wParam, lParam);
}

WinProgram::WinProgram(std::string serviceHost, CommonDialogs* commonDialogs)
    : m_views(m_pictures),
      m_tray(m_shellTray, m_timers),
      m_focusModule(m_windows),
      m_focused(m_focusModule, {m_windows, m_msaa, m_uiAutomation, m_clipboard, m_keys}),
      m_hotkey(m_settings, m_hotkeys, m_tray, m_state),
      m_app(m_state,
            {m_windows, m_pictures, m_timers, m_connection, m_dialogs, m_menus, m_views, m_tray, m_settings,
             m_shell, m_exit, m_registry, m_files, m_info, m_profiles,
             commonDialogs != nullptr ? *commonDialogs : m_commonDialogs, m_pointer, m_stacking,
             m_secrets, m_companion},  // the companion replaced by the companion branch at merge
            std::move(serviceHost)) {
    m_mainWindow.Attach(m_app, m_tray);
    m_dialogs.SetOwner(m_mainWindow.Hwnd());
    m_app.SetFocusedText(&m_focused);
}

void WinProgram::Start() {
    m_app.Start(RunningProgramLocation(), reinterpret_cast<WindowHandle>(m_mainWindow.Hwnd()));
    m_hotkey.Register(reinterpret_cast<WindowHandle>(m_mainWindow.Hwnd()));
}

}  // namespace quillmar::win32

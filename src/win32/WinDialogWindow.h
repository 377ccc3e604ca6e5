#pragma once

#include <windows.h>

#include "forms/Views.h"

namespace quillmar::win32 {

// A dialog's window: caption, focus, a close box. Enter goes to the default button (IDOK) and Esc to the
// cancel button (IDCANCEL) through IsDialogMessage in the message loop; with no such buttons, Esc and the
// close box unload the form.
class WinDialogWindow final : public DialogView {
public:
    explicit WinDialogWindow(DialogForm& form);
    ~WinDialogWindow() override;
    WinDialogWindow(const WinDialogWindow&) = delete;
    WinDialogWindow& operator=(const WinDialogWindow&) = delete;

    WindowHandle Hwnd() const override { return reinterpret_cast<WindowHandle>(m_hwnd); }
    void Show() override;
    void Repaint() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    DialogForm& m_form;
    HWND m_hwnd = nullptr;
};

// For the message loop: true when `message` was a dialog's keyboard input, handled already.
bool DispatchToDialog(MSG& message);

}  // namespace quillmar::win32

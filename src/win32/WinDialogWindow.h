#pragma once

#include <windows.h>

#include <vector>

#include "forms/Views.h"

namespace quillmar::win32 {

// A dialog's window: caption, focus, child controls, a close box. IsDialogMessage in the message loop
// turns Enter into IDOK and Esc into IDCANCEL; they click the form's default and cancel buttons. With no
// cancel button, Esc and the close box unload the form.
class WinDialogWindow final : public DialogView {
public:
    explicit WinDialogWindow(DialogForm& form);
    ~WinDialogWindow() override;
    WinDialogWindow(const WinDialogWindow&) = delete;
    WinDialogWindow& operator=(const WinDialogWindow&) = delete;

    WindowHandle Hwnd() const override { return reinterpret_cast<WindowHandle>(m_hwnd); }
    void Show() override;
    void Repaint() override;
    Size ScreenPixels() const override;
    Size FramePixels() const override;
    void PlaceTopmost(int x, int y, int width, int height) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // The form's control that Enter (isDefault) or Esc chooses; 0 when there is none.
    int RoleId(bool cancel) const;
    void FocusFirstControl() const;

    DialogForm& m_form;
    HWND m_hwnd = nullptr;
    std::vector<DialogControl> m_controls;
    std::vector<HFONT> m_fonts;  // made for controls with a font of their own
    HICON m_icon = nullptr;
};

// For the message loop: true when `message` was a dialog's keyboard input, handled already.
bool DispatchToDialog(MSG& message);

}  // namespace quillmar::win32

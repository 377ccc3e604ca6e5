#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <vector>

#include "forms/Twips.h"
#include "forms/Views.h"
#include "win32/BaseWindow.h"

namespace quillmar::win32 {

class WinPictures;

// A dialog's window: caption, focus, child controls, a close box. IsDialogMessage in the message loop
// turns Enter into IDOK and Esc into IDCANCEL; they click the form's default and cancel buttons. With no
// cancel button, Esc and the close box unload the form.
class WinDialogWindow final : public DialogView, public BaseWindow<WinDialogWindow> {
public:
    // pictures: draws the controls that show a picture; without it they show nothing.
    explicit WinDialogWindow(DialogForm& form, WinPictures* pictures = nullptr);
    ~WinDialogWindow() override;

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(Hwnd()); }
    void Show() override;
    void Hide() override;
    void Repaint() override;
    TwipsRect Screen() const override;
    TwipsRect Frame() const override;
    void Place(const TwipsRect& bounds, Placing how) override;
    std::string ControlText(int id) const override;
    bool IsChecked(int id) const override;
    int SelectedItem(int id) const override;
    void Focus(int id) override;

private:
    friend class BaseWindow<WinDialogWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Makes the controls not made yet and brings every control to what the form says now.
    void SyncControls();
    HWND MakeControl(const DialogControl& control);
    void UpdateControl(HWND child, const DialogControl& control, bool fresh);
    const DialogControl* ControlById(int id) const;
    // A notification that the user typed into a text box or picked another item of a list.
    bool IsChange(int id, unsigned code) const;
    void DrawPicture(const DRAWITEMSTRUCT& item) const;
    // The program icon of the title bar and of Icon controls, at the window's DPI.
    void LoadIcons();
    HFONT FontOf(const DialogControl& control) const;
    // Moved to a monitor of another DPI: fonts, icons and every control's place follow it.
    void DpiChanged(UINT dpi, const RECT& suggested);
    HBRUSH LabelColours(HDC dc, HWND child) const;
    enum class Role { Default, Cancel };
    // The form's button that Enter or Esc chooses; 0 when there is none.
    int RoleId(Role role) const;
    void FocusFirstControl() const;

    DialogForm& m_form;
    std::vector<DialogControl> m_controls;
    std::map<int, HWND> m_children;
    WinPictures* m_pictures;
    TwipsScale m_scale;
    std::optional<TwipsRect> m_placed;  // where the form last placed the window
    HICON m_icon = nullptr;
    HICON m_windowIcon = nullptr;
    HWND m_toolTips = nullptr;
};

// For the message loop: true when `message` was a dialog's keyboard input, handled already.
bool DispatchToDialog(MSG& message);

}  // namespace quillmar::win32

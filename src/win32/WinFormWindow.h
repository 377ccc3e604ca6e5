#pragma once

#include <windows.h>

#include "forms/Views.h"
#include "win32/BaseWindow.h"

namespace quillmar::win32 {

// A borderless, topmost tool window that never takes the foreground: no taskbar button, no activation
// by a click (WM_MOUSEACTIVATE answers MA_NOACTIVATE; WS_EX_NOACTIVATE alone does not stop Wine from
// activating it). Derived windows paint into a buffered DC and receive left clicks.
class WinFormWindow : public FormView, public BaseWindow<WinFormWindow> {
public:
    ~WinFormWindow() override;

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(Hwnd()); }
    // In place, it is applied once the handler that changed the form returns: a form hidden, moved and
    // shown again in one step (the tracking step does that to the status window ten times a second)
    // never flickers.
    void Place(const TwipsRect& bounds, Placing how) override;
    void Repaint() override;
    TwipsScale Scale() const override { return m_scale; }

protected:
    explicit WinFormWindow(const wchar_t* title);
    // Whether the form wants its window seen now.
    virtual bool FormVisible() const = 0;

    virtual void Paint(HDC dc, const RECT& client) = 0;
    // A left click released at x, y (client pixels).
    virtual void Click(int x, int y) = 0;

private:
    friend class BaseWindow<WinFormWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void PlaceOnTop();
    // Moves and sizes the window and shows or hides it, never activating it.
    void ApplyBounds();
    void RestackUnderWine();

    struct Bounds {
        int x = 0, y = 0, width = 0, height = 0;
    };
    Bounds m_bounds;  // where the form last placed it, pixels
    TwipsRect m_twips;  // the same, as the form gave it
    TwipsScale m_scale;
    bool m_pressed = false;
    bool m_boundsPending = false;
};

enum class LabelWeight { Normal, Bold };

// The small fonts of the toolbar and status labels (at most 10 pixels high at 96 DPI, to fit a 15-pixel
// strip; the caller scales the height to its window's DPI); each size is created once and kept.
HFONT LabelFont(int pixelHeight, LabelWeight weight);

}  // namespace quillmar::win32

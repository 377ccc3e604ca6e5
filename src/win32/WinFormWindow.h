#pragma once

#include <windows.h>

#include "follow/Views.h"

namespace quillmar::win32 {

// A borderless, topmost tool window that never takes the foreground: no taskbar button, no activation
// by a click (WM_MOUSEACTIVATE answers MA_NOACTIVATE; WS_EX_NOACTIVATE alone does not stop Wine from
// activating it). Derived windows paint into a buffered DC and receive left clicks.
class WinFormWindow : public FormView {
public:
    ~WinFormWindow() override;
    WinFormWindow(const WinFormWindow&) = delete;
    WinFormWindow& operator=(const WinFormWindow&) = delete;

    WindowHandle Hwnd() const override { return reinterpret_cast<WindowHandle>(m_hwnd); }
    void PlaceTopmost(int x, int y, int width, int height) override;
    void Repaint() override;

    HWND Handle() const { return m_hwnd; }

protected:
    explicit WinFormWindow(const wchar_t* title);
    // Moves and sizes the window and shows or hides it, never activating it (pixels).
    void ApplyBounds(bool visible, int x, int y, int width, int height);

    virtual void Paint(HDC dc, const RECT& client) = 0;
    // A left click released at x, y (client pixels).
    virtual void Click(int x, int y) = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();

    HWND m_hwnd = nullptr;
    bool m_pressed = false;
};

enum class LabelWeight { Normal, Bold };

// The small fonts of the toolbar and status labels (at most 10 pixels high, to fit a 15-pixel strip);
// each size is created once and kept.
HFONT LabelFont(int pixelHeight, LabelWeight weight);

}  // namespace quillmar::win32

#pragma once

#include <windows.h>

#include "forms/Views.h"

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
    // Applied once the handler that changed the form returns: a form hidden, moved and shown again in one
    // step (the tracking step does that to the status window ten times a second) never flickers.
    void UpdateBounds() override;
    void Repaint() override;

    HWND Handle() const { return m_hwnd; }

protected:
    struct Bounds {
        bool visible;
        int x, y, width, height;  // pixels
    };

    explicit WinFormWindow(const wchar_t* title);
    // Where the form wants its window now.
    virtual Bounds FormBounds() const = 0;

    virtual void Paint(HDC dc, const RECT& client) = 0;
    // A left click released at x, y (client pixels).
    virtual void Click(int x, int y) = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    // Moves and sizes the window and shows or hides it, never activating it.
    void ApplyBounds();
    void RestackUnderWine();

    HWND m_hwnd = nullptr;
    bool m_pressed = false;
    bool m_boundsPending = false;
};

enum class LabelWeight { Normal, Bold };

// The small fonts of the toolbar and status labels (at most 10 pixels high, to fit a 15-pixel strip);
// each size is created once and kept.
HFONT LabelFont(int pixelHeight, LabelWeight weight);

}  // namespace quillmar::win32

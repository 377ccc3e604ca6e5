#pragma once

#include <windows.h>

#include "platform/ForeignWindows.h"

namespace quillmar::win32 {

inline HWND ToHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle ToWindowHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// Other programs' windows through user32. The three text messages go out wide (SendMessageTimeoutW),
// so Russian text or emoji survive, and each waits at most `timeoutMs`; a window that does not answer
// in time, or whose program Windows already considers hung, gives none / false at once or after the
// timeout, never a freeze. While waiting, this thread handles no messages sent to its own windows
// (SMTO_BLOCK), so a handler that reads a foreign window is never re-entered.
//
// A handle that names no window reads as text length 0 / empty text (as the plain message would),
// and a write to it gives false: nothing was delivered. Lengths are capped at 16M - 1 units so a
// window that reports an absurd length cannot make the caller allocate gigabytes.
class WinForeignWindows final : public ForeignWindows {
public:
    static constexpr unsigned kDefaultTimeoutMs = 1000;

    explicit WinForeignWindows(unsigned timeoutMs = kDefaultTimeoutMs) : m_timeoutMs(timeoutMs) {}

    WindowHandle ForegroundWindow() override;
    WindowHandle FocusedWindow(WindowHandle topLevel) override;
    std::string ProgramFileName(WindowHandle window) override;
    std::optional<Rect> WindowRect(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    std::string ClassName(WindowHandle window) override;
    WindowHandle RelatedWindow(WindowHandle window, WindowRelation relation) override;
    std::optional<WindowFrame> Frame(WindowHandle window) override;
    std::optional<Rect> WorkArea(WindowHandle window) override;
    std::string WindowTitle(WindowHandle window) override;
    bool RunsAboveUs(WindowHandle window) override;

    std::optional<std::size_t> SendGetTextLength(WindowHandle window) override;
    // The count WM_GETTEXT reports (at most bufferUnits - 1 units); a surrogate pair cut in half by a
    // short buffer is dropped rather than turned into a replacement character.
    std::optional<std::string> SendGetText(WindowHandle window, std::size_t bufferUnits) override;
    // True only when the window answered and accepted the text (WM_SETTEXT gave a positive result).
    // The text is sent only after the window has answered a WM_NULL in time, so a write to a hung
    // program is not left queued to land later.
    bool SendSetText(WindowHandle window, const std::string& text) override;
    bool SendReplaceAll(WindowHandle window, const std::string& text) override;

    void PlaceTopmost(WindowHandle window, int x, int y, int width, int height) override;

private:
    unsigned m_timeoutMs;
};

}  // namespace quillmar::win32

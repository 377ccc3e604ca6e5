#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

enum class WindowRelation { FirstChild, NextSibling };  // GW_CHILD, GW_HWNDNEXT

// A top-level window's frame as the desktop compositor draws it, screen pixels. The window rectangle
// also holds resize borders nobody sees; these are what the user sees.
struct WindowFrame {
    Rect visible;         // the frame without the invisible borders
    Rect captionButtons;  // Minimize, Maximize and Close together; empty for a window without them
};

// Other programs' windows. Every message to another program's window is bounded in time: a window that
// does not answer within about a second is treated as failed (none / false), never waited for.
class ForeignWindows {
public:
    virtual ~ForeignWindows() = default;
    virtual WindowHandle ForegroundWindow() = 0;
    // The control with the keyboard focus in the thread of this top-level window; 0 when none has it.
    virtual WindowHandle FocusedWindow(WindowHandle topLevel) = 0;
    virtual std::optional<Rect> WindowRect(WindowHandle window) = 0;  // screen pixels
    virtual bool IsWindowVisible(WindowHandle window) = 0;            // false for 0 or a destroyed window
    virtual std::string ClassName(WindowHandle window) = 0;           // at most 255 characters, UTF-8
    // The file name (no folder) of the program the window belongs to; empty when it cannot be known.
    virtual std::string ProgramFileName(WindowHandle window) = 0;
    virtual WindowHandle RelatedWindow(WindowHandle window, WindowRelation relation) = 0;  // 0 at the end
    // None where the system has no compositor to ask (older systems, Wine): the window rectangle is all.
    virtual std::optional<WindowFrame> Frame(WindowHandle window) = 0;
    // The work area (the screen less the taskbar) of the monitor the window is most on; none if unknown.
    virtual std::optional<Rect> WorkArea(WindowHandle window) = 0;
    // The title as the system keeps it, read without a message to the window's program, so a busy
    // program never holds the caller up; UTF-8, empty for 0 or a window without a title.
    virtual std::string WindowTitle(WindowHandle window) = 0;
    // True when the window's program runs at a higher integrity level than this one (as administrator
    // while this one does not): the system silently drops what this program would write into it. A
    // program that cannot even be asked counts as higher.
    virtual bool RunsAboveUs(WindowHandle window) = 0;

    // The three text messages (wide, so no code page loses characters). Lengths count UTF-16 units, as
    // the messages do. None / false: the window did not answer in time.
    virtual std::optional<std::size_t> SendGetTextLength(WindowHandle window) = 0;
    // Text of at most bufferUnits - 1 UTF-16 units, converted to UTF-8.
    virtual std::optional<std::string> SendGetText(WindowHandle window, std::size_t bufferUnits) = 0;
    virtual bool SendSetText(WindowHandle window, const std::string& text) = 0;
    // An edit or rich-edit control's whole text replaced as typing would (EM_SETSEL 0..-1, then
    // EM_REPLACESEL with undo allowed), so the user can undo it. False: the control did not answer.
    virtual bool SendReplaceAll(WindowHandle window, const std::string& text) = 0;

    // SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE).
    virtual void PlaceTopmost(WindowHandle window, int x, int y, int width, int height) = 0;
};

}  // namespace quillmar

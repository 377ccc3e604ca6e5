#pragma once

#include <windows.h>

#include "win32/BaseWindow.h"

namespace quillmar::win32 {

// Receives the messages of a message-only window.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Returns true when the message was handled. The target may destroy the window (and itself)
    // from inside, as long as it touches nothing of itself afterwards.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// A hidden window that exists only to receive messages (HWND_MESSAGE) on the thread that creates it:
// socket notifications and timer ticks come to it through the thread's ordinary message loop.
class WinMessageWindow : public BaseWindow<WinMessageWindow> {
public:
    explicit WinMessageWindow(MessageTarget& target);

private:
    friend class BaseWindow<WinMessageWindow>;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Set once the window is made: the messages of creation reach no half-built target.
    MessageTarget* m_target = nullptr;
};

}  // namespace quillmar::win32

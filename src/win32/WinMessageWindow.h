#pragma once

#include <windows.h>

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
class WinMessageWindow {
public:
    explicit WinMessageWindow(MessageTarget& target);
    ~WinMessageWindow();
    WinMessageWindow(const WinMessageWindow&) = delete;
    WinMessageWindow& operator=(const WinMessageWindow&) = delete;

    HWND Handle() const { return m_hwnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
};

}  // namespace quillmar::win32

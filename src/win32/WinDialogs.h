#pragma once

#include <windows.h>

#include "platform/Dialogs.h"

namespace quillmar::win32 {

// Message boxes on MessageBoxW, owned by the program's hidden main window and shown above every other
// window. An error can come long after the click, when the chat window is in front and Windows will not
// hand this program the foreground: topmost, the box is seen anyway. Not task-modal: that would disable
// the toolbar too, which then looks dead; only the hidden owner is disabled while the box is up.
class WinDialogs : public Dialogs {
public:
    void SetOwner(HWND owner) { m_owner = owner; }
    MessageResult ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                             MessageButtons buttons) override;

private:
    HWND m_owner = nullptr;
};

}  // namespace quillmar::win32

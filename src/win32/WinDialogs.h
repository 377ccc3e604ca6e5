#pragma once

#include "platform/Dialogs.h"

namespace quillmar::win32 {

// Message boxes on MessageBoxW, modal to the whole program (it has no main window to own them).
class WinDialogs : public Dialogs {
public:
    MessageResult ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                             MessageButtons buttons) override;
};

}  // namespace quillmar::win32

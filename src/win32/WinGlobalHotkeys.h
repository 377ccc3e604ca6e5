#pragma once

#include "platform/Hotkeys.h"

namespace quillmar::win32 {

// RegisterHotKey / UnregisterHotKey; a press arrives at the owner as WM_HOTKEY.
class WinGlobalHotkeys final : public GlobalHotkeys {
public:
    bool RegisterHotkey(WindowHandle owner, int id, const Hotkey& hotkey) override;
    void UnregisterHotkey(WindowHandle owner, int id) override;
};

}  // namespace quillmar::win32

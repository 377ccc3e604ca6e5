#pragma once

#include "platform/WindowHandle.h"

namespace quillmar {

// A key with its modifiers; key is the Windows virtual-key code ('A'..'Z', '0'..'9', 0x70 + n for Fn+1).
struct Hotkey {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool win = false;
    unsigned key = 0;
    bool operator==(const Hotkey&) const = default;
};

// System-wide hotkeys; a press arrives at the owner window as a message naming the id.
class GlobalHotkeys {
public:
    virtual ~GlobalHotkeys() = default;
    // False when another program holds the key (or it cannot be registered).
    virtual bool RegisterHotkey(WindowHandle owner, int id, const Hotkey& hotkey) = 0;
    virtual void UnregisterHotkey(WindowHandle owner, int id) = 0;
};

}  // namespace quillmar

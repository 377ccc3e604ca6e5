#include "win32/WinGlobalHotkeys.h"

#include <windows.h>

#include "win32/WinForeignWindows.h"

namespace quillmar::win32 {

bool WinGlobalHotkeys::RegisterHotkey(WindowHandle owner, int id, const Hotkey& hotkey) {
    UINT modifiers = 0;
    if (hotkey.ctrl) modifiers |= MOD_CONTROL;
    if (hotkey.alt) modifiers |= MOD_ALT;
    if (hotkey.shift) modifiers |= MOD_SHIFT;
    if (hotkey.win) modifiers |= MOD_WIN;
    // Held down, the key would start one translation after another.
    if (RegisterHotKey(ToHwnd(owner), id, modifiers | MOD_NOREPEAT, hotkey.key)) return true;
    // Systems before Windows 7 refuse the flag rather than the key.
    return RegisterHotKey(ToHwnd(owner), id, modifiers, hotkey.key) != FALSE;
}

void WinGlobalHotkeys::UnregisterHotkey(WindowHandle owner, int id) {
    UnregisterHotKey(ToHwnd(owner), id);
}

}  // namespace quillmar::win32

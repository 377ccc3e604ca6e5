#include "win32/WinPopupMenus.h"

#include <windows.h>

#include "win32/WinText.h"

namespace quillmar::win32 {

std::optional<std::size_t> WinPopupMenus::TrackPopupMenu(WindowHandle owner,
                                                         const std::vector<MenuItemView>& items) {
    HWND ownerHwnd = reinterpret_cast<HWND>(owner);
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return std::nullopt;
    HMENU submenu = nullptr;  // the one open for items of level 1
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItemView& item = items[i];
        const bool opensSubmenu = item.level == 0 && i + 1 < items.size() && items[i + 1].level == 1;
        HMENU into = item.level == 1 && submenu != nullptr ? submenu : menu;
        if (item.level == 0) submenu = nullptr;
        // Command ids start at 1: TrackPopupMenu returns 0 for "nothing chosen".
        if (item.caption == "-") {
            AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
        } else if (opensSubmenu) {
            submenu = CreatePopupMenu();  // destroyed with its parent
            AppendMenuW(into, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), Utf8ToWide(item.caption).c_str());
        } else {
            AppendMenuW(into, MF_STRING | (item.enabled ? 0U : MF_GRAYED), i + 1,
                        Utf8ToWide(item.caption).c_str());
        }
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND previous = GetForegroundWindow();
    SetForegroundWindow(ownerHwnd);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, cursor.x, cursor.y, 0, ownerHwnd, nullptr));
    // Lets the menu's own loop end cleanly before anything else runs (a documented quirk).
    PostMessageW(ownerHwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (previous != nullptr && previous != ownerHwnd && IsWindow(previous)) SetForegroundWindow(previous);
    // Taking the foreground for the menu and giving it back leaves a tool window under the window that
    // got it back (under Wine its surface stays there), so the next click would land on that window:
    // out of the topmost band and back in, never activating it.
    if (IsWindowVisible(ownerHwnd)) {
        constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        SetWindowPos(ownerHwnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
        SetWindowPos(ownerHwnd, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
    }
    if (command == 0 || command > items.size()) return std::nullopt;
    return static_cast<std::size_t>(command - 1);
}

}  // namespace quillmar::win32

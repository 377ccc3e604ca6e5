#pragma once

#include "platform/Menus.h"

namespace quillmar::win32 {

// Pop-up menus with TrackPopupMenu at the cursor. The owner is made the foreground window while the
// menu is open (otherwise the menu does not close when the user clicks elsewhere); afterwards the
// window that was in front before gets the foreground back, so the chat window keeps the keyboard.
class WinPopupMenus final : public PopupMenus {
public:
    std::optional<std::size_t> TrackPopupMenu(WindowHandle owner,
                                              const std::vector<MenuItemView>& items) override;
};

}  // namespace quillmar::win32

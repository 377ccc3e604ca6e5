#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowHandle.h"

namespace quillmar {

// One row of a pop-up menu as the platform shows it; a caption of "-" is a separator.
struct MenuItemView {
    std::string caption;  // UTF-8, "&" marks the access key
    bool enabled = true;
    // 1: an item of the submenu opened by the nearest item of level 0 above it.
    int level = 0;
};

// Pop-up menus at the mouse position.
class PopupMenus {
public:
    virtual ~PopupMenus() = default;
    // Shows the menu owned by `owner` and waits for the user's choice: the index of the chosen item, or
    // none when the menu was dismissed.
    virtual std::optional<std::size_t> TrackPopupMenu(WindowHandle owner,
                                                      const std::vector<MenuItemView>& items) = 0;
};

}  // namespace quillmar

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Menus.h"

namespace quillmar {

// The options menu mnuOptions of frmSocket: for now the thirteen language-pair items, grouped by
// separators as on the menu, each choosing its pair.
class OptionsMenu {
public:
    struct Item {
        std::string name;     // the menu control, e.g. "mnuEnglishToFrench"; "" for a separator
        std::string caption;  // "-" for a separator
        std::function<void()> onClick;
    };

    // setPairLabel receives the label caption of the chosen pair (it sets frmFollow.Label1).
    explicit OptionsMenu(std::function<void(const std::string&)> setPairLabel);
    OptionsMenu(const OptionsMenu&) = delete;  // the handlers refer to this object
    OptionsMenu& operator=(const OptionsMenu&) = delete;

    const std::vector<Item>& Items() const { return m_items; }
    std::vector<MenuItemView> Views() const;

    // Runs the handler of the item at `index`; false for a separator or an index out of range.
    bool Choose(std::size_t index);
    // Runs the handler of the item with that control name; false when there is none.
    bool Click(std::string_view name);

private:
    std::function<void(const std::string&)> m_setPairLabel;
    std::vector<Item> m_items;
};

}  // namespace quillmar

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
// What the items of the whole menu do beyond choosing a pair.
struct OptionsActions {
    std::function<void(const std::string&)> setPairLabel;  // the pair's label caption, for frmFollow.Label1
    std::function<void()> showSettings;
    std::function<void()> showDesigner;
    std::function<void(const std::string&)> chooseSkin;  // a skin's title from "Select a Skin"
    std::function<void(const std::string&)> openAddress;
    std::function<void()> restoreTypedText;
    std::function<void()> exitProgram;
};

// "http://" + the home host + the gallery page.
std::string SkinGalleryAddress(const std::string& homeHost);
// The build's home host (the service host unless configured otherwise).
const char* HomeHost();

class OptionsMenu {
public:
    struct Item {
        std::string name;     // the menu control, e.g. "mnuEnglishToFrench"; "" for a separator
        std::string caption;  // "-" for a separator
        std::function<void()> onClick;
        int level = 0;  // 1: in the submenu of the item of level 0 above
    };

    // The pair items only; setPairLabel receives the label caption of the chosen pair.
    explicit OptionsMenu(std::function<void(const std::string&)> setPairLabel);
    // The whole menu, top to bottom, with the gallery on `homeHost`.
    OptionsMenu(OptionsActions actions, const std::string& homeHost);
    OptionsMenu(const OptionsMenu&) = delete;  // the handlers refer to this object
    OptionsMenu& operator=(const OptionsMenu&) = delete;

    const std::vector<Item>& Items() const { return m_items; }
    std::vector<MenuItemView> Views() const;

    // Runs the handler of the item at `index`; false for a separator or an index out of range.
    bool Choose(std::size_t index);
    // Runs the handler of the item with that control name; false when there is none.
    bool Click(std::string_view name);

private:
    void AddPairs();

    std::function<void(const std::string&)> m_setPairLabel;
    OptionsActions m_actions;
    std::vector<Item> m_items;
};

}  // namespace quillmar

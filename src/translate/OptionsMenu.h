#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Menus.h"

namespace quillmar {

// What the items of the options menu do beyond choosing a pair.
struct OptionsActions {
    std::function<void(std::size_t)> setPair;  // the chosen row of kLanguagePairs
    std::function<void()> showSettings;
    std::function<void()> showService;  // the translation-service dialog
    std::function<void()> showDesigner;
    // mnuOptions_Click: the skin list is built afresh each time the menu is about to show.
    std::function<void()> rebuildSkinList;
    // The rows of "Select a Skin" (mnuSkinList), in index order; unset: "Default Skin" alone.
    std::function<std::vector<MenuItemView>()> skinRows;
    std::function<void(std::size_t row)> chooseSkin;  // a row of "Select a Skin", counted from 0
    std::function<void(const std::string&)> openAddress;
    std::function<void()> restoreTypedText;
    std::function<void()> exitProgram;
};

// "http://" + the home host + the gallery page.
std::string SkinGalleryAddress(const std::string& homeHost);
// The build's home host (the service host unless configured otherwise).
const char* HomeHost();

// The options menu mnuOptions of frmSocket: settings, the translation service, designer, the skin list, the
// gallery, the thirteen language pairs grouped by separators, and exit.
class OptionsMenu {
public:
    struct Item {
        std::string name;     // the menu control, e.g. "mnuEnglishToFrench"; "" for a separator
        std::string caption;  // "-" for a separator
        std::function<void()> onClick;
        int level = 0;  // 1: in the submenu of the item of level 0 above
    };

    // The pair items only; setPair receives the chosen pair's row.
    explicit OptionsMenu(std::function<void(std::size_t)> setPair);
    // The whole menu, top to bottom, with the gallery on `homeHost`.
    OptionsMenu(OptionsActions actions, const std::string& homeHost);
    OptionsMenu(const OptionsMenu&) = delete;  // the handlers refer to this object
    OptionsMenu& operator=(const OptionsMenu&) = delete;

    const std::vector<Item>& Items() const { return m_items; }
    // The menu about to show: runs mnuOptions_Click first, which rebuilds the skin list.
    void mnuOptions_Click();
    // One row per item; mnuSkinList stands for as many rows as there are skins.
    std::vector<MenuItemView> Views() const;

    // Runs the handler of the row at `index` of Views(); false for a separator or an index out of range.
    bool Choose(std::size_t index);
    // Runs the handler of the item with that control name (mnuSkinList: its first row); false when there
    // is none.
    bool Click(std::string_view name);

private:
    void AddPairs();
    std::vector<MenuItemView> SkinRows() const;
    bool ChooseSkinRow(std::size_t row);

    std::function<void(std::size_t)> m_setPair;
    OptionsActions m_actions;
    std::vector<Item> m_items;
};

// What the toolbar's menu button asks for: the options menu, ready to pop up (the translation form it
// belongs to is created first).
class OptionsMenuOpener {
public:
    virtual ~OptionsMenuOpener() = default;
    virtual OptionsMenu& OpenOptionsMenu() = 0;
};

}  // namespace quillmar

#include "translate/OptionsMenu.h"

#include "translate/LanguagePairs.h"

namespace quillmar {

namespace {
// Pair rows after which the menu draws a separator: English-to-X, X-to-English, the two others.
constexpr std::size_t kGroupEnds[] = {5, 11};
}  // namespace

#ifndef QUILLMAR_HOME_HOST
#define QUILLMAR_HOME_HOST "localhost"
#endif

const char* HomeHost() {
    return QUILLMAR_HOME_HOST;
}

std::string SkinGalleryAddress(const std::string& homeHost) {
    return "http://" + homeHost + "/cgi-bin/quillmarskins.cgi";
}

OptionsMenu::OptionsMenu(std::function<void(std::size_t)> setPair) : m_setPair(std::move(setPair)) {
    AddPairs();
}

OptionsMenu::OptionsMenu(OptionsActions actions, const std::string& homeHost)
    : m_setPair(actions.setPair), m_actions(std::move(actions)) {
    const auto call = [](const std::function<void()>& action) {
        return [action] {
            if (action) action();
        };
    };
    const std::string gallery = SkinGalleryAddress(homeHost);
    m_items.push_back({"mnuConfig", "Quillmar Settings", call(m_actions.showSettings)});
    m_items.push_back({"mnuService", "Translation service...", call(m_actions.showService)});
    m_items.push_back({"mnuSpacer", "-", {}});
    m_items.push_back({"mnuEditSkin", "Skin designer", call(m_actions.showDesigner)});
    m_items.push_back({"mnuSkinSelect", "Select a Skin", {}});
    m_items.push_back({"mnuSkinList", "Default Skin", [this] { ChooseSkinRow(0); }, 1});
    m_items.push_back({"mnuMoreSkins", "Get More Skins", [this, gallery] {
                           if (m_actions.openAddress) m_actions.openAddress(gallery);
                       }});
    m_items.push_back({"mnuSpac33r2", "-", {}});
    AddPairs();
    m_items.push_back({"mnuspacer2", "-", {}});
    m_items.push_back({"mnuRestore", "Restore typed text", call(m_actions.restoreTypedText)});
    m_items.push_back({"mnuExit", "&Exit quillmar", call(m_actions.exitProgram)});
}

void OptionsMenu::AddPairs() {
    for (std::size_t row = 0; row < kLanguagePairs.size(); ++row) {
        for (std::size_t end : kGroupEnds) {
            if (row == end) m_items.push_back({row == kGroupEnds[0] ? "mnuSpacer4" : "mnuSpacer3", "-", {}});
        }
        const LanguagePair& pair = kLanguagePairs[row];
        m_items.push_back({pair.menuItem, pair.menuCaption, [this, row] {
                               if (m_setPair) m_setPair(row);
                           }});
    }
}

void OptionsMenu::mnuOptions_Click() {
    if (m_actions.rebuildSkinList) m_actions.rebuildSkinList();
}

std::vector<MenuItemView> OptionsMenu::SkinRows() const {
    if (m_actions.skinRows) return m_actions.skinRows();
    return {{"Default Skin", true}};
}

bool OptionsMenu::ChooseSkinRow(std::size_t row) {
    if (!m_actions.chooseSkin) return true;
    // The handler may change the menu's owner; keep a copy alive while it runs.
    auto choose = m_actions.chooseSkin;
    choose(row);
    return true;
}

std::vector<MenuItemView> OptionsMenu::Views() const {
    std::vector<MenuItemView> views;
    views.reserve(m_items.size());
    for (const Item& item : m_items) {
        if (item.name != "mnuSkinList") {
            views.push_back({item.caption, true, item.level});
            continue;
        }
        for (MenuItemView row : SkinRows()) {
            row.level = item.level;
            views.push_back(std::move(row));
        }
    }
    return views;
}

bool OptionsMenu::Choose(std::size_t index) {
    std::size_t first = 0;  // the row of Views() the item starts at
    for (const Item& item : m_items) {
        const std::size_t rows = item.name == "mnuSkinList" ? SkinRows().size() : 1;
        if (index < first + rows) {
            if (item.name == "mnuSkinList") return ChooseSkinRow(index - first);
            if (!item.onClick) return false;
            // The handler may change the menu's owner; keep a copy alive while it runs.
            auto handler = item.onClick;
            handler();
            return true;
        }
        first += rows;
    }
    return false;
}

bool OptionsMenu::Click(std::string_view name) {
    if (name.empty()) return false;
    for (const Item& item : m_items) {
        if (item.name != name) continue;
        if (!item.onClick) return false;
        auto handler = item.onClick;
        handler();
        return true;
    }
    return false;
}

}  // namespace quillmar

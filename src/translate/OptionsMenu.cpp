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

OptionsMenu::OptionsMenu(std::function<void(const std::string&)> setPairLabel)
    : m_setPairLabel(std::move(setPairLabel)) {
    AddPairs();
}

OptionsMenu::OptionsMenu(OptionsActions actions, const std::string& homeHost)
    : m_setPairLabel(actions.setPairLabel), m_actions(std::move(actions)) {
    const auto call = [](const std::function<void()>& action) {
        return [action] {
            if (action) action();
        };
    };
    const std::string gallery = SkinGalleryAddress(homeHost);
    m_items.push_back({"mnuConfig", "Quillmar Settings", call(m_actions.showSettings)});
    m_items.push_back({"mnuSpacer", "-", {}});
    m_items.push_back({"mnuEditSkin", "Skin designer", call(m_actions.showDesigner)});
    m_items.push_back({"mnuSkinSelect", "Select a Skin", {}});
    m_items.push_back({"mnuSkinList", "Default Skin",
                       [this] {
                           if (m_actions.chooseSkin) m_actions.chooseSkin("Default Skin");
                       },
                       1});
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
        std::string label = pair.labelCaption;
        m_items.push_back({pair.menuItem, pair.menuCaption, [this, label] {
                               if (m_setPairLabel) m_setPairLabel(label);
                           }});
    }
}

std::vector<MenuItemView> OptionsMenu::Views() const {
    std::vector<MenuItemView> views;
    views.reserve(m_items.size());
    for (const Item& item : m_items) views.push_back({item.caption, true, item.level});
    return views;
}

bool OptionsMenu::Choose(std::size_t index) {
    if (index >= m_items.size() || !m_items[index].onClick) return false;
    // The handler may change the menu's owner; keep a copy alive while it runs.
    auto handler = m_items[index].onClick;
    handler();
    return true;
}

bool OptionsMenu::Click(std::string_view name) {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!name.empty() && m_items[i].name == name) return Choose(i);
    }
    return false;
}

}  // namespace quillmar

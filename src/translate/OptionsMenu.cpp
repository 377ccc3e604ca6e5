#include "translate/OptionsMenu.h"

#include "translate/LanguagePairs.h"

namespace quillmar {

namespace {
// Pair rows after which the menu draws a separator: English-to-X, X-to-English, the two others.
constexpr std::size_t kGroupEnds[] = {5, 11};
}  // namespace

OptionsMenu::OptionsMenu(std::function<void(const std::string&)> setPairLabel)
    : m_setPairLabel(std::move(setPairLabel)) {
    for (std::size_t row = 0; row < kLanguagePairs.size(); ++row) {
        for (std::size_t end : kGroupEnds) {
            if (row == end) m_items.push_back({"", "-", {}});
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
    for (const Item& item : m_items) views.push_back({item.caption, true});
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

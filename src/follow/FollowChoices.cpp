#include "follow/FollowChoices.h"

#include <utility>

#include "translate/LanguagePairs.h"

namespace quillmar {

FollowChoices::FollowChoices(SettingsStore& settings, std::string appName, std::string section,
                             ForeignWindows& windows, ProgramState& state, FormSlot<frmFollow>& toolbar)
    : m_settings(settings),
      m_appName(std::move(appName)),
      m_section(std::move(section)),
      m_windows(windows),
      m_state(state),
      m_toolbar(toolbar),
      m_chatPairs(settings, m_appName, m_section) {}

bool FollowChoices::FollowsByRule(WindowHandle window, const std::string& title) {
    if (!m_followRules) {
        m_followRules =
            ParseFollowRules(m_settings.GetSetting(m_appName, m_section, kFollowRulesSetting, ""));
    }
    return !m_followRules->empty() && MatchesFollowRule(*m_followRules, m_windows, window, title);
}

void FollowChoices::TargetCameToFront(const std::string& title) {
    const std::optional<std::string> pair = m_chatPairs.PairFor(title);
    // A stored caption that names no pair (an older or edited store) changes nothing.
    if (!pair) return;
    if (const std::optional<std::size_t> row = LookupPairRow(*pair)) m_toolbar().SetPair(*row);
}

void FollowChoices::ChoosePair(std::size_t row) {
    m_toolbar().SetPair(row);
    if (m_state.TargetHwnd != 0 && row < kLanguagePairs.size()) {
        m_chatPairs.Remember(FollowMod(m_windows).ReadWindowText(m_state.TargetHwnd),
                             kLanguagePairs[row].labelCaption);
    }
}

}  // namespace quillmar

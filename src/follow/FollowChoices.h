#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "follow/ChatPairs.h"
#include "follow/FollowMod.h"
#include "follow/FollowRules.h"
#include "follow/TargetWatch.h"
#include "follow/frmFollow.h"
#include "forms/FormSlot.h"
#include "forms/ProgramState.h"
#include "platform/ForeignWindows.h"
#include "platform/SettingsStore.h"

namespace quillmar {

// The user's choices about followed windows, kept in the settings store: the follow rules, and the pair
// each chat last used, which the toolbar shows again when that chat comes back.
class FollowChoices final : public TargetWatch {
public:
    // toolbar: where a pair is shown.
    FollowChoices(SettingsStore& settings, std::string appName, std::string section, ForeignWindows& windows,
                  ProgramState& state, FormSlot<frmFollow>& toolbar);

    // The follow rules of the settings store, read once.
    bool FollowsByRule(WindowHandle window, const std::string& title) override;
    // The pair remembered for the chat, if any, goes on the toolbar.
    void TargetCameToFront(const std::string& title) override;
    // A pair chosen from the options menu: shown, and remembered for the chat in front.
    void ChoosePair(std::size_t row);

private:
    SettingsStore& m_settings;
    std::string m_appName;
    std::string m_section;
    ForeignWindows& m_windows;
    ProgramState& m_state;
    FormSlot<frmFollow>& m_toolbar;
    ChatPairs m_chatPairs;
    std::optional<std::vector<FollowRule>> m_followRules;
};

}  // namespace quillmar

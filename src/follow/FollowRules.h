#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ForeignWindows.h"

namespace quillmar {

// Windows the toolbar follows besides the chat message windows, as the user lists them in the settings
// store: "title:Team chat; class:Chrome_WidgetWin_1; program:Telegram.exe". Letter case never matters.
struct FollowRule {
    enum class Kind { TitleContains, WindowClass, ProgramFile };
    Kind kind = Kind::TitleContains;
    std::string text;
    bool operator==(const FollowRule&) const = default;
};

inline constexpr const char* kFollowRulesSetting = "FollowRules";

// Entries apart by ';', each "title:", "class:" or "program:" and its text; blank and unknown entries
// are left out.
std::vector<FollowRule> ParseFollowRules(std::string_view setting);

// True when a rule matches the window; its class and program are asked for only when a rule needs them.
bool MatchesFollowRule(const std::vector<FollowRule>& rules, ForeignWindows& windows, WindowHandle window,
                       std::string_view title);

}  // namespace quillmar

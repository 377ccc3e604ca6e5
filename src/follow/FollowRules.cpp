#include "follow/FollowRules.h"

#include <optional>

#include "follow/FollowMod.h"

namespace quillmar {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ContainsNoCase(a, b);
}

}  // namespace

std::vector<FollowRule> ParseFollowRules(std::string_view setting) {
    std::vector<FollowRule> rules;
    while (!setting.empty()) {
        const std::size_t end = setting.find(';');
        const std::string_view entry = Trim(setting.substr(0, end));
        setting = end == std::string_view::npos ? std::string_view{} : setting.substr(end + 1);
        const std::size_t colon = entry.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view kind = Trim(entry.substr(0, colon));
        const std::string_view text = Trim(entry.substr(colon + 1));
        if (text.empty()) continue;  // an empty title part would follow every window
        if (SameNoCase(kind, "title")) {
            rules.push_back({FollowRule::Kind::TitleContains, std::string(text)});
        } else if (SameNoCase(kind, "class")) {
            rules.push_back({FollowRule::Kind::WindowClass, std::string(text)});
        } else if (SameNoCase(kind, "program")) {
            rules.push_back({FollowRule::Kind::ProgramFile, std::string(text)});
        }
    }
    return rules;
}

bool MatchesFollowRule(const std::vector<FollowRule>& rules, ForeignWindows& windows, WindowHandle window,
                       std::string_view title) {
    std::optional<std::string> className;
    std::optional<std::string> program;
    for (const FollowRule& rule : rules) {
        switch (rule.kind) {
            case FollowRule::Kind::TitleContains:
                if (ContainsNoCase(title, rule.text)) return true;
                break;
            case FollowRule::Kind::WindowClass:
                if (!className) className = windows.ClassName(window);
                if (SameNoCase(*className, rule.text)) return true;
                break;
            case FollowRule::Kind::ProgramFile:
                if (!program) program = windows.ProgramFileName(window);
                if (!program->empty() && SameNoCase(*program, rule.text)) return true;
                break;
        }
    }
    return false;
}

}  // namespace quillmar

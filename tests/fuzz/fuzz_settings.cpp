// The settings values the program parses, under libFuzzer: Hotkey, FollowRules and ChatPairs. Checked:
// a hotkey read is one that can be registered and reads back the same once written out; follow rules
// written out as the user would read back the same, and match exactly the windows a plain reading of them
// matches; the chat pairs remembered, over any stored value, are the pairs a plain list of the most recent
// chats gives.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "app/HotkeyTrigger.h"
#include "fakes/FakeForeignWindows.h"
#include "follow/ChatPairs.h"
#include "follow/FollowRules.h"

namespace {

using namespace quillmar;
using fuzz::Check;

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return out;
}

std::string KeyName(unsigned key) {
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    return std::string(1, static_cast<char>(key));
}

std::string HotkeyText(const Hotkey& hotkey) {
    std::string text;
    if (hotkey.ctrl) text += "Ctrl+";
    if (hotkey.alt) text += "Alt+";
    if (hotkey.shift) text += "Shift+";
    if (hotkey.win) text += "Win+";
    return text + KeyName(hotkey.key);
}

void CheckHotkey(FuzzedDataProvider& input) {
    // One built from the input, written out the way the settings show it, and read back.
    Hotkey built;
    const auto bits = input.ConsumeIntegral<std::uint8_t>();
    built.ctrl = (bits & 1) != 0;
    built.alt = (bits & 2) != 0;
    built.shift = (bits & 4) != 0;
    built.win = (bits & 8) != 0;
    const auto which = input.ConsumeIntegralInRange(0, 26 + 10 + 24 - 1);
    built.key = which < 26 ? 'A' + which : which < 36 ? '0' + (which - 26) : 0x70 + (which - 36);
    const auto read = ParseHotkey(HotkeyText(built));
    if (built.ctrl || built.alt || built.win) {
        Check(read == built, "a hotkey written out reads back otherwise");
        Check(ParseHotkey(Lower(" " + HotkeyText(built) + " ")) == built,
              "letter case or blanks change a hotkey");
    } else {
        Check(!read, "a hotkey without Ctrl, Alt or Win is taken");
    }

    // Any text.
    const std::string text = input.ConsumeRemainingBytesAsString();
    const fuzz::ExactCopy copy(text);
    const auto hotkey = ParseHotkey(copy.View());
    if (!hotkey) return;
    Check(hotkey->ctrl || hotkey->alt || hotkey->win, "a hotkey every program's typing would give");
    const unsigned key = hotkey->key;
    Check((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || (key >= 0x70 && key <= 0x87),
          "a key that is not a letter, a digit or F1-F24");
    Check(ParseHotkey(HotkeyText(*hotkey)) == hotkey, "a hotkey read, written out and read again differs");
}

std::string RuleText(const std::vector<FollowRule>& rules) {
    std::string text;
    for (const FollowRule& rule : rules) {
        if (!text.empty()) text += "; ";
        text += rule.kind == FollowRule::Kind::TitleContains ? "title:"
                : rule.kind == FollowRule::Kind::WindowClass ? "class:"
                                                             : "program:";
        text += rule.text;
    }
    return text;
}

void CheckFollowRules(FuzzedDataProvider& input) {
    const std::string title = input.ConsumeRandomLengthString(64);
    const std::string className = input.ConsumeRandomLengthString(32);
    const std::string program = input.ConsumeRandomLengthString(32);
    const std::string setting = input.ConsumeRemainingBytesAsString();
    const auto rules = ParseFollowRules(fuzz::ExactCopy(setting).View());
    for (const FollowRule& rule : rules) {
        Check(!rule.text.empty(), "an empty rule would follow every window");
        Check(rule.text.find(';') == std::string::npos, "a rule holds the separator");
        Check(rule.text.front() != ' ' && rule.text.front() != '\t' && rule.text.back() != ' ' &&
                  rule.text.back() != '\t',
              "a rule keeps blanks around its text");
    }
    Check(ParseFollowRules(RuleText(rules)) == rules, "rules written out read back otherwise");

    // The plain reading: lower-case everything and look for the text.
    fakes::FakeForeignWindows windows;
    const WindowHandle window = windows.Add(7, className);
    windows.Find(window)->program = program;
    bool expected = false;
    for (const FollowRule& rule : rules) {
        const std::string text = Lower(rule.text);
        switch (rule.kind) {
            case FollowRule::Kind::TitleContains:
                expected = expected || Lower(title).find(text) != std::string::npos;
                break;
            case FollowRule::Kind::WindowClass:
                expected = expected || Lower(className.substr(0, 255)) == text;
                break;
            case FollowRule::Kind::ProgramFile:
                expected = expected || (!program.empty() && Lower(program) == text);
                break;
        }
    }
    Check(MatchesFollowRule(rules, windows, window, title) == expected,
          "rules match otherwise than plainly read");
}

class Settings final : public SettingsStore {
public:
    std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        const auto it = values.find(app + "|" + section + "|" + key);
        return it == values.end() ? fallback : it->second;
    }
    SystemResult SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                             const std::string& value) override {
        values[app + "|" + section + "|" + key] = value;
        return SystemResult::Success();
    }
    std::map<std::string, std::string> values;
};

void CheckChatPairs(FuzzedDataProvider& input) {
    Settings settings;
    // Whatever the store holds already (another version's, or damaged).
    settings.values["QUILLMAR|settings|ChatPairs"] = input.ConsumeRandomLengthString(300);
    ChatPairs pairs(settings, "QUILLMAR", "settings");
    // The chats remembered here, most recent first; they stand before anything stored earlier.
    std::vector<std::pair<std::string, std::string>> recent;
    static const char* const kCaptions[] = {"English to French", "French to English", "",
                                            ("Odd\x1F"
                                             "caption"),
                                            "Russian to English"};
    static const char* const kTitles[] = {"Alice - Send Message", "Alice - Incoming Message", "Bob",
                                          "Send Message",         "message - Carol: send",    "Dave\x1E\x1F"};
    const int steps = input.ConsumeIntegralInRange(0, 300);
    for (int step = 0; step < steps && input.remaining_bytes() > 0; ++step) {
        std::string title;
        if (input.ConsumeBool()) {
            title = kTitles[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kTitles) - 1)];
        } else if (input.ConsumeBool()) {
            title = "chat " + std::to_string(input.ConsumeIntegralInRange(0, 250));  // many chats, few bytes
        } else {
            title = input.ConsumeRandomLengthString(24);
        }
        const std::string key = ChatKey(title);
        Check(key.find_first_of("\x1E\x1F") == std::string::npos, "a chat key holds a separator");
        Check(ChatKey(key) == key, "a chat key is not its own key");
        if (input.ConsumeBool()) {
            const std::string caption =
                input.ConsumeBool()
                    ? kCaptions[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kCaptions) - 1)]
                    : input.ConsumeRandomLengthString(16);
            pairs.Remember(title, caption);
            if (!key.empty() && caption.find_first_of("\x1E\x1F") == std::string::npos) {
                std::erase_if(recent, [&](const auto& chat) { return chat.first == key; });
                recent.insert(recent.begin(), {key, caption});
                if (recent.size() > ChatPairs::kMaxChats) recent.pop_back();
            }
        }
        const std::optional<std::string> found = pairs.PairFor(title);
        if (key.empty()) Check(!found, "a pair for a window that is no chat");
    }
    for (const auto& [key, caption] : recent)
        Check(pairs.PairFor(key) == caption, "a chat remembered gives another pair");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte says which setting the rest is, so that the seeds read as what they are.
    FuzzedDataProvider input(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            CheckHotkey(input);
            break;
        case 1:
            CheckFollowRules(input);
            break;
        default:
            CheckChatPairs(input);
            break;
    }
    return 0;
}

#include "app/HotkeyTrigger.h"

#include <vector>

#include "app/frmMain.h"

namespace quillmar {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return lower;
}

std::optional<unsigned> KeyCode(const std::string& key) {
    if (key == "space") return 0x20u;
    if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') return static_cast<unsigned>(key[0] - 'a' + 'A');
    if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') return static_cast<unsigned>(key[0]);
    if (key.size() >= 2 && key.size() <= 3 && key[0] == 'f') {
        int number = 0;
        for (std::size_t i = 1; i < key.size(); ++i) {
            if (key[i] < '0' || key[i] > '9') return std::nullopt;
            number = number * 10 + (key[i] - '0');
        }
        if (number >= 1 && number <= 24) return 0x70u + static_cast<unsigned>(number - 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<Hotkey> ParseHotkey(std::string_view text) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : Lower(text)) {
        if (c == '+') {
            parts.push_back(part);
            part.clear();
        } else if (c != ' ') {
            part += c;
        }
    }
    parts.push_back(part);
    Hotkey hotkey;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        bool* modifier = parts[i] == "ctrl" || parts[i] == "control" ? &hotkey.ctrl
                         : parts[i] == "alt"                         ? &hotkey.alt
                         : parts[i] == "shift"                       ? &hotkey.shift
                         : parts[i] == "win"                         ? &hotkey.win
                                                                     : nullptr;
        if (modifier == nullptr || *modifier) return std::nullopt;
        *modifier = true;
    }
    const std::optional<unsigned> key = KeyCode(parts.back());
    // A key without Ctrl, Alt or Win would be taken from every program's typing.
    if (!key || !(hotkey.ctrl || hotkey.alt || hotkey.win)) return std::nullopt;
    hotkey.key = *key;
    return hotkey;
}

HotkeyTrigger::~HotkeyTrigger() {
    if (m_owner != 0) m_hotkeys.UnregisterHotkey(m_owner, kHotkeyId);
}

bool HotkeyTrigger::Register(WindowHandle owner) {
    const std::string setting = m_settings.GetSetting(kSettingsApp, kSettingsSection, kHotkeySetting, kDefaultHotkey);
    std::string wanted = setting.empty() ? std::string(kDefaultHotkey) : setting;
    if (Lower(wanted) == "off") return false;
    std::optional<Hotkey> hotkey = ParseHotkey(wanted);
    if (!hotkey) {
        m_problem = "hotkey \"" + wanted + "\" not understood, " + kDefaultHotkey + " used";
        wanted = kDefaultHotkey;
        hotkey = ParseHotkey(wanted);
    }
    if (m_hotkeys.RegisterHotkey(owner, kHotkeyId, *hotkey)) {
        m_owner = owner;
    } else {
        m_problem = wanted + " is taken by another program";
    }
    if (m_problem.empty()) return true;
    // Never silent: the tip tells why the key does nothing, the balloon says it where it is seen.
    m_state.TrayIconData.tip = "QUILLMAR - " + m_problem;
    m_tray.ModifyTip(m_state.TrayIconData);
    std::string sentence = m_problem + ".";
    sentence[0] = static_cast<char>(sentence[0] >= 'a' && sentence[0] <= 'z' ? sentence[0] - ('a' - 'A') : sentence[0]);
    m_tray.ShowBalloon(m_state.TrayIconData, "Quillmar hotkey", sentence);
    return m_owner != 0;
}

}  // namespace quillmar

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "forms/ProgramState.h"
#include "platform/Hotkeys.h"
#include "platform/SettingsStore.h"
#include "platform/TrayIcon.h"

namespace quillmar {

inline constexpr const char* kHotkeySetting = "Hotkey";
inline constexpr const char* kDefaultHotkey = "Ctrl+Alt+T";

// "Ctrl+Alt+T", "shift+win+F9": modifiers and one key (a letter, a digit or F1-F24), any case, at least
// one of Ctrl, Alt and Win. None when the text is not such a key.
std::optional<Hotkey> ParseHotkey(std::string_view text);

// The global hotkey that translates the focused control: read from the settings store (switched off by
// "off"), registered on the main window, and, when that fails, said so in the tray icon's tip.
class HotkeyTrigger {
public:
    static constexpr int kHotkeyId = 1;

    HotkeyTrigger(SettingsStore& settings, GlobalHotkeys& hotkeys, TrayIcons& tray, ProgramState& state)
        : m_settings(settings), m_hotkeys(hotkeys), m_tray(tray), m_state(state) {}
    HotkeyTrigger(const HotkeyTrigger&) = delete;
    HotkeyTrigger& operator=(const HotkeyTrigger&) = delete;
    ~HotkeyTrigger();

    // True when the hotkey is registered; false when it is off, not understood or held by another program.
    bool Register(WindowHandle owner);
    const std::string& Problem() const { return m_problem; }

private:
    SettingsStore& m_settings;
    GlobalHotkeys& m_hotkeys;
    TrayIcons& m_tray;
    ProgramState& m_state;
    WindowHandle m_owner = 0;
    std::string m_problem;
};

}  // namespace quillmar

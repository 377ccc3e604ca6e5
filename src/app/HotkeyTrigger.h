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
// Windows reads AltGr as Ctrl+Alt, so on many keyboard layouts (German, Polish, French...) a Ctrl+Alt
// letter types a character and a hotkey on it would take that character away. Ctrl+Shift never makes a
// character on any layout, and Space rather than a letter keeps clear of the programs' own Ctrl+Shift
// letter shortcuts (reopen tab, new folder).
inline constexpr const char* kDefaultHotkey = "Ctrl+Shift+Space";

// "Ctrl+Shift+Space", "shift+win+F9": modifiers and one key (a letter, a digit, F1-F24 or Space), any
// case, at least one of Ctrl, Alt and Win. None when the text is not such a key.
std::optional<Hotkey> ParseHotkey(std::string_view text);

// The global hotkey that translates the focused control: read from the settings store (switched off by
// "off"; a text not understood gives the default), registered on the main window. A problem is said in
// the tray icon's tip and, once, in a balloon.
class HotkeyTrigger {
public:
    static constexpr int kHotkeyId = 1;

    HotkeyTrigger(SettingsStore& settings, GlobalHotkeys& hotkeys, TrayIcons& tray, ProgramState& state)
        : m_settings(settings), m_hotkeys(hotkeys), m_tray(tray), m_state(state) {}
    HotkeyTrigger(const HotkeyTrigger&) = delete;
    HotkeyTrigger& operator=(const HotkeyTrigger&) = delete;
    ~HotkeyTrigger();

    // True when a hotkey is registered (the default for a setting not understood); false when it is off or
    // held by another program.
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

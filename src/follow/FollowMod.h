#pragma once

#include <string>

#include "forms/ProgramState.h"
#include "platform/ForeignWindows.h"

namespace quillmar {

// Reading and replacing the text of other programs' windows. EditHwnd lives in ProgramState.
class FollowMod {
public:
    FollowMod(ForeignWindows& windows, ProgramState& state) : m_windows(windows), m_state(state) {}

    // The window's text (a title, an edit control's contents); empty for 0, a bad or a hung window.
    std::string ReadWindowText(WindowHandle window);
    // The text of the first edit-class control with text, depth-first from `window`; sets EditHwnd to
    // every edit-class control the walk reaches.
    std::string CaptureEditText(WindowHandle window);
    // Replaces the window's whole text; false when the window did not take it (hung or gone).
    bool WriteWindowText(WindowHandle window, const std::string& text);

private:
    ForeignWindows& m_windows;
    ProgramState& m_state;
};

// True when `text` contains `part`, comparing ASCII letters without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view part);

}  // namespace quillmar

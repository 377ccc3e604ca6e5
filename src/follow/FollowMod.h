#pragma once

#include <string>

#include "platform/ForeignWindows.h"
#include "translate/CapturedText.h"

namespace quillmar {

// Reading and replacing the text of other programs' windows.
class FollowMod {
public:
    explicit FollowMod(ForeignWindows& windows) : m_windows(windows) {}

    // The window's text (a title, an edit control's contents); empty for 0, a bad or a hung window.
    std::string ReadWindowText(WindowHandle window);
    // The text of the first edit-class control with text, depth-first from `window`, and that control;
    // when no edit-class control has text, empty text and the last one the walk reached (0 for none).
    CapturedText CaptureEditText(WindowHandle window);
    // Replaces the window's whole text, undoably in edit and rich-edit controls; true only when reading
    // the window back shows the text (false: hung, gone, or it did not take the text).
    bool WriteWindowText(WindowHandle window, const std::string& text);
    // Writes a translation over the text it was made from; when the control does not take it, the typed
    // text is put back if the control lost it. True when the translation is in place.
    bool ReplaceTypedText(WindowHandle window, const std::string& translation, const std::string& typed);
    // True when the window reads back as `text`, line breaks compared as the controls store them.
    bool HoldsText(WindowHandle window, const std::string& text);

private:
    ForeignWindows& m_windows;
};

// Equal texts once "\r\n" and a lone "\r" are read as "\n" (rich edits keep "\r", edits "\r\n").
bool SameTextAcrossLineBreaks(std::string_view a, std::string_view b);

// True when `text` contains `part`, comparing ASCII letters without regard to case.
bool ContainsNoCase(std::string_view text, std::string_view part);

}  // namespace quillmar

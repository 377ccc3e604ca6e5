#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// How the text was reached; its translation goes back the same way.
enum class TextRoute { EditControl, Msaa, UiAutomation, Clipboard };

// Text taken for translation: what the user typed (what a failed or undone write-back puts back), the
// control it came from (0 when there is no control to go back to) and the way it was read.
struct CapturedText {
    std::string text;
    WindowHandle control = 0;
    TextRoute route = TextRoute::EditControl;
};

}  // namespace quillmar

#pragma once

#include <optional>
#include <string>

#include "follow/FollowMod.h"
#include "platform/AccessibleValues.h"
#include "platform/Clipboard.h"
#include "platform/ForeignWindows.h"
#include "translate/CapturedText.h"

namespace quillmar {

struct FocusedTextPorts {
    ForeignWindows& windows;
    AccessibleValues& msaa;
    AccessibleValues& uiAutomation;
    Clipboard& clipboard;
    EditKeys& keys;
};

// The text of the control with the keyboard focus in the foreground window, whatever kind of control it
// is: an edit or rich-edit control by its messages, else its accessible value (MSAA, then UI Automation),
// else through the clipboard, which is always left holding what it held before.
class FocusedText final {
public:
    FocusedText(FollowMod& module, const FocusedTextPorts& ports) : m_module(module), m_ports(ports) {}

    // The focused control (the foreground window itself when nothing inside has the focus), its text and
    // the way it was read; empty text when no way reached any.
    CapturedText Capture();
    // Writes the translation the way the text came, reads it back, and puts the typed text back where
    // the control did not take it. True when the translation is in place.
    bool Write(const CapturedText& captured, const std::string& translation);

private:
    std::optional<std::string> CopyOut();
    bool PasteIn(const std::string& text);
    bool WriteAccessible(AccessibleValues& values, WindowHandle control, const std::string& translation,
                         const std::string& typed);
    bool WriteThroughClipboard(WindowHandle control, const std::string& translation, const std::string& typed);

    FollowMod& m_module;
    FocusedTextPorts m_ports;
};

}  // namespace quillmar

#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "follow/FollowMod.h"
#include "platform/AccessibleValues.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/ForeignWindows.h"
#include "translate/CapturedText.h"

namespace quillmar {

struct FocusedTextPorts {
    ForeignWindows& windows;
    AccessibleValues& uiAutomation;
    AccessibleValues& msaa;
    Clipboard& clipboard;
    EditKeys& keys;
    WaitClock& clock;
    Dialogs& dialogs;
};

// An accessible value is the user's text only in an editable text field: a page document serves its
// address as its value (browsers and the chat programs built on them), labels and views their captions.
inline bool IsEditableText(const AccessibleElement& element) {
    return element.role == AccessibleRole::Text && !element.readOnly && !element.document;
}

// Why the clipboard way was not taken; it is said to the user in place of "No message !".
enum class ClipboardProblem { None, KeysHeld, Declined };

// The time limits of the clipboard way.
namespace clipboard_limits {
using std::chrono::milliseconds;
inline constexpr milliseconds kKeysReleased{3000};  // for the hotkey's keys to be let go
inline constexpr milliseconds kSaveBudget{150};     // for keeping the user's clipboard
inline constexpr milliseconds kCopied{1500};        // for the control's copy to arrive
inline constexpr milliseconds kPasteTaken{2000};    // for the control to take the pasted text
inline constexpr milliseconds kPoll{10};
}  // namespace clipboard_limits

// The text of the control with the keyboard focus in the foreground window, whatever kind of control it
// is: an edit or rich-edit control by its messages, else its accessible value (UI Automation, then MSAA),
// else through the clipboard, which is always left holding what it held before.
// The clipboard way runs to its end before returning: its waits are bounded and answer other programs'
// requests meanwhile (WaitClock), since the capture's caller and the write's need their answer at once.
class FocusedText final {
public:
    FocusedText(FollowMod& module, const FocusedTextPorts& ports) : m_module(module), m_ports(ports) {}

    // The focused control (the foreground window itself when nothing inside has the focus), its text and
    // the way it was read; empty text when no way reached any.
    CapturedText Capture();
    // Writes the translation the way the text came, reads it back, and puts the typed text back where
    // the control did not take it. True when the translation is in place.
    bool Write(const CapturedText& captured, const std::string& translation);
    // Why the last Capture or Write left the clipboard way untried.
    ClipboardProblem Problem() const { return m_problem; }

private:
    enum class Paste { NotTaken, Differs, Written };

    std::optional<std::string> CopyOut(WindowHandle control);
    Paste PasteIn(const std::string& text);
    std::optional<ClipboardContent> BeginClipboardUse(WindowHandle control);
    bool KeysReleased();
    bool FocusIsOn(WindowHandle control);
    bool WriteAccessible(AccessibleValues& values, const CapturedText& captured, const std::string& translation);
    bool WriteThroughClipboard(WindowHandle control, const std::string& translation, const std::string& typed);

    FollowMod& m_module;
    FocusedTextPorts m_ports;
    ClipboardProblem m_problem = ClipboardProblem::None;
    // Set while the clipboard way runs: the question it may ask runs a message loop, in which another
    // hotkey press or a finished translation would start a second one over the first.
    bool m_clipboardBusy = false;
};

}  // namespace quillmar

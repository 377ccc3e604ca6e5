#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Modal dialogs of the platform. Texts are UTF-8.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual MessageResult ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                     MessageButtons buttons) = 0;
};

// The properties of the one common-dialog object the designer shares between its pickers and its save.
// They keep their values between uses: the file name chosen last is where the next file dialog starts.
struct CommonDialogState {
    bool CancelError = false;
    std::string Filter;  // "Description|patterns|" pairs, patterns split by ';'
    std::uint32_t Flags = 0;
    std::string FileName;
    Colour Color = 0;
};

// Open-file flag: the chosen file must exist. Save-file flags: ask before replacing, ask before creating.
inline constexpr std::uint32_t kFileMustExist = 0x1000;
inline constexpr std::uint32_t kOverwritePrompt = 0x0002;
inline constexpr std::uint32_t kCreatePrompt = 0x2000;

// Chosen: FileName or Color holds the choice. Cancelled: the user closed the dialog (with CancelError
// set, an error for the caller). Failed: the dialog could not be shown.
enum class DialogOutcome { Chosen, Cancelled, Failed };

class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    virtual DialogOutcome ShowOpen(CommonDialogState& state, WindowHandle owner) = 0;
    virtual DialogOutcome ShowSave(CommonDialogState& state, WindowHandle owner) = 0;
    virtual DialogOutcome ShowColor(CommonDialogState& state, WindowHandle owner) = 0;
};

// The shape of the mouse pointer over one window.
enum class PointerShape { Default, Hourglass };
class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual void SetPointer(WindowHandle window, PointerShape shape) = 0;
};

// A window's place in the stacking order, kept where it is and shown without activation.
enum class Stacking { Topmost, NotTopmost };
class WindowStacking {
public:
    virtual ~WindowStacking() = default;
    virtual void SetStacking(WindowHandle window, Stacking stacking) = 0;
};

// A message box without a title of its own carries the application title.
inline constexpr const char* kAppTitle = "QUILLMAR";

}  // namespace quillmar

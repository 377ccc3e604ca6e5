#include "win32/WinDialogs.h"

#include <windows.h>

#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

UINT IconFlag(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return MB_ICONHAND;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Information:
            return MB_ICONASTERISK;
        case MessageIcon::None:
            break;
    }
    return 0;
}

UINT ButtonsFlag(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageButtons::YesNo:
            return MB_YESNO;
        case MessageButtons::YesNoCancel:
            return MB_YESNOCANCEL;
        case MessageButtons::Ok:
            break;
    }
    return MB_OK;
}

MessageResult ToResult(int answer, MessageButtons buttons) {
    switch (answer) {
        case IDOK:
            return MessageResult::Ok;
        case IDYES:
            return MessageResult::Yes;
        case IDNO:
            return MessageResult::No;
        case IDCANCEL:
            return MessageResult::Cancel;
        default:
            break;
    }
    // The box could not be shown: answer as closing it would.
    return buttons == MessageButtons::Ok      ? MessageResult::Ok
           : buttons == MessageButtons::YesNo ? MessageResult::No
                                              : MessageResult::Cancel;
}

}  // namespace

MessageResult WinDialogs::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                     MessageButtons buttons) {
    const std::wstring wideText = Utf8ToWide(text);
    const std::wstring wideTitle = Utf8ToWide(title.empty() ? kAppTitle : title);
    // Without an owner (a test, a tool), task-modal as before, so the box still holds the program.
    const UINT modality = m_owner != nullptr ? MB_TOPMOST : MB_TASKMODAL | MB_TOPMOST;
    const HWND before = GetForegroundWindow();
    const int answer = MessageBoxW(m_owner, wideText.c_str(), wideTitle.c_str(),
                                   IconFlag(icon) | ButtonsFlag(buttons) | modality | MB_SETFOREGROUND);
    // Closing the box activates its owner, the hidden main window: the chat window the user was in would
    // lose the foreground, and the toolbar with it. Give it back while this program may still do so.
    const HWND after = GetForegroundWindow();
    if (m_owner != nullptr && (after == nullptr || after == m_owner) && before != nullptr && before != m_owner &&
        IsWindow(before))
        SetForegroundWindow(before);
    return ToResult(answer, buttons);
}

}  // namespace quillmar::win32

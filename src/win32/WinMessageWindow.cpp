#include "win32/WinMessageWindow.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarMessageWindow";

}  // namespace

WinMessageWindow::WinMessageWindow(MessageTarget& target) {
    WNDCLASSEXW wc{};
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    if (Create(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE)) m_target = &target;
}

LRESULT WinMessageWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The target may destroy this window, and this object, from inside: nothing of either is touched after.
    if (m_target != nullptr && m_target->OnMessage(message, wParam, lParam)) return 0;
    return Default(message, wParam, lParam);
}

}  // namespace quillmar::win32

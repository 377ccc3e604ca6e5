#include "win32/WinMessageWindow.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarMessageWindow";

ATOM RegisterMessageWindowClass(WNDPROC proc) {
    static const ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

}  // namespace

WinMessageWindow::WinMessageWindow(MessageTarget& target) {
    RegisterMessageWindowClass(&WindowProc);
    m_hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    // Attached only now: the messages of creation reach no half-built target.
    if (m_hwnd != nullptr) SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&target));
}

WinMessageWindow::~WinMessageWindow() {
    if (m_hwnd == nullptr) return;
    // The target is going away: the messages DestroyWindow sends must not reach it.
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
}

LRESULT CALLBACK WinMessageWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (target != nullptr && target->OnMessage(message, wParam, lParam)) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace quillmar::win32

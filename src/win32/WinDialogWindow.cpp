#include "win32/WinDialogWindow.h"

#include "forms/Twips.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarDialogWindow";

void RegisterDialogClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = DLGWINDOWEXTRA;  // IsDialogMessage keeps its state there
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    registered = RegisterClassExW(&wc) != 0;
}

}  // namespace

WinDialogWindow::WinDialogWindow(DialogForm& form) : m_form(form) {
    RegisterDialogClass(&WinDialogWindow::WindowProc);
    const int width = TwipsToPixels(form.Width());
    const int height = TwipsToPixels(form.Height());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    m_hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClassName,
                             Utf8ToWide(form.Caption()).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y,
                             width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

WinDialogWindow::~WinDialogWindow() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

void WinDialogWindow::Show() {
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

void WinDialogWindow::Repaint() {
    SetWindowTextW(m_hwnd, Utf8ToWide(m_form.Caption()).c_str());
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT CALLBACK WinDialogWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<WinDialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WinDialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_KEYDOWN:
            // With the focus on the window itself (no child has it), Esc arrives as a key.
            if (wParam == VK_ESCAPE) {
                self->m_form.CloseBox();
                return 0;
            }
            break;
        case WM_COMMAND:
            // IsDialogMessage turns Esc into IDCANCEL; with no cancel button of its own the form closes.
            if (LOWORD(wParam) == IDCANCEL) {
                self->m_form.CloseBox();  // destroys this window
                return 0;
            }
            break;
        case WM_CLOSE:
            self->m_form.CloseBox();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool DispatchToDialog(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root == nullptr) return false;
    wchar_t className[64] = {};
    GetClassNameW(root, className, 64);
    if (lstrcmpW(className, kClassName) != 0) return false;
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace quillmar::win32

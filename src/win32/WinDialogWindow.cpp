#include "win32/WinDialogWindow.h"

#include "forms/Twips.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarDialogWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

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

// An owned window has no taskbar button, and a dialog of this program must not have one. The owner is
// never shown, so it neither appears anywhere nor hides the dialogs it owns.
HWND HiddenOwner() {
    static HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    return owner;
}

}  // namespace

WinDialogWindow::WinDialogWindow(DialogForm& form) : m_form(form) {
    RegisterDialogClass(&WinDialogWindow::WindowProc);
    const int width = TwipsToPixels(form.Width());
    const int height = TwipsToPixels(form.Height());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    m_hwnd = CreateWindowExW(kExStyle, kClassName, Utf8ToWide(form.Caption()).c_str(), kStyle, x, y, width,
                             height, HiddenOwner(), nullptr, GetModuleHandleW(nullptr), this);
    if (m_hwnd != nullptr) CreateControls();
}

WinDialogWindow::~WinDialogWindow() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
    for (HFONT font : m_fonts) DeleteObject(font);
    if (m_icon != nullptr) DestroyIcon(m_icon);
}

void WinDialogWindow::CreateControls() {
    m_controls = m_form.Controls();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto* guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const DialogControl& control : m_controls) {
        const wchar_t* className = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (control.kind) {
            case DialogControl::Kind::Button:
                className = L"BUTTON";
                style |= WS_TABSTOP | (control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                break;
            case DialogControl::Kind::Label:
                style |= SS_LEFT | SS_NOPREFIX;
                break;
            case DialogControl::Kind::Picture:
                style |= SS_ICON | SS_REALSIZEIMAGE;
                break;
            case DialogControl::Kind::EtchedLine:
                style |= SS_ETCHEDHORZ;
                break;
        }
        const bool etched = control.kind == DialogControl::Kind::EtchedLine;
        HWND child = CreateWindowExW(0, className, Utf8ToWide(control.caption).c_str(), style,
                                     TwipsToPixels(control.left), TwipsToPixels(control.top),
                                     TwipsToPixels(control.width), etched ? 2 : TwipsToPixels(control.height),
                                     m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance,
                                     nullptr);
        if (child == nullptr) continue;
        HFONT font = guiFont;
        if (control.fontTenthsOfPoint > 0) {
            HDC screen = GetDC(nullptr);
            const int height = -MulDiv(control.fontTenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
            ReleaseDC(nullptr, screen);
            font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
            m_fonts.push_back(font);
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control.kind == DialogControl::Kind::Picture) {
            if (m_icon == nullptr) {
                m_icon = static_cast<HICON>(
                    LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
            }
            if (m_icon != nullptr) SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
        }
    }
}

int WinDialogWindow::RoleId(bool cancel) const {
    for (const DialogControl& control : m_controls) {
        if (control.kind == DialogControl::Kind::Button && (cancel ? control.isCancel : control.isDefault)) {
            return control.id;
        }
    }
    return 0;
}

void WinDialogWindow::FocusFirstControl() const {
    HWND first = GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
    SetFocus(first != nullptr ? first : m_hwnd);
}

WinDialogWindow::Size WinDialogWindow::ScreenPixels() const {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

WinDialogWindow::Size WinDialogWindow::FramePixels() const {
    RECT rect{0, 0, 0, 0};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void WinDialogWindow::PlaceTopmost(int x, int y, int width, int height) {
    SetWindowPos(m_hwnd, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void WinDialogWindow::Show() {
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

void WinDialogWindow::Repaint() {
    SetWindowTextW(m_hwnd, Utf8ToWide(m_form.Caption()).c_str());
    m_controls = m_form.Controls();
    for (const DialogControl& control : m_controls) {
        if (control.kind == DialogControl::Kind::Button || control.kind == DialogControl::Kind::Label) {
            SetDlgItemTextW(m_hwnd, control.id, Utf8ToWide(control.caption).c_str());
        }
    }
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
        case WM_ACTIVATE:
            // Not a system dialog, so nothing else puts the focus on the first control.
            if (LOWORD(wParam) != WA_INACTIVE) {
                self->FocusFirstControl();
                return 0;
            }
            break;
        case DM_GETDEFID: {
            const int id = self->RoleId(false);
            return id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
        }
        case WM_COMMAND: {
            // Each handler below may unload the form, which destroys this window: return at once.
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                // IsDialogMessage turns Esc into IDCANCEL; with no cancel button of its own the form closes.
                const int cancel = self->RoleId(true);
                if (cancel != 0) {
                    self->m_form.Click(cancel);
                } else {
                    self->m_form.CloseBox();
                }
                return 0;
            }
            if (id == IDOK) {
                const int ok = self->RoleId(false);
                if (ok != 0) self->m_form.Click(ok);
                return 0;
            }
            if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
                self->m_form.Click(id);
                return 0;
            }
            break;
        }
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

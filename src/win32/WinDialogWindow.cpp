#include "win32/WinDialogWindow.h"

#include <commctrl.h>

#include "forms/Twips.h"
#include "win32/WinCommonDialogs.h"
#include "win32/WinPictures.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarDialogWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kTwoLinesTwips = 390;

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

WinDialogWindow::WinDialogWindow(DialogForm& form, WinPictures* pictures) : m_form(form), m_pictures(pictures) {
    RegisterDialogClass(&WinDialogWindow::WindowProc);
    const int width = TwipsToPixels(form.Width());
    const int height = TwipsToPixels(form.Height());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    m_hwnd = CreateWindowExW(kExStyle, kClassName, Utf8ToWide(form.Caption()).c_str(), kStyle, x, y, width,
                             height, HiddenOwner(), nullptr, GetModuleHandleW(nullptr), this);
    if (m_hwnd == nullptr) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_windowIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR));
    if (m_windowIcon != nullptr) {
        SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_windowIcon));
        SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_windowIcon));
    }
    SyncControls();
}

WinDialogWindow::~WinDialogWindow() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);  // takes the children and the owned tool tips with it
    }
    for (HFONT font : m_fonts) DeleteObject(font);
    if (m_icon != nullptr) DestroyIcon(m_icon);
    if (m_windowIcon != nullptr) DestroyIcon(m_windowIcon);
}

const DialogControl* WinDialogWindow::ControlById(int id) const {
    for (const DialogControl& control : m_controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

HWND WinDialogWindow::MakeControl(const DialogControl& control) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t* className = L"STATIC";
    // Clipped siblings: where controls overlap, the one higher in the stacking order is seen.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (control.kind) {
        case DialogControl::Kind::Button:
            className = L"BUTTON";
            style |= WS_TABSTOP | (control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case DialogControl::Kind::Label:
            // A label one line high shows as much of its text as fits rather than wrapping it out of sight.
            style |= (control.height < kTwoLinesTwips ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOPREFIX | SS_NOTIFY;
            break;
        case DialogControl::Kind::Picture:
            style |= control.pictureSource.empty() ? (SS_ICON | SS_REALSIZEIMAGE) : (SS_OWNERDRAW | SS_NOTIFY);
            break;
        case DialogControl::Kind::EtchedLine:
            style |= SS_ETCHEDHORZ;
            break;
        case DialogControl::Kind::CheckBox:
            className = L"BUTTON";
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case DialogControl::Kind::Frame:
            className = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case DialogControl::Kind::TextBox:
            className = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
    }
    HWND child = CreateWindowExW(exStyle, className, Utf8ToWide(control.caption).c_str(), style, 0, 0, 0, 0, m_hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    if (child == nullptr) return nullptr;
    // Each new control goes below those made before it: the list runs from the top of the stacking order,
    // and the tab order follows it.
    SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (control.fontTenthsOfPoint > 0) {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(control.fontTenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
        ReleaseDC(nullptr, screen);
        font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
        m_fonts.push_back(font);
    }
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.kind == DialogControl::Kind::Picture && control.pictureSource.empty()) {
        if (m_icon == nullptr) {
            m_icon = static_cast<HICON>(
                LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        }
        if (m_icon != nullptr) SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
    }
    if (!control.toolTip.empty()) {
        if (m_toolTips == nullptr) {
            INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
            InitCommonControlsEx(&classes);
            m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0,
                                         0, m_hwnd, nullptr, instance, nullptr);
        }
        std::wstring text = Utf8ToWide(control.toolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(child);
        tool.lpszText = text.data();
        if (m_toolTips != nullptr) SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return child;
}

void WinDialogWindow::UpdateControl(HWND child, const DialogControl& control, bool fresh) {
    const DialogControl* before = fresh ? nullptr : ControlById(control.id);
    const bool etched = control.kind == DialogControl::Kind::EtchedLine;
    SetWindowPos(child, nullptr, TwipsToPixels(control.left), TwipsToPixels(control.top), TwipsToPixels(control.width),
                 etched ? 2 : TwipsToPixels(control.height), SWP_NOZORDER | SWP_NOACTIVATE);
    // What the user types is the text box's own; the form reads it back and sets it only at the start.
    const bool typed = control.kind == DialogControl::Kind::TextBox;
    if (!typed && (before == nullptr || before->caption != control.caption)) {
        SetWindowTextW(child, Utf8ToWide(control.caption).c_str());
    }
    if (control.kind == DialogControl::Kind::CheckBox) {
        SendMessageW(child, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ShowWindow(child, control.visible ? SW_SHOWNA : SW_HIDE);
    if (before != nullptr && (before->pictureSource != control.pictureSource ||
                              before->textColour != control.textColour)) {
        InvalidateRect(child, nullptr, TRUE);
    }
}

void WinDialogWindow::SyncControls() {
    std::vector<DialogControl> controls = m_form.Controls();
    for (const DialogControl& control : controls) {
        auto found = m_children.find(control.id);
        if (found == m_children.end()) {
            HWND child = MakeControl(control);
            if (child == nullptr) continue;
            m_children.emplace(control.id, child);
            UpdateControl(child, control, true);
        } else {
            UpdateControl(found->second, control, false);
        }
    }
    m_controls = std::move(controls);
}

void WinDialogWindow::DrawPicture(const DRAWITEMSTRUCT& item) const {
    const DialogControl* control = ControlById(static_cast<int>(item.CtlID));
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (control == nullptr) return;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (m_pictures != nullptr) m_pictures->Draw(control->pictureSource, item.hDC, 0, 0, width, height);
    if (control->caption.empty()) return;
    RECT text{TwipsToPixels(control->captionLeft), TwipsToPixels(control->captionTop), width, height};
    const int saved = SaveDC(item.hDC);
    SelectObject(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, control->textColour < 0 ? GetSysColor(COLOR_BTNTEXT)
                                                   : static_cast<COLORREF>(control->textColour));
    std::wstring caption = Utf8ToWide(control->caption);
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(item.hDC, saved);
}

HBRUSH WinDialogWindow::LabelColours(HDC dc, HWND child) const {
    const DialogControl* control = ControlById(GetDlgCtrlID(child));
    if (control == nullptr || control->textColour < 0) return nullptr;
    SetTextColor(dc, static_cast<COLORREF>(control->textColour));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
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

void WinDialogWindow::Place(int x, int y, int width, int height) {
    SetWindowPos(m_hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinDialogWindow::Hide() { ShowWindow(m_hwnd, SW_HIDE); }

std::string WinDialogWindow::ControlText(int id) const {
    auto found = m_children.find(id);
    if (found == m_children.end()) return {};
    const int length = GetWindowTextLengthW(found->second);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(found->second, text.data(), length + 1)));
    return WideToUtf8(text);
}

bool WinDialogWindow::IsChecked(int id) const {
    auto found = m_children.find(id);
    return found != m_children.end() && SendMessageW(found->second, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WinDialogWindow::Focus(int id) {
    auto found = m_children.find(id);
    if (found != m_children.end()) SetFocus(found->second);
}

void WinDialogWindow::Show() {
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

void WinDialogWindow::Repaint() {
    SetWindowTextW(m_hwnd, Utf8ToWide(m_form.Caption()).c_str());
    SyncControls();
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
        case WM_SETCURSOR:
            // The busy mark of the mouse-pointer port: the hourglass over the whole dialog while it is set.
            if (HANDLE busy = GetPropW(hwnd, kBusyPointerProperty); busy != nullptr) {
                SetCursor(static_cast<HCURSOR>(busy));
                return TRUE;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_STATIC) break;
            self->DrawPicture(*item);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = self->LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
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

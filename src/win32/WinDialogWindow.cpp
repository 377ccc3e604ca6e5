#include "win32/WinDialogWindow.h"

#include <commctrl.h>

#include <variant>

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
constexpr int kListItemPixels = 18;

// An owned window has no taskbar button, and a dialog of this program must not have one. The owner is
// never shown, so it neither appears anywhere nor hides the dialogs it owns.
HWND HiddenOwner() {
    static HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    return owner;
}

using Control = DialogControl;

// The window text of a control: the text it shows, and what a screen reader reads.
std::string TextOf(const Control::Kind& kind) {
    if (const auto* button = std::get_if<Control::Button>(&kind)) return button->caption;
    if (const auto* label = std::get_if<Control::Label>(&kind)) return label->caption;
    if (const auto* picture = std::get_if<Control::Picture>(&kind))
        return picture->caption ? picture->caption->text : std::string();
    if (const auto* box = std::get_if<Control::CheckBox>(&kind)) return box->caption;
    if (const auto* frame = std::get_if<Control::Frame>(&kind)) return frame->caption;
    if (const auto* text = std::get_if<Control::TextBox>(&kind)) return text->text;
    return {};
}

// The colour a control's own text is drawn in, when it is not the system's.
std::optional<Colour> TextColourOf(const Control::Kind& kind) {
    if (const auto* label = std::get_if<Control::Label>(&kind)) return label->textColour;
    if (const auto* picture = std::get_if<Control::Picture>(&kind))
        return picture->caption ? picture->caption->colour : std::nullopt;
    return std::nullopt;
}

}  // namespace

WinDialogWindow::WinDialogWindow(DialogForm& form, WinPictures* pictures)
    : m_form(form), m_pictures(pictures) {
    WNDCLASSEXW wc{};
    wc.cbWndExtra = DLGWINDOWEXTRA;  // IsDialogMessage keeps its state there
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    const int width = TwipsToPixels(form.OuterWidth());
    const int height = TwipsToPixels(form.OuterHeight());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!Create(kExStyle, kClassName, Utf8ToWide(form.Title()).c_str(), kStyle, x, y, width, height,
                HiddenOwner()))
        return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_windowIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                 LR_DEFAULTCOLOR));
    if (m_windowIcon != nullptr) {
        SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_windowIcon));
        SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_windowIcon));
    }
    SyncControls();
}

WinDialogWindow::~WinDialogWindow() {
    DestroyNow();  // takes the children and the owned tool tips with it
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
    const Control::Kind& kind = control.kind;
    if (const auto* button = std::get_if<Control::Button>(&kind)) {
        className = L"BUTTON";
        style |= WS_TABSTOP | (button->isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    } else if (std::holds_alternative<Control::Label>(kind)) {
        // A label one line high shows as much of its text as fits rather than wrapping it out of sight.
        style |=
            (control.bounds.height < kTwoLinesTwips ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOPREFIX | SS_NOTIFY;
    } else if (std::holds_alternative<Control::Icon>(kind)) {
        style |= SS_ICON | SS_REALSIZEIMAGE;
    } else if (std::holds_alternative<Control::Picture>(kind)) {
        style |= SS_OWNERDRAW | SS_NOTIFY;
    } else if (std::holds_alternative<Control::EtchedLine>(kind)) {
        style |= SS_ETCHEDHORZ;
    } else if (std::holds_alternative<Control::CheckBox>(kind)) {
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
    } else if (std::holds_alternative<Control::Frame>(kind)) {
        className = L"BUTTON";
        style |= BS_GROUPBOX;
    } else if (const auto* text = std::get_if<Control::TextBox>(&kind)) {
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (text->masked ? ES_PASSWORD : 0);
        exStyle |= WS_EX_CLIENTEDGE;
    } else if (std::holds_alternative<Control::DropDown>(kind)) {
        className = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    }
    HWND child =
        CreateWindowExW(exStyle, className, Utf8ToWide(TextOf(kind)).c_str(), style, 0, 0, 0, 0, Hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    if (child == nullptr) return nullptr;
    // Each new control goes below those made before it: the list runs from the top of the stacking order,
    // and the tab order follows it.
    SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const auto* label = std::get_if<Control::Label>(&kind);
    if (label != nullptr && label->fontTenthsOfPoint) {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(*label->fontTenthsOfPoint, GetDeviceCaps(screen, LOGPIXELSY), 720);
        ReleaseDC(nullptr, screen);
        font =
            CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
        m_fonts.push_back(font);
    }
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (const auto* list = std::get_if<Control::DropDown>(&kind)) {
        for (const std::string& item : list->items)
            SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
        SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(list->selected), 0);
    }
    if (std::holds_alternative<Control::Icon>(kind)) {
        if (m_icon == nullptr) {
            m_icon = static_cast<HICON>(
                LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        }
        if (m_icon != nullptr) SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
    }
    const auto* picture = std::get_if<Control::Picture>(&kind);
    if (picture != nullptr && !picture->toolTip.empty()) {
        if (m_toolTips == nullptr) {
            INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
            InitCommonControlsEx(&classes);
            m_toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0,
                                         0, 0, 0, Hwnd(), nullptr, instance, nullptr);
        }
        std::wstring text = Utf8ToWide(picture->toolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(child);
        tool.lpszText = text.data();
        if (m_toolTips != nullptr) SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return child;
}

void WinDialogWindow::UpdateControl(HWND child, const DialogControl& control, bool fresh) {
    const DialogControl* before = fresh ? nullptr : ControlById(control.id);
    const bool etched = std::holds_alternative<Control::EtchedLine>(control.kind);
    const TwipsRect& bounds = control.bounds;
    int height = etched ? 2 : TwipsToPixels(bounds.height);
    // A drop-down list's height is its closed box and the open list below it together.
    if (const auto* list = std::get_if<Control::DropDown>(&control.kind))
        height += static_cast<int>(list->items.size()) * kListItemPixels + 4;
    SetWindowPos(child, nullptr, TwipsToPixels(bounds.left), TwipsToPixels(bounds.top),
                 TwipsToPixels(bounds.width), height, SWP_NOZORDER | SWP_NOACTIVATE);
    // What the user types or picks is the control's own; the form reads it back and sets it only at the
    // start.
    const bool typed = std::holds_alternative<Control::TextBox>(control.kind) ||
                       std::holds_alternative<Control::DropDown>(control.kind);
    if (!typed && (before == nullptr || TextOf(before->kind) != TextOf(control.kind))) {
        SetWindowTextW(child, Utf8ToWide(TextOf(control.kind)).c_str());
    }
    if (const auto* box = std::get_if<Control::CheckBox>(&control.kind)) {
        SendMessageW(child, BM_SETCHECK, box->checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ShowWindow(child, control.visible ? SW_SHOWNA : SW_HIDE);
    // A new picture or colour is drawn by the window, not by the control's text.
    if (before != nullptr && !typed && before->kind != control.kind) InvalidateRect(child, nullptr, TRUE);
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
    const auto* picture = control != nullptr ? std::get_if<Control::Picture>(&control->kind) : nullptr;
    if (picture == nullptr) return;
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    if (m_pictures != nullptr) m_pictures->Draw(picture->source, item.hDC, 0, 0, width, height);
    if (!picture->caption || picture->caption->text.empty()) return;
    const Control::Picture::Caption& caption = *picture->caption;
    RECT text{TwipsToPixels(caption.left), TwipsToPixels(caption.top), width, height};
    const int saved = SaveDC(item.hDC);
    SelectObject(item.hDC, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC,
                 caption.colour ? static_cast<COLORREF>(*caption.colour) : GetSysColor(COLOR_BTNTEXT));
    std::wstring wide = Utf8ToWide(caption.text);
    DrawTextW(item.hDC, wide.c_str(), static_cast<int>(wide.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(item.hDC, saved);
}

HBRUSH WinDialogWindow::LabelColours(HDC dc, HWND child) const {
    const DialogControl* control = ControlById(GetDlgCtrlID(child));
    if (control == nullptr) return nullptr;
    const std::optional<Colour> colour = TextColourOf(control->kind);
    if (!colour) return nullptr;
    SetTextColor(dc, static_cast<COLORREF>(*colour));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

int WinDialogWindow::RoleId(Role role) const {
    for (const DialogControl& control : m_controls) {
        const auto* button = std::get_if<Control::Button>(&control.kind);
        if (button != nullptr && (role == Role::Cancel ? button->isCancel : button->isDefault))
            return control.id;
    }
    return 0;
}

void WinDialogWindow::FocusFirstControl() const {
    HWND first = GetNextDlgTabItem(Hwnd(), nullptr, FALSE);
    SetFocus(first != nullptr ? first : Hwnd());
}

TwipsRect WinDialogWindow::Screen() const {
    return {0, 0, PixelsToTwips(GetSystemMetrics(SM_CXSCREEN)), PixelsToTwips(GetSystemMetrics(SM_CYSCREEN))};
}

TwipsRect WinDialogWindow::Frame() const {
    RECT rect{0, 0, 0, 0};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    return {0, 0, PixelsToTwips(rect.right - rect.left), PixelsToTwips(rect.bottom - rect.top)};
}

void WinDialogWindow::Place(const TwipsRect& bounds, Placing how) {
    const int x = TwipsToPixels(bounds.left);
    const int y = TwipsToPixels(bounds.top);
    const int width = TwipsToPixels(bounds.width);
    const int height = TwipsToPixels(bounds.height);
    if (how == Placing::OnTop) {
        SetWindowPos(Hwnd(), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    } else {
        SetWindowPos(Hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void WinDialogWindow::Hide() {
    ShowWindow(Hwnd(), SW_HIDE);
}

std::string WinDialogWindow::ControlText(int id) const {
    auto found = m_children.find(id);
    if (found == m_children.end()) return {};
    const int length = GetWindowTextLengthW(found->second);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(found->second, text.data(), length + 1)));
    return WideToUtf8(text);
}

bool WinDialogWindow::IsChange(int id, unsigned code) const {
    // Only once the control is known: a box made with a text may tell of it before.
    const DialogControl* control = m_children.count(id) != 0 ? ControlById(id) : nullptr;
    if (control == nullptr) return false;
    if (std::holds_alternative<Control::TextBox>(control->kind)) return code == EN_CHANGE;
    if (std::holds_alternative<Control::DropDown>(control->kind)) return code == CBN_SELCHANGE;
    return false;
}

int WinDialogWindow::SelectedItem(int id) const {
    auto found = m_children.find(id);
    const auto* control = ControlById(id);
    if (found == m_children.end() || control == nullptr ||
        !std::holds_alternative<Control::DropDown>(control->kind))
        return -1;
    const LRESULT picked = SendMessageW(found->second, CB_GETCURSEL, 0, 0);
    return picked == CB_ERR ? -1 : static_cast<int>(picked);
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
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(Hwnd());
}

void WinDialogWindow::Repaint() {
    SetWindowTextW(Hwnd(), Utf8ToWide(m_form.Title()).c_str());
    SyncControls();
    InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT WinDialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            // With the focus on the window itself (no child has it), Esc arrives as a key.
            if (wParam == VK_ESCAPE) {
                m_form.CloseBox();
                return 0;
            }
            break;
        case WM_ACTIVATE:
            // Not a system dialog, so nothing else puts the focus on the first control.
            if (LOWORD(wParam) != WA_INACTIVE) {
                FocusFirstControl();
                return 0;
            }
            break;
        case DM_GETDEFID: {
            const int id = RoleId(Role::Default);
            return id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
        }
        case WM_COMMAND: {
            // Each handler below may unload the form, which destroys this window: return at once.
            const int id = LOWORD(wParam);
            if (id == IDCANCEL) {
                // IsDialogMessage turns Esc into IDCANCEL; with no cancel button of its own the form closes.
                const int cancel = RoleId(Role::Cancel);
                if (cancel != 0) {
                    m_form.Click(cancel);
                } else {
                    m_form.CloseBox();
                }
                return 0;
            }
            if (id == IDOK) {
                const int ok = RoleId(Role::Default);
                if (ok != 0) m_form.Click(ok);
                return 0;
            }
            if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
                m_form.Click(id);
                return 0;
            }
            if (lParam != 0 && IsChange(id, HIWORD(wParam))) {
                m_form.Changed(id);
                return 0;
            }
            break;
        }
        case WM_CLOSE:
            m_form.CloseBox();
            return 0;
        case WM_SETCURSOR:
            // The busy mark of the mouse-pointer port: the hourglass over the whole dialog while it is set.
            if (HANDLE busy = GetPropW(Hwnd(), kBusyPointerProperty); busy != nullptr) {
                SetCursor(static_cast<HCURSOR>(busy));
                return TRUE;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_STATIC) break;
            DrawPicture(*item);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        default:
            break;
    }
    return Default(message, wParam, lParam);
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

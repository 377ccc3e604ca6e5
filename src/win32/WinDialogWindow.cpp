#include "win32/WinDialogWindow.h"

#include <commctrl.h>

#include <variant>

#include "forms/LabelFit.h"
#include "forms/Twips.h"
#include "win32/WinDpi.h"
#include "win32/WinCommonDialogs.h"
#include "win32/WinPictures.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarDialogWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kListItemPixels = 18;  // at 96 DPI

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

// Labels' texts in the fonts the window draws them in, at its DPI.
class LabelMeasurer final : public TextMeasurer {
public:
    LabelMeasurer(HWND window, TwipsScale scale) : m_window(window), m_scale(scale) {}
    TextExtent Measure(const std::string& text, std::optional<int> fontTenthsOfPoint,
                       std::optional<int> wrapWidth) const override {
        HDC dc = GetDC(m_window);
        if (dc == nullptr) return {};
        const UINT dpi = static_cast<UINT>(m_scale.Dpi());
        HGDIOBJ old = SelectObject(dc, UiFont(fontTenthsOfPoint.value_or(kDialogFontTenths), dpi));
        const std::wstring wide = Utf8ToWide(text);
        RECT r{0, 0, wrapWidth ? m_scale.ToPixels(*wrapWidth) : 0, 0};
        // As a static control draws it.
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(m_window, dc);
        // A pixel to spare: the label's edges are rounded to whole pixels again where it is placed.
        return {m_scale.ToTwips(r.right - r.left + 1), m_scale.ToTwips(r.bottom - r.top + 1)};
    }

private:
    HWND m_window;
    TwipsScale m_scale;
};

}  // namespace

WinDialogWindow::WinDialogWindow(DialogForm& form, WinPictures* pictures)
    : m_form(form), m_pictures(pictures) {
    WNDCLASSEXW wc{};
    wc.cbWndExtra = DLGWINDOWEXTRA;  // IsDialogMessage keeps its state there
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    // Made where it will be seen first, then sized at the DPI of the monitor it is on.
    const int width = TwipsToPixels(form.OuterWidth());
    const int height = TwipsToPixels(form.OuterHeight());
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!Create(kExStyle, kClassName, Utf8ToWide(form.Title()).c_str(), kStyle, x, y, width, height,
                HiddenOwner()))
        return;
    m_scale = WindowScale(Hwnd());
    SetWindowPos(Hwnd(), nullptr, 0, 0, m_scale.ToPixels(form.OuterWidth()), m_scale.ToPixels(form.OuterHeight()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LoadIcons();
    SyncControls();
}

WinDialogWindow::~WinDialogWindow() {
    DestroyNow();  // takes the children and the owned tool tips with it
    if (m_icon != nullptr) DestroyIcon(m_icon);
    if (m_windowIcon != nullptr) DestroyIcon(m_windowIcon);
}

void WinDialogWindow::LoadIcons() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const UINT dpi = static_cast<UINT>(m_scale.Dpi());
    // The icon file holds each size the system asks for, so none is stretched.
    HICON titleIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON,
                                                MetricForDpi(SM_CXSMICON, dpi), MetricForDpi(SM_CYSMICON, dpi),
                                                LR_DEFAULTCOLOR));
    if (titleIcon != nullptr) {
        SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(titleIcon));
        SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(titleIcon));
        if (m_windowIcon != nullptr) DestroyIcon(m_windowIcon);
        m_windowIcon = titleIcon;
    }
    const int side = m_scale.FromDesign(32);
    HICON large = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    if (large == nullptr) return;
    for (const DialogControl& control : m_controls) {
        auto child = m_children.find(control.id);
        if (child != m_children.end() && std::holds_alternative<Control::Icon>(control.kind))
            SendMessageW(child->second, STM_SETICON, reinterpret_cast<WPARAM>(large), 0);
    }
    if (m_icon != nullptr) DestroyIcon(m_icon);
    m_icon = large;
}

HFONT WinDialogWindow::FontOf(const DialogControl& control) const {
    const auto* label = std::get_if<Control::Label>(&control.kind);
    const int tenths = label != nullptr && label->fontTenthsOfPoint ? *label->fontTenthsOfPoint : kDialogFontTenths;
    return UiFont(tenths, static_cast<UINT>(m_scale.Dpi()));
}

void WinDialogWindow::DpiChanged(UINT dpi, const RECT& suggested) {
    m_scale = TwipsScale(static_cast<int>(dpi));
    for (const DialogControl& control : m_controls) {
        auto child = m_children.find(control.id);
        if (child != m_children.end())
            SendMessageW(child->second, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
    }
    LoadIcons();
    SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SyncControls();
    InvalidateRect(Hwnd(), nullptr, TRUE);
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
        style |= (IsOneLineLabel(control.bounds) ? SS_LEFTNOWORDWRAP : SS_LEFT) | SS_NOPREFIX | SS_NOTIFY;
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
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
    if (const auto* list = std::get_if<Control::DropDown>(&kind)) {
        for (const std::string& item : list->items)
            SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
        SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(list->selected), 0);
    }
    if (std::holds_alternative<Control::Icon>(kind) && m_icon != nullptr)
        SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
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
    const PixelRect at = m_scale.ToPixels(control.bounds);
    int height = etched ? 2 : at.height;
    // A drop-down list's height is its closed box and the open list below it together.
    if (const auto* list = std::get_if<Control::DropDown>(&control.kind))
        height += static_cast<int>(list->items.size()) * m_scale.FromDesign(kListItemPixels) + 4;
    SetWindowPos(child, nullptr, at.left, at.top, at.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    // The form's layout was made for one font; its labels take the room their texts need in this one.
    const TwipsRect frame = Frame();
    std::vector<DialogControl> controls =
        FitLabels(m_form.Controls(), LabelMeasurer(Hwnd(), m_scale), m_form.OuterWidth() - frame.width,
                  m_form.OuterHeight() - frame.height);
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
    if (m_pictures != nullptr) m_pictures->Draw(picture->source, item.hDC, 0, 0, width, height, m_scale.Dpi());
    if (!picture->caption || picture->caption->text.empty()) return;
    const Control::Picture::Caption& caption = *picture->caption;
    RECT text{m_scale.ToPixels(caption.left), m_scale.ToPixels(caption.top), width, height};
    const int saved = SaveDC(item.hDC);
    SelectObject(item.hDC, UiFont(kDialogFontTenths, static_cast<UINT>(m_scale.Dpi())));
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
    return {0, 0, m_scale.ToTwips(GetSystemMetrics(SM_CXSCREEN)), m_scale.ToTwips(GetSystemMetrics(SM_CYSCREEN))};
}

TwipsRect WinDialogWindow::Frame() const {
    RECT rect{0, 0, 0, 0};
    AdjustRectForDpi(rect, kStyle, kExStyle, static_cast<UINT>(m_scale.Dpi()));
    return {0, 0, m_scale.ToTwips(rect.right - rect.left), m_scale.ToTwips(rect.bottom - rect.top)};
}

void WinDialogWindow::Place(const TwipsRect& bounds, Placing how) {
    // A window the user dragged, or the system moved to another monitor, stays where it is when the form
    // only changes its size.
    const bool samePlace = m_placed && m_placed->left == bounds.left && m_placed->top == bounds.top;
    m_placed = bounds;
    const int x = m_scale.ToPixels(bounds.left);
    const int y = m_scale.ToPixels(bounds.top);
    const int width = m_scale.ToPixels(bounds.width);
    const int height = m_scale.ToPixels(bounds.height);
    const UINT keep = samePlace ? SWP_NOMOVE : 0;
    if (how == Placing::OnTop) {
        SetWindowPos(Hwnd(), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE | keep);
    } else {
        SetWindowPos(Hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | keep);
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
        case WM_DPICHANGED:
            DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
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

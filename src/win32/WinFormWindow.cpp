#include "win32/WinFormWindow.h"

#include <windowsx.h>

#include <map>
#include <utility>

#include "forms/Twips.h"
#include "win32/WinDpi.h"

namespace quillmar::win32 {

namespace {

constexpr const wchar_t* kClassName = L"QuillmarFormWindow";
constexpr UINT kApplyBoundsMessage = WM_APP + 1;
// How long after the user's last input a buried window may still need raising (the other program
// raises its own window a little after the click).
constexpr DWORD kRestackAfterInputMs = 1500;

bool RunningUnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

}  // namespace

HFONT LabelFont(int pixelHeight, LabelWeight weight) {
    static std::map<std::pair<int, LabelWeight>, HFONT> fonts;
    HFONT& font = fonts[{pixelHeight, weight}];
    if (font == nullptr) {
        font = CreateFontW(-pixelHeight, 0, 0, 0, weight == LabelWeight::Bold ? FW_BOLD : FW_NORMAL, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    }
    return font;
}

WinFormWindow::WinFormWindow(const wchar_t* title) {
    WNDCLASSEXW wc{};
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    RegisterClassOnce(wc);
    Create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, title, WS_POPUP, 0, 0, 1, 1,
           nullptr);
    m_scale = WindowScale(Hwnd());
}

WinFormWindow::~WinFormWindow() = default;

void WinFormWindow::Place(const TwipsRect& bounds, Placing how) {
    m_twips = bounds;
    const PixelRect pixels = m_scale.ToPixels(bounds);
    m_bounds = {pixels.left, pixels.top, pixels.width, pixels.height};
    if (how == Placing::OnTop) {
        PlaceOnTop();
        return;
    }
    if (m_boundsPending || Hwnd() == nullptr) return;
    m_boundsPending = PostMessageW(Hwnd(), kApplyBoundsMessage, 0, 0) != FALSE;
    if (!m_boundsPending) ApplyBounds();
}

void WinFormWindow::PlaceOnTop() {
    RestackUnderWine();
    const HWND hwnd = Hwnd();
    const auto [x, y, width, height] = m_bounds;
    // Tracking places the toolbar ten times a second, nearly always where it already is; such a
    // placement changes nothing the user sees and only costs the window manager a round trip.
    RECT now{};
    const bool topmost = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost && IsWindowVisible(hwnd) && GetWindowRect(hwnd, &now) && now.left == x && now.top == y &&
        now.right - now.left == width && now.bottom - now.top == height)
        return;
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void WinFormWindow::RestackUnderWine() {
    // Wine keeps its own Z order right but leaves the window's X surface under a window the user clicks,
    // so the toolbar would vanish behind the chat window it sits on; leaving the topmost band for a moment
    // and coming back makes Wine restack the surface. Doing that under the pointer or while a button is
    // held loses clicks, so it waits until the pointer is elsewhere. Windows itself needs none of this.
    // Only the user's input buries the window, so while the user is idle nothing is restacked.
    if (!RunningUnderWine() || !IsWindowVisible(Hwnd())) return;
    LASTINPUTINFO input{};
    input.cbSize = sizeof(input);
    if (GetLastInputInfo(&input) && GetTickCount() - input.dwTime > kRestackAfterInputMs) return;
    if ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 || (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0) return;
    POINT pointer{};
    RECT area{};
    GetCursorPos(&pointer);
    GetWindowRect(Hwnd(), &area);
    InflateRect(&area, 2, 2);
    if (PtInRect(&area, pointer)) return;
    SetWindowPos(Hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WinFormWindow::Repaint() {
    InvalidateRect(Hwnd(), nullptr, FALSE);
}

void WinFormWindow::ApplyBounds() {
    const HWND hwnd = Hwnd();
    const bool visible = FormVisible();
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    const bool shown = IsWindowVisible(hwnd) != FALSE;
    if (visible && !shown) flags |= SWP_SHOWWINDOW;
    if (!visible && shown) flags |= SWP_HIDEWINDOW;
    SetWindowPos(hwnd, nullptr, m_bounds.x, m_bounds.y, m_bounds.width, m_bounds.height, flags);
    if (visible && shown) RestackUnderWine();
}

LRESULT WinFormWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_DPICHANGED: {
            // On another monitor: the form's place and size in twips stay, its pixels follow the new DPI
            // (the suggested rectangle is the system's stretch of the old one; the form's own is exact).
            m_scale = TwipsScale(HIWORD(wParam));
            const PixelRect pixels = m_scale.ToPixels(m_twips);
            m_bounds = {pixels.left, pixels.top, pixels.width, pixels.height};
            ApplyBounds();
            Repaint();
            return 0;
        }
        case kApplyBoundsMessage:
            m_boundsPending = false;
            ApplyBounds();
            Repaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_LBUTTONDOWN:
            m_pressed = true;
            return 0;
        case WM_LBUTTONUP:
            // A click is a press and a release on the window, as a button counts it.
            if (m_pressed) {
                m_pressed = false;
                Click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));  // may destroy this window
            }
            return 0;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

void WinFormWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Hwnd(), &ps);
    RECT client;
    GetClientRect(Hwnd(), &client);
    // Drawn off screen first, so the labels never flicker over the pictures.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    Paint(memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(Hwnd(), &ps);
}

}  // namespace quillmar::win32

#include "win32/WinDpi.h"

#include <map>
#include <tuple>

namespace quillmar::win32 {

namespace {

template <typename Function>
Function User32(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                             : nullptr;
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    return ScreenDpi();
}

int MetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) return forDpi(index, dpi);
    // The system's metrics are at its own DPI.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

void AdjustRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = User32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi != nullptr && forDpi(&rect, style, FALSE, exStyle, dpi)) return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

HFONT UiFont(int tenthsOfPoint, UINT dpi, FontWeight weight) {
    static std::map<std::tuple<int, UINT, FontWeight>, HFONT> fonts;
    HFONT& font = fonts[{tenthsOfPoint, dpi, weight}];
    if (font == nullptr) {
        font = CreateFontW(-MulDiv(tenthsOfPoint, static_cast<int>(dpi), 720), 0, 0, 0,
                           weight == FontWeight::Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                           L"Tahoma");
    }
    return font;
}

}  // namespace quillmar::win32

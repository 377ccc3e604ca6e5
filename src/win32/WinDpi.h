#pragma once

#include <windows.h>

#include "forms/Twips.h"

namespace quillmar::win32 {

// The DPI of the monitor a window is on (GetDpiForWindow where the system has it, else the screen's
// LOGPIXELSY: Wine and older systems lack the per-monitor calls, so they are looked up at run time).
UINT WindowDpi(HWND window);
inline TwipsScale WindowScale(HWND window) {
    return TwipsScale(static_cast<int>(WindowDpi(window)));
}
// A system metric (SM_CXSMICON, ...) at that DPI.
int MetricForDpi(int index, UINT dpi);
// The outer rectangle of a window of that style around `rect`, at that DPI.
void AdjustRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

enum class FontWeight { Normal, Bold };
// The program's TrueType face (Tahoma: on every Windows and in Wine, and close to the metrics the dialogs
// were laid out for) at a size in tenths of a point, at that DPI; each is made once and kept.
HFONT UiFont(int tenthsOfPoint, UINT dpi, FontWeight weight = FontWeight::Normal);
// The dialogs' own size.
inline constexpr int kDialogFontTenths = 80;

}  // namespace quillmar::win32

#include "win32/WinTrayIcons.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "win32/WinDpi.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {
namespace {

NOTIFYICONDATAW Record(const TrayIconData& data) {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = reinterpret_cast<HWND>(data.owner);
    record.uID = data.id;
    return record;
}

// The tip ends at its first null, and is cut to what the record holds.
void CopyTip(const TrayIconData& data, NOTIFYICONDATAW& record) {
    std::wstring tip = Utf8ToWide(data.tip);
    tip = tip.substr(0, std::min(tip.find(L'\0'), std::size(record.szTip) - 1));
    std::copy(tip.begin(), tip.end(), record.szTip);
}

}  // namespace

WinTrayIcons::WinTrayIcons()
    // The notification area shows small icons at the system's DPI; the icon file holds 16 to 48 pixels.
    : m_icon(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON,
                        MetricForDpi(SM_CXSMICON, WindowDpi(nullptr)), MetricForDpi(SM_CYSMICON, WindowDpi(nullptr)),
                        0)) {}

WinTrayIcons::~WinTrayIcons() {
    if (m_icon != nullptr) DestroyIcon(static_cast<HICON>(m_icon));
}

bool WinTrayIcons::AddIcon(const TrayIconData& data) {
    NOTIFYICONDATAW record = Record(data);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = data.callbackMessage;
    record.hIcon = static_cast<HICON>(m_icon);
    CopyTip(data, record);
    if (Shell_NotifyIconW(NIM_ADD, &record)) return true;
    // A busy Explorer can time out an add it still carries out; an icon that takes a change is there.
    record.uFlags = NIF_TIP;
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool WinTrayIcons::ShowBalloon(const TrayIconData& data, const std::string& title, const std::string& text) {
    NOTIFYICONDATAW record = Record(data);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = NIIF_WARNING;
    const std::wstring wideTitle = Utf8ToWide(title).substr(0, std::size(record.szInfoTitle) - 1);
    const std::wstring wideText = Utf8ToWide(text).substr(0, std::size(record.szInfo) - 1);
    std::copy(wideTitle.begin(), wideTitle.end(), record.szInfoTitle);
    std::copy(wideText.begin(), wideText.end(), record.szInfo);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool WinTrayIcons::ModifyTip(const TrayIconData& data) {
    NOTIFYICONDATAW record = Record(data);
    record.uFlags = NIF_TIP;
    CopyTip(data, record);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

bool WinTrayIcons::DeleteIcon(const TrayIconData& data) {
    NOTIFYICONDATAW record = Record(data);
    return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

}  // namespace quillmar::win32

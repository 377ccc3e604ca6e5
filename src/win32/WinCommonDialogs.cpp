#include "win32/WinCommonDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

// "Description|patterns|" becomes the null-separated, double-null-ended list the dialogs take.
std::wstring FilterList(const std::string& filter) {
    std::wstring list = Utf8ToWide(filter);
    for (wchar_t& c : list) {
        if (c == L'|') c = L'\0';
    }
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

DialogOutcome ShowFileDialog(CommonDialogState& state, WindowHandle owner, bool save) {
    const std::wstring filter = FilterList(state.Filter);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring start = Utf8ToWide(state.FileName);
    if (start.size() < name.size()) std::copy(start.begin(), start.end(), name.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(owner);
    ofn.lpstrFilter = state.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = state.Flags | OFN_EXPLORER;
    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return CommDlgExtendedError() == 0 ? DialogOutcome::Cancelled : DialogOutcome::Failed;
    state.FileName = WideToUtf8(name.data());
    return DialogOutcome::Chosen;
}

}  // namespace

DialogOutcome WinCommonDialogs::ShowOpen(CommonDialogState& state, WindowHandle owner) {
    return ShowFileDialog(state, owner, false);
}

DialogOutcome WinCommonDialogs::ShowSave(CommonDialogState& state, WindowHandle owner) {
    return ShowFileDialog(state, owner, true);
}

DialogOutcome WinCommonDialogs::ShowColor(CommonDialogState& state, WindowHandle owner) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = reinterpret_cast<HWND>(owner);
    cc.rgbResult = state.Color;
    cc.lpCustColors = reinterpret_cast<COLORREF*>(m_customColours);
    cc.Flags = CC_RGBINIT;  // start from the label's colour
    if (!ChooseColorW(&cc)) return CommDlgExtendedError() == 0 ? DialogOutcome::Cancelled : DialogOutcome::Failed;
    state.Color = cc.rgbResult;
    return DialogOutcome::Chosen;
}

void WinMousePointer::SetPointer(WindowHandle window, PointerShape shape) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    const HCURSOR cursor = LoadCursorW(nullptr, shape == PointerShape::Hourglass ? IDC_WAIT : IDC_ARROW);
    // The window answers WM_SETCURSOR from this mark, so the next mouse move does not bring the arrow
    // back while the save runs.
    if (hwnd) {
        if (shape == PointerShape::Hourglass) SetPropW(hwnd, kBusyPointerProperty, cursor);
        else RemovePropW(hwnd, kBusyPointerProperty);
    }
    SetCursor(cursor);
}

void WinWindowStacking::SetStacking(WindowHandle window, Stacking stacking) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect)) return;
    SetWindowPos(hwnd, stacking == Stacking::Topmost ? HWND_TOPMOST : HWND_NOTOPMOST, rect.left, rect.top,
                 rect.right - rect.left, rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace quillmar::win32

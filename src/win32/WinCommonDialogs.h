#pragma once

#include <cstdint>

#include "platform/Dialogs.h"

namespace quillmar::win32 {

// The open, save and colour dialogs of comdlg32 on the shared dialog state.
class WinCommonDialogs : public CommonDialogs {
public:
    DialogOutcome ShowOpen(CommonDialogState& state, WindowHandle owner) override;
    DialogOutcome ShowSave(CommonDialogState& state, WindowHandle owner) override;
    DialogOutcome ShowColor(CommonDialogState& state, WindowHandle owner) override;

private:
    std::uint32_t m_customColours[16] = {};  // kept between colour dialogs, as the dialog expects
};

// The window property that holds the busy cursor while it is set; the window's WM_SETCURSOR shows it.
inline constexpr const wchar_t* kBusyPointerProperty = L"QuillmarBusyPointer";

// Hourglass and arrow over one window.
class WinMousePointer : public MousePointer {
public:
    void SetPointer(WindowHandle window, PointerShape shape) override;
};

// SetWindowPos with HWND_TOPMOST or HWND_NOTOPMOST, keeping the window's place and size, showing it
// without activation.
class WinWindowStacking : public WindowStacking {
public:
    void SetStacking(WindowHandle window, Stacking stacking) override;
};

}  // namespace quillmar::win32

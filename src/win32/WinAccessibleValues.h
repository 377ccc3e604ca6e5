#pragma once

#include "platform/AccessibleValues.h"

struct IUnknown;

namespace quillmar::win32 {

// The focused element through MSAA: the client object of the control's window (AccessibleObjectFromWindow
// with OBJID_CLIENT), followed down by get_accFocus; its role, state and value. COM is started on the
// calling thread for as long as this object lives.
class WinMsaaValues final : public AccessibleValues {
public:
    WinMsaaValues();
    ~WinMsaaValues() override;
    WinMsaaValues(const WinMsaaValues&) = delete;
    WinMsaaValues& operator=(const WinMsaaValues&) = delete;

    std::optional<AccessibleElement> FocusedElement(WindowHandle window) override;
    bool SetFocusedValue(WindowHandle window, const std::string& text) override;

private:
    bool m_comStarted = false;
};

// The focused element through UI Automation, where the system has a client (Windows; not Wine 8): its
// control type, its value pattern, else the text pattern rich editors serve.
class WinUiAutomationValues final : public AccessibleValues {
public:
    WinUiAutomationValues();
    ~WinUiAutomationValues() override;
    WinUiAutomationValues(const WinUiAutomationValues&) = delete;
    WinUiAutomationValues& operator=(const WinUiAutomationValues&) = delete;

    std::optional<AccessibleElement> FocusedElement(WindowHandle window) override;
    bool SetFocusedValue(WindowHandle window, const std::string& text) override;

private:
    bool m_comStarted = false;
    IUnknown* m_automation = nullptr;  // an IUIAutomation
};

}  // namespace quillmar::win32

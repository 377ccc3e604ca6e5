#pragma once

#include "platform/AccessibleValues.h"

namespace quillmar::win32 {

// A control's value through MSAA: the client object of its window (AccessibleObjectFromWindow with
// OBJID_CLIENT), get_accValue and put_accValue on the object itself. COM is started on the calling
// thread for as long as this object lives.
class WinMsaaValues final : public AccessibleValues {
public:
    WinMsaaValues();
    ~WinMsaaValues() override;
    WinMsaaValues(const WinMsaaValues&) = delete;
    WinMsaaValues& operator=(const WinMsaaValues&) = delete;

    std::optional<std::string> GetValue(WindowHandle control) override;
    bool SetValue(WindowHandle control, const std::string& text) override;

private:
    bool m_comStarted = false;
};

}  // namespace quillmar::win32

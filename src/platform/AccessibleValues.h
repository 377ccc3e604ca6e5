#pragma once

#include <optional>
#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// A control's value as an accessibility interface offers it (MSAA, UI Automation): the way to text fields
// that have no edit class.
class AccessibleValues {
public:
    virtual ~AccessibleValues() = default;
    // None: the control serves no value this way.
    virtual std::optional<std::string> GetValue(WindowHandle control) = 0;
    virtual bool SetValue(WindowHandle control, const std::string& text) = 0;
};

// For systems without the interface (UI Automation under Wine): never a value.
class NoAccessibleValues final : public AccessibleValues {
public:
    std::optional<std::string> GetValue(WindowHandle /*control*/) override { return std::nullopt; }
    bool SetValue(WindowHandle /*control*/, const std::string& /*text*/) override { return false; }
};

}  // namespace quillmar

#pragma once

#include <optional>
#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

enum class AccessibleRole { Text, Other };

// What an accessibility interface says of the element with the keyboard focus: enough to tell an
// editable text field from a page, a label or a read-only view, which serve values too.
struct AccessibleElement {
    AccessibleRole role = AccessibleRole::Other;
    bool readOnly = false;
    bool document = false;
    std::string value;
};

// The focused element of a window as an accessibility interface offers it (UI Automation, MSAA): the way
// to text fields that have no edit class.
class AccessibleValues {
public:
    virtual ~AccessibleValues() = default;
    // The element with the keyboard focus inside `window` (the window's own object when the focus is on
    // nothing below it); none when the interface cannot reach it.
    virtual std::optional<AccessibleElement> FocusedElement(WindowHandle window) = 0;
    // Writes the value of that element; false when it takes no value this way.
    virtual bool SetFocusedValue(WindowHandle window, const std::string& text) = 0;
};

// For systems without the interface: never an element.
class NoAccessibleValues final : public AccessibleValues {
public:
    std::optional<AccessibleElement> FocusedElement(WindowHandle /*window*/) override { return std::nullopt; }
    bool SetFocusedValue(WindowHandle /*window*/, const std::string& /*text*/) override { return false; }
};

}  // namespace quillmar

#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

class frmStatus;
class OptionsMenu;

// What the follow forms reach of the rest of the program; the application object provides it.
class FollowForms {
public:
    virtual ~FollowForms() = default;
    // frmStatus, created (hidden, Form_Load run) if it does not exist.
    virtual frmStatus& StatusForm() = 0;
    virtual bool IsStatusLoaded() const = 0;
    // Destroys frmStatus; the next StatusForm() creates a new one.
    virtual void UnloadStatusForm() = 0;
    // frmSocket's options menu, creating frmSocket first.
    virtual OptionsMenu& OptionsMenuOfSocket() = 0;
    // text: the captured text; target: the control it was captured from, where the answer goes.
    virtual void RequestTranslation(const std::string& queryText, const std::string& code,
                                    WindowHandle target) = 0;
    virtual void ApplySkin(const std::string& skinName) = 0;
};

}  // namespace quillmar

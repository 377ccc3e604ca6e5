#pragma once

#include <string>

#include "follow/TranslateAction.h"
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
    // queryText: prepared from captured.text; the answer goes to captured.control.
    virtual void RequestTranslation(const std::string& queryText, const std::string& code,
                                    const CapturedText& captured) = 0;
    virtual void ApplySkin(const std::string& skinName) = 0;
    // True when a follow rule of the user's takes this window, which is no chat message window.
    virtual bool FollowsByRule(WindowHandle /*window*/, const std::string& /*title*/) { return false; }
    // A window with this title has just become the followed target.
    virtual void TargetCameToFront(const std::string& /*title*/) {}
};

}  // namespace quillmar

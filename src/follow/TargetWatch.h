#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// What the toolbar asks and tells about the window in front.
class TargetWatch {
public:
    virtual ~TargetWatch() = default;
    // True when a follow rule of the user's takes this window, which is no chat message window.
    virtual bool FollowsByRule(WindowHandle window, const std::string& title) = 0;
    // A window with this title has just become the followed target.
    virtual void TargetCameToFront(const std::string& title) = 0;
};

}  // namespace quillmar

#pragma once

#include <string>

#include "platform/WindowHandle.h"

namespace quillmar {

// The notification-area icon record: the window its notifications go to, the message they arrive as,
// the tip.
struct TrayIconData {
    WindowHandle owner = 0;
    unsigned id = 0;
    unsigned callbackMessage = 0;
    std::string tip;
};

class TrayIcons {
public:
    virtual ~TrayIcons() = default;
    virtual bool AddIcon(const TrayIconData& data) = 0;
    virtual bool DeleteIcon(const TrayIconData& data) = 0;
    virtual bool ModifyTip(const TrayIconData& data) = 0;  // the icon stays, its tip becomes data.tip
    // A notification balloon over the icon, with a warning sign.
    virtual bool ShowBalloon(const TrayIconData& data, const std::string& title, const std::string& text) = 0;
};

}  // namespace quillmar

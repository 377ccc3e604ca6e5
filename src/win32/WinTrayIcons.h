#pragma once

#include "platform/TrayIcon.h"

namespace quillmar::win32 {

// Shell_NotifyIconW with the program icon from the resources, at the size the notification area uses.
class WinTrayIcons final : public TrayIcons {
public:
    WinTrayIcons();
    ~WinTrayIcons() override;
    WinTrayIcons(const WinTrayIcons&) = delete;
    WinTrayIcons& operator=(const WinTrayIcons&) = delete;

    bool AddIcon(const TrayIconData& data) override;
    bool DeleteIcon(const TrayIconData& data) override;
    bool ModifyTip(const TrayIconData& data) override;
    bool ShowBalloon(const TrayIconData& data, const std::string& title, const std::string& text) override;

private:
    void* m_icon;  // HICON, loaded once and kept while an icon may show it
};

}  // namespace quillmar::win32

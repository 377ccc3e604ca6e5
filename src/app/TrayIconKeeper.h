#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/Timers.h"
#include "platform/TrayIcon.h"

namespace quillmar {

// The tray icon kept on screen. At logon the program may start before Explorer takes icons, and an icon
// refused then would never appear: a refused add is tried again every few seconds until Explorer takes
// it. A balloon asked for while there is no icon is shown once the icon is there. Everything else goes
// straight through.
class TrayIconKeeper final : public TrayIcons {
public:
    static constexpr std::chrono::milliseconds kRetryInterval{2000};

    TrayIconKeeper(TrayIcons& tray, TimerFactory& timers) : m_tray(tray), m_timers(timers) {}

    // True when the icon was added now; false when it is refused and will be tried again.
    bool AddIcon(const TrayIconData& data) override;
    bool DeleteIcon(const TrayIconData& data) override;
    bool ModifyTip(const TrayIconData& data) override;
    bool ShowBalloon(const TrayIconData& data, const std::string& title, const std::string& text) override;

    bool IconShown() const { return m_shown; }
    bool Retrying() const { return m_retry && m_retry->Enabled(); }

private:
    struct Balloon {
        std::string title;
        std::string text;
    };
    void TryAdd();

    TrayIcons& m_tray;
    TimerFactory& m_timers;
    std::unique_ptr<Timer> m_retry;
    std::optional<TrayIconData> m_data;  // the icon wanted, with its latest tip
    std::optional<Balloon> m_pendingBalloon;
    bool m_shown = false;
};

}  // namespace quillmar

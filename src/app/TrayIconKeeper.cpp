#include "app/TrayIconKeeper.h"

namespace quillmar {

bool TrayIconKeeper::AddIcon(const TrayIconData& data) {
    // Also how Explorer's restart puts the icon back: the old one is gone with the old Explorer.
    m_data = data;
    m_shown = false;
    TryAdd();
    return m_shown;
}

void TrayIconKeeper::TryAdd() {
    if (!m_data) return;
    m_shown = m_tray.AddIcon(*m_data);
    if (!m_shown) {
        if (!m_retry) m_retry = m_timers.CreateTimer(kRetryInterval, false, [this] { TryAdd(); });
        m_retry->SetEnabled(true);
        return;
    }
    if (m_retry) m_retry->SetEnabled(false);
    if (m_pendingBalloon) {
        const Balloon balloon = std::move(*m_pendingBalloon);
        m_pendingBalloon.reset();
        m_tray.ShowBalloon(*m_data, balloon.title, balloon.text);
    }
}

bool TrayIconKeeper::DeleteIcon(const TrayIconData& data) {
    m_data.reset();
    m_pendingBalloon.reset();
    if (m_retry) m_retry->SetEnabled(false);
    const bool wasShown = m_shown;
    m_shown = false;
    return wasShown ? m_tray.DeleteIcon(data) : true;
}

bool TrayIconKeeper::ModifyTip(const TrayIconData& data) {
    if (m_data) m_data->tip = data.tip;  // an icon added later shows it
    return m_shown ? m_tray.ModifyTip(data) : false;
}

bool TrayIconKeeper::ShowBalloon(const TrayIconData& data, const std::string& title,
                                 const std::string& text) {
    if (m_shown && m_tray.ShowBalloon(data, title, text)) return true;
    m_pendingBalloon = Balloon{title, text};
    return false;
}

}  // namespace quillmar

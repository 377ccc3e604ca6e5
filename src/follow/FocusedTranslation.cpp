#include "follow/FocusedTranslation.h"

#include "follow/StatusWindowSlot.h"
#include "forms/Twips.h"
#include "translate/StatusSink.h"

namespace quillmar {

void FocusedTranslation::TranslateFocused() {
    if (m_focusedText == nullptr) return;
    const WindowHandle front = m_windows.ForegroundWindow();
    if (m_windows.RunsAboveUs(front)) {
        // Under the window itself: no control of it is asked for anything.
        const Rect rect = m_windows.WindowRect(front).value_or(Rect{});
        const TwipsScale scale = m_status.Window().Scale();
        StatusWindowAt(m_status, scale.ToTwips(rect.left), scale.ToTwips(rect.top)).ShowRunsAsAdministrator();
        return;
    }
    CapturedText captured = m_focusedText->Capture();
    if (const ClipboardProblem problem = m_focusedText->Problem(); problem != ClipboardProblem::None) {
        const Rect rect = m_windows.WindowRect(captured.control != 0 ? captured.control : front).value_or(Rect{});
        StatusWindowAt(m_status, PixelsToTwips(rect.left), PixelsToTwips(rect.bottom))
            .ShowNotRead(problem == ClipboardProblem::KeysHeld ? status::kKeysStillHeld
                                                               : status::kClipboardLeftAlone);
        return;
    }
    // The status window under the control the text came from (or the foreground window).
    const WindowHandle anchor = captured.control != 0 ? captured.control : m_windows.ForegroundWindow();
    const Rect rect = m_windows.WindowRect(anchor).value_or(Rect{});
    // Screen pixels, at the status window's DPI.
    const TwipsScale scale = m_status.Window().Scale();
    StatusWindowAt status(m_status, scale.ToTwips(rect.left), scale.ToTwips(rect.bottom));
    m_translator.Translate(std::move(captured), status, m_toolbar().Pair());
}

}  // namespace quillmar

#include "follow/FocusedTranslation.h"

#include "follow/StatusWindowSlot.h"
#include "forms/Twips.h"

namespace quillmar {

namespace {

// The focused control's capture, remembering where it was so the status window can show beside it.
class RememberedCapture final : public TextCapture {
public:
    explicit RememberedCapture(TextCapture& capture) : m_capture(capture) {}
    CapturedText Capture() override {
        CapturedText captured = m_capture.Capture();
        control = captured.control;
        return captured;
    }
    WindowHandle control = 0;

private:
    TextCapture& m_capture;
};

// The status window under the control the text came from (or the foreground window).
class StatusUnderControl final : public TranslateStatus {
public:
    StatusUnderControl(StatusWindowSlot& status, ForeignWindows& windows, const RememberedCapture& capture)
        : m_status(status), m_windows(windows), m_capture(capture) {}
    void ShowNothingToTranslate() override { Place().ShowNothingToTranslate(); }
    void ShowRequestStarting() override { Place().ShowRequestStarting(); }

private:
    StatusWindowAt Place() {
        WindowHandle near = m_capture.control != 0 ? m_capture.control : m_windows.ForegroundWindow();
        const Rect rect = m_windows.WindowRect(near).value_or(Rect{});
        return StatusWindowAt(m_status, PixelsToTwips(rect.left), PixelsToTwips(rect.bottom));
    }
    StatusWindowSlot& m_status;
    ForeignWindows& m_windows;
    const RememberedCapture& m_capture;
};

}  // namespace

void FocusedTranslation::TranslateFocused() {
    if (m_focusedText == nullptr) return;
    RememberedCapture capture(*m_focusedText);
    StatusUnderControl status(m_status, m_windows, capture);
    m_translator.Translate(capture, status, m_toolbar().Pair());
}

}  // namespace quillmar

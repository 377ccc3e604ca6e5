#include "follow/TranslationWriter.h"

#include "follow/StatusWindowSlot.h"

namespace quillmar {

namespace {
constexpr const char* kNothingToRestore = "Nothing to restore";
constexpr const char* kTextHasChanged = "Text has changed !";
constexpr const char* kTypedTextRestored = "Typed text restored";
}  // namespace

bool TranslationWriter::WriteTranslation(const CapturedText& captured, const std::string& translation) {
    const bool byEditMessages = captured.route == TextRoute::EditControl;
    bool written = false;
    if (byEditMessages) {
        written = m_module.ReplaceTypedText(captured.control, translation, captured.text);
    } else if (m_focusedText != nullptr) {
        written = m_focusedText->Write(captured, translation);
    }
    if (!written) return false;
    // Restoring reads and writes by the edit messages; a control reached another way is not restored.
    if (!captured.text.empty() && byEditMessages) {
        m_state.EditHwnd = captured.control;
        m_lastReplacement = Replacement{captured.text, translation};
    } else {
        m_lastReplacement.reset();
    }
    return true;
}

void TranslationWriter::RestoreTypedText() {
    frmStatus& status = m_status.Window();
    status.SetVisible(true);
    if (!m_lastReplacement) {
        status.SetOutcome(RequestOutcome::Rejected, kNothingToRestore);
        return;
    }
    // Anything the user wrote since would be lost.
    if (!m_module.HoldsText(m_state.EditHwnd, m_lastReplacement->translation)) {
        status.SetOutcome(RequestOutcome::Rejected, kTextHasChanged);
        return;
    }
    if (!m_module.WriteWindowText(m_state.EditHwnd, m_lastReplacement->typed)) {
        status.SetOutcome(RequestOutcome::Error, status::kErrorsOccurred);
        return;
    }
    m_lastReplacement.reset();
    status.SetOutcome(RequestOutcome::Success, kTypedTextRestored);
}

}  // namespace quillmar

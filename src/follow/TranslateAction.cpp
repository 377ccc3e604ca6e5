#include "follow/TranslateAction.h"

#include <optional>

#include "follow/FollowForms.h"
#include "follow/frmStatus.h"
#include "forms/Twips.h"
#include "translate/LanguagePairs.h"
#include "translate/QueryText.h"

namespace quillmar {

void StatusWindowAt::ShowNothingToTranslate() {
    frmStatus& status = m_forms.StatusForm();
    if (status.Left() != m_left) status.SetLeft(m_left);
    if (status.Top() != m_top) status.SetTop(m_top);
    status.SetVisible(true);
    status.SetOutcome(RequestOutcome::NoMessage, status::kNoMessage);
}

void StatusWindowAt::ShowRequestStarting() {
    frmStatus& status = m_forms.StatusForm();
    // Shown topmost at its final place at once, so a new window never flashes up at the screen's corner.
    status.PlaceOnTop(m_left, m_top);
    status.SetLeft(m_left);
    status.SetTop(m_top);
    status.SetVisible(true);
}

void PairRequest::Send(const std::string& queryText, const CapturedText& captured) {
    m_forms.RequestTranslation(queryText, m_code, captured);
}

bool RunTranslateAction(TextCapture& capture, TranslateStatus& status, TranslateRequest& request) {
    const CapturedText captured = capture.Capture();
    const std::optional<std::string> query = PrepareQueryText(captured.text);
    if (!query) {
        status.ShowNothingToTranslate();
        return false;
    }
    status.ShowRequestStarting();
    request.Send(*query, captured);
    return true;
}

}  // namespace quillmar

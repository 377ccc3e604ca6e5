#include "follow/TranslateAction.h"

#include <memory>
#include <optional>

#include "follow/StatusWindowSlot.h"
#include "follow/frmStatus.h"
#include "forms/Twips.h"
#include "translate/QueryText.h"

namespace quillmar {

void StatusWindowAt::ShowOutcome(RequestOutcome outcome, const char* text) {
    frmStatus& status = m_status.Window();
    if (status.Left() != m_left) status.SetLeft(m_left);
    if (status.Top() != m_top) status.SetTop(m_top);
    status.SetVisible(true);
    status.SetOutcome(outcome, text);
}

void StatusWindowAt::ShowNothingToTranslate() {
    ShowOutcome(RequestOutcome::NoMessage, status::kNoMessage);
}

void StatusWindowAt::ShowRunsAsAdministrator() {
    // An error, so it stays until read (a click or ten seconds), not the 700 ms of "No message !".
    ShowOutcome(RequestOutcome::Error, status::kRunsAsAdministrator);
}

void StatusWindowAt::ShowNotRead(const char* reason) {
    ShowOutcome(RequestOutcome::Error, reason);
}

void StatusWindowAt::ShowRequestStarting() {
    frmStatus& status = m_status.Window();
    // Shown topmost at its final place at once, so a new window never flashes up at the screen's corner.
    status.PlaceOnTop(m_left, m_top);
    status.SetLeft(m_left);
    status.SetTop(m_top);
    status.SetVisible(true);
}

bool TranslateAction::Translate(CapturedText captured, TranslateStatus& status, std::size_t pairRow) {
    std::optional<std::string> query = PrepareQueryText(captured.text);
    if (!query) {
        status.ShowNothingToTranslate();
        return false;
    }
    status.ShowRequestStarting();
    // The answer may come later (the companion is being started); the request is made only then.
    m_services.FindService([this, captured = std::move(captured), query = std::move(*query), pairRow](
                               std::optional<ServiceAddress> address, const std::string& whyNot) {
        auto request = std::make_unique<TranslationRequest>(captured, query, pairRow,
                                                            address.value_or(ServiceAddress{}), m_reports);
        if (address) {
            m_sender.Send(std::move(request));
        } else {
            m_sender.Refuse(std::move(request), whyNot);
        }
    });
    return true;
}

}  // namespace quillmar

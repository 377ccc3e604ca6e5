#pragma once

#include <cstddef>

#include "translate/CapturedText.h"
#include "translate/ServiceSettings.h"
#include "translate/TranslationRequest.h"

namespace quillmar {

class StatusWindowSlot;

// How a trigger shows the action's progress before the request reports.
class TranslateStatus {
public:
    virtual ~TranslateStatus() = default;
    virtual void ShowNothingToTranslate() = 0;  // "No message !"; nothing is sent
    virtual void ShowRequestStarting() = 0;     // just before the request goes out
    // The window runs above this program, which cannot write into it; nothing is read or sent.
    virtual void ShowRunsAsAdministrator() = 0;
};

// What a trigger calls once it has captured its text (the toolbar from the chat window's edit control,
// the command line from its argument or standard input, the hotkey from the focused control): translate
// it with the pair at `pairRow` of kLanguagePairs.
class Translator {
public:
    virtual ~Translator() = default;
    // False when there was nothing to translate.
    virtual bool Translate(CapturedText captured, TranslateStatus& status, std::size_t pairRow) = 0;
};

// The one translate action every trigger runs: prepare, show the status, ask where the service is, then
// one request made of what was captured, the pair row and that address goes to the sender.
class TranslateAction final : public Translator {
public:
    TranslateAction(ServiceLocator& services, RequestReports reports, RequestSender& sender)
        : m_services(services), m_reports(reports), m_sender(sender) {}
    bool Translate(CapturedText captured, TranslateStatus& status, std::size_t pairRow) override;

private:
    ServiceLocator& m_services;
    RequestReports m_reports;
    RequestSender& m_sender;
};

// The status window at a given place (twips, its top-left corner), as the toolbar and the hotkey show it.
class StatusWindowAt final : public TranslateStatus {
public:
    StatusWindowAt(StatusWindowSlot& status, int left, int top)
        : m_status(status), m_left(left), m_top(top) {}
    void ShowNothingToTranslate() override;
    void ShowRequestStarting() override;
    void ShowRunsAsAdministrator() override;
    // Why nothing was read, when the reason is not an empty control; stays until read, as errors do.
    void ShowNotRead(const char* reason);

private:
    void ShowOutcome(RequestOutcome outcome, const char* text);

    StatusWindowSlot& m_status;
    int m_left;
    int m_top;
};

}  // namespace quillmar

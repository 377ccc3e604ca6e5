#pragma once

#include <memory>
#include <string>
#include <vector>

#include "translate/LanguagePairs.h"
#include "translate/ServiceAddress.h"
#include "translate/StatusSink.h"
#include "translate/TranslationRequest.h"

namespace quillmar::fakes {

// Records every status text in order, and the outcomes reported with the final ones.
class FakeStatusSink final : public StatusSink {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetOutcome(RequestOutcome outcome, const std::string& text) override {
        statuses.push_back(text);
        outcomes.push_back(outcome);
    }
    std::string Last() const { return statuses.empty() ? std::string() : statuses.back(); }
    std::vector<std::string> statuses;
    std::vector<RequestOutcome> outcomes;
};

// Records every write-back; `accept` false plays a hung target window.
class FakeTranslationOutput final : public TranslationOutput {
public:
    struct Write {
        WindowHandle target;
        std::string text;
    };
    bool WriteTranslation(const CapturedText& captured, const std::string& translation) override {
        writes.push_back({captured.control, translation});
        return accept;
    }
    std::vector<Write> writes;
    bool accept = true;
};

// Keeps every request handed to it, unsent.
class FakeRequestSender final : public RequestSender {
public:
    void Send(std::unique_ptr<TranslationRequest> request) override { sent.push_back(std::move(request)); }
    std::vector<std::unique_ptr<TranslationRequest>> sent;
};

// A request for the prepared `query` (captured as it is) to `service`, its answer going to `target`.
inline std::unique_ptr<TranslationRequest> RequestFor(const std::string& query, WindowHandle target,
                                                      const std::string& service, RequestReports reports,
                                                      std::size_t pairRow = kDefaultPairRow) {
    return std::make_unique<TranslationRequest>(CapturedText{query, target}, query, pairRow,
                                                ParseServiceAddress(service), reports);
}

}  // namespace quillmar::fakes

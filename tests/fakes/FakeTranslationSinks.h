#pragma once

#include <string>
#include <vector>

#include "translate/StatusSink.h"

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
    bool WriteTranslation(WindowHandle target, const std::string& text) override {
        writes.push_back({target, text});
        return accept;
    }
    std::vector<Write> writes;
    bool accept = true;
};

}  // namespace quillmar::fakes

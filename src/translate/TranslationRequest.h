#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "translate/CapturedText.h"
#include "translate/LanguagePairs.h"
#include "translate/ServiceAddress.h"
#include "translate/StatusSink.h"

namespace quillmar {

// Where a finished translation goes: back the way its text came in the program, standard output in the
// command-line client. Returns false when the text could not be delivered (a hung target window).
class TranslationOutput {
public:
    virtual ~TranslationOutput() = default;
    virtual bool WriteTranslation(const CapturedText& captured, const std::string& translation) = 0;
};

// Where a request reports its steps and delivers its translation.
struct RequestReports {
    StatusSink& status;
    TranslationOutput& output;
};

// One translation, from the captured text to the written-back answer. It holds what was captured (the
// typed text to restore with it), the pair row and the service it goes to; it reports each step, writes
// the translation back and ends with an outcome.
class TranslationRequest {
public:
    // query: captured.text prepared for the query string; pairRow: a row of kLanguagePairs.
    TranslationRequest(CapturedText captured, std::string query, std::size_t pairRow, ServiceAddress service,
                       RequestReports reports);
    TranslationRequest(const TranslationRequest&) = delete;
    TranslationRequest& operator=(const TranslationRequest&) = delete;

    const CapturedText& Captured() const { return m_captured; }
    const std::string& Query() const { return m_query; }
    const LanguagePair& Pair() const { return kLanguagePairs[m_pairRow]; }
    const ServiceAddress& Service() const { return m_service; }
    // The service's host[:port], its page for this translation and that page's path with the query: built
    // from the service's host, port and path and the pair's code, once.
    const std::string& Authority() const { return m_authority; }
    const std::string& Url() const { return m_url; }
    const std::string& PathAndQuery() const { return m_pathAndQuery; }

    // A step on the way.
    void Report(const std::string& progress);
    // Writes the translation back; a success when the target took it, else an error.
    void WriteBack(const std::string& translation);
    // Ends the request: its outcome, as a value, with the text that shows it.
    void End(RequestOutcome outcome, const std::string& text);

private:
    CapturedText m_captured;
    std::string m_query;
    std::size_t m_pairRow;
    ServiceAddress m_service;
    RequestReports m_reports;
    std::string m_authority;
    std::string m_pathAndQuery;
    std::string m_url;
};

// Where the translate action hands a request to be sent: the translation client.
class RequestSender {
public:
    virtual ~RequestSender() = default;
    virtual void Send(std::unique_ptr<TranslationRequest> request) = 0;
    // A request that has no service to go to ends as an error; the typed text stays. A sender with a way
    // to tell the user also says why.
    virtual void Refuse(std::unique_ptr<TranslationRequest> request, const std::string& why) {
        (void)why;
        request->End(RequestOutcome::Error, status::kErrorsOccurred);
    }
};

}  // namespace quillmar

#include "translate/TranslationRequest.h"

#include <utility>

namespace quillmar {

TranslationRequest::TranslationRequest(CapturedText captured, std::string query, std::size_t pairRow,
                                       ServiceAddress service, RequestReports reports)
    : m_captured(std::move(captured)),
      m_query(std::move(query)),
      m_pairRow(pairRow < kLanguagePairs.size() ? pairRow : kDefaultPairRow),
      m_service(std::move(service)),
      m_reports(reports),
      m_authority(m_service.Authority()),
      m_pathAndQuery(m_service.basePath + "/raging/translate.dyn?lp=" + Pair().code + "&urltext=" + m_query),
      m_url("http://" + m_authority + m_pathAndQuery) {}

void TranslationRequest::Report(const std::string& progress) {
    m_reports.status.SetStatus(progress);
}

void TranslationRequest::WriteBack(const std::string& translation) {
    if (m_reports.output.WriteTranslation(m_captured, translation)) {
        End(RequestOutcome::Success, status::kSuccess);
    } else {
        End(RequestOutcome::Error, status::kErrorsOccurred);
    }
}

void TranslationRequest::End(RequestOutcome outcome, const std::string& text) {
    m_reports.status.SetOutcome(outcome, text);
}

}  // namespace quillmar

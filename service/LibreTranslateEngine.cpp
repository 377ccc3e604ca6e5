#include "service/LibreTranslateEngine.h"

#include <nlohmann/json.hpp>

#include "service/EngineAnswers.h"
#include "service/HttpUrl.h"

namespace quillmar::service {

LibreTranslateEngine::LibreTranslateEngine(LibreTranslateSettings settings,
                                           std::shared_ptr<HttpTransport> transport)
    : HttpEngine("libretranslate", std::move(transport), settings.timeout), m_settings(std::move(settings)) {}

HttpEngine::CallOrReason LibreTranslateEngine::BuildCall(PairLanguages languages, std::string_view text) {
    nlohmann::json request{
        {"q", std::string(text)},
        {"source", std::string(languages.source)},
        {"target", std::string(languages.target)},
        {"format", "text"},
    };
    if (!m_settings.key.empty()) request["api_key"] = m_settings.key;
    HttpCall call;
    call.url = WithoutTrailingSlash(m_settings.url) + "/translate";
    call.body = request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return {std::move(call), {}};
}

EngineResult LibreTranslateEngine::ReadAnswer(int status, std::string_view body) {
    return ReadLibreTranslateAnswer(status, body);
}

}  // namespace quillmar::service

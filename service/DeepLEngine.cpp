#include "service/DeepLEngine.h"

#include <nlohmann/json.hpp>

#include "service/EngineAnswers.h"
#include "service/HttpUrl.h"

namespace quillmar::service {

namespace {

std::string Upper(std::string_view code) {
    std::string upper(code);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return upper;
}

}  // namespace

std::string DefaultDeepLUrl(std::string_view key) {
    constexpr std::string_view kFree = ":fx";
    bool free = key.size() >= kFree.size() && key.substr(key.size() - kFree.size()) == kFree;
    return free ? "https://api-free.deepl.com" : "https://api.deepl.com";
}

DeepLEngine::DeepLEngine(DeepLSettings settings, std::shared_ptr<HttpTransport> transport)
    : HttpEngine("deepl", std::move(transport), settings.timeout), m_settings(std::move(settings)) {
    if (m_settings.url.empty()) m_settings.url = DefaultDeepLUrl(m_settings.key);
}

HttpEngine::CallOrReason DeepLEngine::BuildCall(PairLanguages languages, std::string_view text) {
    // A source is named without its variant; a target of English or Portuguese with it (the bare codes
    // are kept only for old clients).
    std::string target = Upper(languages.target);
    if (target == "EN") target = m_settings.englishTarget;
    if (target == "PT") target = m_settings.portugueseTarget;
    nlohmann::json request{
        {"text", nlohmann::json::array({std::string(text)})},
        {"source_lang", Upper(languages.source)},
        {"target_lang", target},
    };
    HttpCall call;
    call.url = WithoutTrailingSlash(m_settings.url) + "/v2/translate";
    call.headers.emplace_back("Authorization", "DeepL-Auth-Key " + m_settings.key);
    call.body = request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return {std::move(call), {}};
}

EngineResult DeepLEngine::ReadAnswer(int status, std::string_view body) {
    return ReadDeepLAnswer(status, body);
}

}  // namespace quillmar::service

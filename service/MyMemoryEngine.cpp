#include "service/MyMemoryEngine.h"

#include "service/EngineAnswers.h"
#include "service/HttpUrl.h"

namespace quillmar::service {

MyMemoryEngine::MyMemoryEngine(MyMemorySettings settings, std::shared_ptr<HttpTransport> transport)
    : HttpEngine("mymemory", std::move(transport), settings.timeout), m_settings(std::move(settings)) {}

HttpEngine::CallOrReason MyMemoryEngine::BuildCall(PairLanguages languages, std::string_view text) {
    if (text.size() > kMyMemoryMaxBytes) return {std::nullopt, "text over 500 bytes"};
    HttpCall call;
    call.method = "GET";
    call.url = WithoutTrailingSlash(m_settings.url) + "/get?q=" + PercentEncode(text) + "&langpair=" +
               std::string(languages.source) + "%7C" + std::string(languages.target);
    if (!m_settings.email.empty()) call.url += "&de=" + PercentEncode(m_settings.email);
    return {std::move(call), {}};
}

EngineResult MyMemoryEngine::ReadAnswer(int status, std::string_view body) {
    return ReadMyMemoryAnswer(status, body);
}

}  // namespace quillmar::service

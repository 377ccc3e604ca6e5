#include "service/OpenAIEngine.h"

#include <nlohmann/json.hpp>

#include "service/EngineAnswers.h"
#include "service/HttpUrl.h"

namespace quillmar::service {

OpenAIEngine::OpenAIEngine(OpenAISettings settings, std::shared_ptr<HttpTransport> transport)
    : HttpEngine("openai", std::move(transport), settings.timeout), m_settings(std::move(settings)) {}

HttpCall OpenAIEngine::Call(PairLanguages languages, std::string_view text, bool sayThinkOff) const {
    const std::string instruction =
        "You are a translator. Translate the user's message from " + std::string(LanguageName(languages.source)) +
        " to " + std::string(LanguageName(languages.target)) +
        ". Reply with the translation alone: no explanation, no notes, no quotation marks around it. Keep "
        "the tone of a chat message.";
    nlohmann::json request{
        {"model", m_settings.model},
        {"messages", nlohmann::json::array({{{"role", "system"}, {"content", instruction}},
                                            {{"role", "user"}, {"content", std::string(text)}}})},
        {"temperature", 0},
        {"stream", false},
    };
    if (sayThinkOff) request["think"] = false;
    HttpCall call;
    call.url = WithoutTrailingSlash(m_settings.url) + "/chat/completions";
    if (!m_settings.key.empty()) call.headers.emplace_back("Authorization", "Bearer " + m_settings.key);
    call.body = request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return call;
}

HttpEngine::CallOrReason OpenAIEngine::BuildCall(PairLanguages languages, std::string_view text) {
    return {Call(languages, text, m_sayThinkOff.load()), {}};
}

std::optional<HttpCall> OpenAIEngine::Retry(const HttpReply& reply, PairLanguages languages,
                                            std::string_view text) {
    // A hosted endpoint refuses the unknown field ("Unrecognized request argument supplied: think").
    if (reply.status != 400 || !m_sayThinkOff.load() || reply.body.find("think") == std::string::npos)
        return std::nullopt;
    m_sayThinkOff = false;
    return Call(languages, text, false);
}

EngineResult OpenAIEngine::ReadAnswer(int status, std::string_view body) {
    return ReadOpenAIAnswer(status, body);
}

}  // namespace quillmar::service

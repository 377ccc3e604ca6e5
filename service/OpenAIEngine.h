#pragma once

#include <atomic>

#include "service/HttpEngine.h"

namespace quillmar::service {

struct OpenAISettings {
    std::string url;    // the base address, ending in /v1 ("http://127.0.0.1:11434/v1")
    std::string model;  // required
    std::string key;    // sent as a bearer token when not empty
    std::chrono::milliseconds timeout{60000};  // a local model may first have to be loaded
};

// Any OpenAI-compatible chat endpoint (a hosted one, or Ollama, llama.cpp's server, LM Studio, vLLM):
// POST {url}/chat/completions with the model, a system message that asks for the translation alone, the
// text as the user's message, temperature 0, and "think": false for reasoning models.
class OpenAIEngine : public HttpEngine {
public:
    OpenAIEngine(OpenAISettings settings, std::shared_ptr<HttpTransport> transport);

protected:
    CallOrReason BuildCall(PairLanguages languages, std::string_view text) override;
    EngineResult ReadAnswer(int status, std::string_view body) override;
    std::optional<HttpCall> Retry(const HttpReply& reply, PairLanguages languages, std::string_view text) override;

private:
    HttpCall Call(PairLanguages languages, std::string_view text, bool sayThinkOff) const;

    OpenAISettings m_settings;
    // Cleared once the endpoint has refused the field: strict servers answer 400 to names they do not know.
    std::atomic<bool> m_sayThinkOff{true};
};

}  // namespace quillmar::service

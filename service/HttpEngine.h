#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "service/HttpTransport.h"
#include "service/TranslationEngine.h"

namespace quillmar::service {

// The two languages of a pair code ("en_fr" -> "en", "fr"), for the 13 pairs the program sends.
struct PairLanguages {
    std::string_view source;
    std::string_view target;
};
std::optional<PairLanguages> LanguagesOf(std::string_view pairCode);

// The language's English name ("fr" -> "French"), empty for an unknown code.
std::string_view LanguageName(std::string_view code);

// The words for a call that got no answer: "certificate not trusted", "no answer within 10 s".
std::string TransportFailureReason(const TransportFailure& failure, std::chrono::milliseconds timeout);

// An engine reached over HTTP(S): it builds one call per translation, sends it through the transport and
// reads the answer. Remembers whether its last request succeeded, for the health page.
class HttpEngine : public TranslationEngine {
public:
    HttpEngine(std::string name, std::shared_ptr<HttpTransport> transport, std::chrono::milliseconds timeout);

    std::string_view Name() const override { return m_name; }
    bool Covers(std::string_view pairCode) const override { return LanguagesOf(pairCode).has_value(); }
    EngineResult Translate(std::string_view pairCode, std::string_view text) override;
    // Not probed (a probe would cost a translation): the outcome of the last request.
    EngineHealth Health() override;

protected:
    // The call for one translation, or the reason there is none (the text is too long for the engine).
    struct CallOrReason {
        std::optional<HttpCall> call;
        std::string reason;
    };
    virtual CallOrReason BuildCall(PairLanguages languages, std::string_view text) = 0;
    virtual EngineResult ReadAnswer(int status, std::string_view body) = 0;
    // A second call when the first answer asks for one (a server that refuses a field); none by default.
    virtual std::optional<HttpCall> Retry(const HttpReply& /*reply*/, PairLanguages /*languages*/,
                                          std::string_view /*text*/) {
        return std::nullopt;
    }
    std::chrono::milliseconds Timeout() const { return m_timeout; }

private:
    EngineResult Record(EngineResult result);

    std::string m_name;
    std::shared_ptr<HttpTransport> m_transport;
    std::chrono::milliseconds m_timeout;
    std::mutex m_mutex;
    enum class Last { None, Succeeded, Failed } m_last = Last::None;
    std::string m_lastReason;
};

// "%XX" for every byte but letters, digits and "-._~".
std::string PercentEncode(std::string_view text);

}  // namespace quillmar::service

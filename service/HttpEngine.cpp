#include "service/HttpEngine.h"

#include <array>
#include <cstdio>

namespace quillmar::service {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kLanguageNames{{
    {"en", "English"},
    {"fr", "French"},
    {"de", "German"},
    {"it", "Italian"},
    {"pt", "Portuguese"},
    {"es", "Spanish"},
    {"ru", "Russian"},
}};

constexpr std::array<std::string_view, 13> kPairCodes{"en_fr", "en_de", "en_it", "en_pt", "en_es",
                                                      "fr_en", "de_en", "it_en", "pt_en", "ru_en",
                                                      "es_en", "fr_de", "de_fr"};

std::string Seconds(std::chrono::milliseconds timeout) {
    char text[32];
    if (timeout.count() % 1000 == 0)
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(timeout.count() / 1000));
    else
        std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(timeout.count()) / 1000.0);
    return text;
}

}  // namespace

std::optional<PairLanguages> LanguagesOf(std::string_view pairCode) {
    for (std::string_view code : kPairCodes) {
        if (code == pairCode) return PairLanguages{code.substr(0, 2), code.substr(3, 2)};
    }
    return std::nullopt;
}

std::string_view LanguageName(std::string_view code) {
    for (const auto& [language, name] : kLanguageNames) {
        if (language == code) return name;
    }
    return {};
}

std::string TransportFailureReason(const TransportFailure& failure, std::chrono::milliseconds timeout) {
    switch (failure.kind) {
        case TransportFailureKind::NoConnection:
            return "no connection";
        case TransportFailureKind::CertificateNotTrusted:
            return "certificate not trusted";
        case TransportFailureKind::TimedOut:
            return "no answer within " + Seconds(timeout);
        case TransportFailureKind::BadAddress:
            return "unusable address";
        case TransportFailureKind::Tls:
            return "TLS failure" + (failure.detail.empty() ? std::string() : " (" + failure.detail + ")");
        case TransportFailureKind::Other:
            break;
    }
    return "request failed" + (failure.detail.empty() ? std::string() : " (" + failure.detail + ")");
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

HttpEngine::HttpEngine(std::string name, std::shared_ptr<HttpTransport> transport,
                       std::chrono::milliseconds timeout)
    : m_name(std::move(name)), m_transport(std::move(transport)), m_timeout(timeout) {}

EngineResult HttpEngine::Translate(std::string_view pairCode, std::string_view text) {
    std::optional<PairLanguages> languages = LanguagesOf(pairCode);
    if (!languages) return EngineFailed("pair not covered");
    CallOrReason built = BuildCall(*languages, text);
    // A text this engine cannot take says nothing about whether the engine works.
    if (!built.call) return EngineFailed(built.reason);
    built.call->timeout = m_timeout;
    HttpOutcome outcome = m_transport->Send(*built.call);
    if (auto* reply = std::get_if<HttpReply>(&outcome)) {
        if (std::optional<HttpCall> again = Retry(*reply, *languages, text)) {
            again->timeout = m_timeout;
            outcome = m_transport->Send(*again);
        }
    }
    if (auto* failure = std::get_if<TransportFailure>(&outcome))
        return Record(EngineFailed(TransportFailureReason(*failure, m_timeout)));
    const HttpReply& reply = std::get<HttpReply>(outcome);
    return Record(ReadAnswer(reply.status, reply.body));
}

EngineResult HttpEngine::Record(EngineResult result) {
    std::lock_guard lock(m_mutex);
    m_last = result.ok ? Last::Succeeded : Last::Failed;
    m_lastReason = result.ok ? std::string() : result.text;
    return result;
}

EngineHealth HttpEngine::Health() {
    std::lock_guard lock(m_mutex);
    switch (m_last) {
        case Last::None:
            return {true, m_name + ": no request yet\n"};
        case Last::Succeeded:
            return {true, m_name + ": last request succeeded\n"};
        case Last::Failed:
            break;
    }
    return {true, m_name + ": last request failed: " + m_lastReason + "\n"};
}

}  // namespace quillmar::service

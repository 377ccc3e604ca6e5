#include "service/UpstreamEngine.h"

#ifndef _WIN32
#include <httplib.h>
#endif

#include <nlohmann/json.hpp>

#include "translate/LanguagePairs.h"

namespace quillmar::service {

std::optional<UpstreamAddress> ParseUpstreamUrl(std::string_view url) {
    std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return std::nullopt;
    std::string_view name = url.substr(0, scheme);
    if (name != "http" && name != "https") return std::nullopt;
    std::size_t slash = url.find('/', scheme + 3);
    std::string_view authority =
        url.substr(scheme + 3, slash == std::string_view::npos ? std::string_view::npos : slash - scheme - 3);
    if (authority.empty() || authority.front() == ':') return std::nullopt;
    UpstreamAddress address;
    address.schemeHostPort = std::string(url.substr(0, scheme + 3)) + std::string(authority);
    if (slash != std::string_view::npos) {
        std::string_view path = url.substr(slash);
        while (!path.empty() && path.back() == '/') path.remove_suffix(1);
        address.basePath = std::string(path);
    }
    return address;
}

#ifndef _WIN32
std::optional<UpstreamReply> PostWithHttplib(const UpstreamAddress& address, const std::string& target,
                                             const std::string& body, const UpstreamOptions& options,
                                             std::string& error) {
    // A client per request: httplib's client is not meant to be shared between threads.
    httplib::Client client(address.schemeHostPort);
    client.set_connection_timeout(options.connectTimeout);
    client.set_read_timeout(options.readTimeout);
    client.set_write_timeout(options.readTimeout);
    httplib::Result result = client.Post(target, body, "application/json");
    if (!result) {
        error = httplib::to_string(result.error());
        return std::nullopt;
    }
    return UpstreamReply{result->status, result->body};
}
#endif

std::optional<UpstreamReply> PostToUpstream(const UpstreamAddress& address, const std::string& target,
                                            const std::string& body, const UpstreamOptions& options,
                                            std::string& error) {
#ifdef _WIN32
    return PostWithAsio(address, target, body, options, error);
#else
    return PostWithHttplib(address, target, body, options, error);
#endif
}

UpstreamEngine::UpstreamEngine(UpstreamOptions options, UpstreamPost post)
    : m_options(std::move(options)), m_address(ParseUpstreamUrl(m_options.url)), m_post(std::move(post)) {}

bool UpstreamEngine::Covers(std::string_view pairCode) const {
    if (!m_address) return false;
    for (const LanguagePair& pair : kLanguagePairs) {
        if (pairCode == pair.code) return true;
    }
    return false;
}

EngineResult UpstreamEngine::Translate(std::string_view pairCode, std::string_view text) {
    if (!m_address) return EngineFailed("no usable upstream address");
    std::size_t underscore = pairCode.find('_');
    if (underscore == std::string_view::npos) return EngineFailed("bad pair code");

    nlohmann::json request{
        {"q", std::string(text)},
        {"source", std::string(pairCode.substr(0, underscore))},
        {"target", std::string(pairCode.substr(underscore + 1))},
        {"format", "text"},
    };
    if (!m_options.apiKey.empty()) request["api_key"] = m_options.apiKey;
    std::string body = request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);

    std::string error;
    const std::optional<UpstreamReply> result =
        m_post(*m_address, m_address->basePath + "/translate", body, m_options, error);
    if (!result) return EngineFailed("upstream unreachable: " + error);
    if (result->status != 200) return EngineFailed("upstream answered " + std::to_string(result->status));

    nlohmann::json answer = nlohmann::json::parse(result->body, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) return EngineFailed("upstream answer is not JSON");
    auto translated = answer.find("translatedText");
    if (translated == answer.end() || !translated->is_string())
        return EngineFailed("upstream answer lacks translatedText");
    return Translated(translated->get<std::string>());
}

}  // namespace quillmar::service

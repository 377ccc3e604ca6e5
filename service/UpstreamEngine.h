#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "service/TranslationEngine.h"

namespace quillmar::service {

struct UpstreamOptions {
    std::string url;  // "http://host[:port][/base]" or "https://..."; "/translate" is appended
    std::string apiKey;
    std::chrono::seconds connectTimeout{5};
    std::chrono::seconds readTimeout{20};
};

// The parts of an upstream address: "http://host:port" and the base path ("" or "/base").
struct UpstreamAddress {
    std::string schemeHostPort;
    std::string basePath;
};

// None unless the address is http:// or https:// with a host.
std::optional<UpstreamAddress> ParseUpstreamUrl(std::string_view url);

// The upstream's answer to one POST: its status and body.
struct UpstreamReply {
    int status = 0;
    std::string body;
};

// Sends one POST of a JSON body to the address's host (target: the path) and returns the answer, or
// nothing with the reason in error when none came.
using UpstreamPost = std::function<std::optional<UpstreamReply>(
    const UpstreamAddress& address, const std::string& target, const std::string& body,
    const UpstreamOptions& options, std::string& error)>;

// Through cpp-httplib: http:// and https://. Not on Windows, where there is no build of the library.
std::optional<UpstreamReply> PostWithHttplib(const UpstreamAddress& address, const std::string& target,
                                             const std::string& body, const UpstreamOptions& options,
                                             std::string& error);
// Through Asio: http:// only, one HTTP/1.0 request per connection.
std::optional<UpstreamReply> PostWithAsio(const UpstreamAddress& address, const std::string& target,
                                          const std::string& body, const UpstreamOptions& options,
                                          std::string& error);
// The build's default: cpp-httplib where it is there, else Asio.
std::optional<UpstreamReply> PostToUpstream(const UpstreamAddress& address, const std::string& target,
                                            const std::string& body, const UpstreamOptions& options,
                                            std::string& error);

// Forwards to a LibreTranslate-compatible server: POST /translate with q, source, target, format and
// api_key as JSON; the answer's "translatedText" is the translation. Covers every pair.
class UpstreamEngine : public TranslationEngine {
public:
    explicit UpstreamEngine(UpstreamOptions options, UpstreamPost post = &PostToUpstream);

    std::string_view Name() const override { return "upstream"; }
    bool Covers(std::string_view pairCode) const override;
    EngineResult Translate(std::string_view pairCode, std::string_view text) override;
    // Not probed: a health check must not cost the upstream a translation.
    EngineHealth Health() override {
        return {m_address.has_value(),
                m_address ? "upstream: configured, not probed\n" : "upstream: no usable address\n"};
    }

private:
    UpstreamOptions m_options;
    std::optional<UpstreamAddress> m_address;
    UpstreamPost m_post;
};

}  // namespace quillmar::service

#pragma once

#include <chrono>
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

// Forwards to a LibreTranslate-compatible server: POST /translate with q, source, target, format and
// api_key as JSON; the answer's "translatedText" is the translation. Covers every pair.
class UpstreamEngine : public TranslationEngine {
public:
    explicit UpstreamEngine(UpstreamOptions options);

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
};

}  // namespace quillmar::service

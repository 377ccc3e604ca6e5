#pragma once

#include "service/HttpEngine.h"

namespace quillmar::service {

struct LibreTranslateSettings {
    std::string url;  // the server's base address; "/translate" is appended
    std::string key;  // sent as api_key when not empty
    std::chrono::milliseconds timeout{10000};
};

// A LibreTranslate server: POST {url}/translate with q, source, target, format and api_key as JSON.
class LibreTranslateEngine : public HttpEngine {
public:
    LibreTranslateEngine(LibreTranslateSettings settings, std::shared_ptr<HttpTransport> transport);

protected:
    CallOrReason BuildCall(PairLanguages languages, std::string_view text) override;
    EngineResult ReadAnswer(int status, std::string_view body) override;

private:
    LibreTranslateSettings m_settings;
};

}  // namespace quillmar::service

#pragma once

#include "service/HttpEngine.h"

namespace quillmar::service {

struct DeepLSettings {
    std::string key;  // required
    std::string url;  // empty: the free API for a key ending in ":fx", else the paid one
    std::string englishTarget = "EN-US";     // or EN-GB: DeepL wants the variant of an English target
    std::string portugueseTarget = "PT-BR";  // or PT-PT
    std::chrono::milliseconds timeout{10000};
};

// The address DeepL serves a key at.
std::string DefaultDeepLUrl(std::string_view key);

// DeepL: POST {url}/v2/translate with "Authorization: DeepL-Auth-Key KEY" and text, source_lang and
// target_lang (upper case) as JSON.
class DeepLEngine : public HttpEngine {
public:
    DeepLEngine(DeepLSettings settings, std::shared_ptr<HttpTransport> transport);

protected:
    CallOrReason BuildCall(PairLanguages languages, std::string_view text) override;
    EngineResult ReadAnswer(int status, std::string_view body) override;

private:
    DeepLSettings m_settings;
};

}  // namespace quillmar::service

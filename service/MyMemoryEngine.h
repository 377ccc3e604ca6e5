#pragma once

#include "service/HttpEngine.h"

namespace quillmar::service {

inline constexpr std::string_view kDefaultMyMemoryUrl = "https://api.mymemory.translated.net";
// MyMemory takes no longer text.
inline constexpr std::size_t kMyMemoryMaxBytes = 500;

struct MyMemorySettings {
    std::string url{kDefaultMyMemoryUrl};
    std::string email;  // sent as de=, for the larger daily allowance
    std::chrono::milliseconds timeout{10000};
};

// MyMemory: GET {url}/get?q=TEXT&langpair=SRC|DST[&de=EMAIL].
class MyMemoryEngine : public HttpEngine {
public:
    MyMemoryEngine(MyMemorySettings settings, std::shared_ptr<HttpTransport> transport);

protected:
    CallOrReason BuildCall(PairLanguages languages, std::string_view text) override;
    EngineResult ReadAnswer(int status, std::string_view body) override;

private:
    MyMemorySettings m_settings;
};

}  // namespace quillmar::service

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "service/AnswerCache.h"
#include "service/TranslationEngine.h"

namespace quillmar::service {

// What the chain made of one request.
struct ChainAnswer {
    bool ok = false;
    std::string translation;            // when ok
    std::string answeredBy;             // the engine's name, when ok
    bool cached = false;                // the answer came from the cache
    std::vector<std::string> failures;  // "deepl: quota used up (456)", one per engine that failed, in order
};

// The engines in the order they are tried for each request: one that fails or does not cover the pair
// hands the request to the next; the request fails only when all have failed. A pair none of them
// covers goes to the fallback (the phrase book). Recent answers are kept in a cache of cacheEntries (0:
// none).
class EngineChain {
public:
    EngineChain(std::vector<std::unique_ptr<TranslationEngine>> engines, std::unique_ptr<TranslationEngine> fallback,
                std::size_t cacheEntries = 0);
    // A chain of one engine (none when engine is null).
    EngineChain(std::unique_ptr<TranslationEngine> engine, std::unique_ptr<TranslationEngine> fallback,
                std::size_t cacheEntries = 0);

    ChainAnswer Translate(std::string_view pairCode, std::string_view text);
    // Whether an engine that would be asked for the pair may wait.
    bool Waits(std::string_view pairCode) const;
    // Up when every engine's parts are up; a line for each engine, the fallback last.
    EngineHealth Health();
    // Warms every engine; a failure names each that did not warm.
    Status Warm();
    // "deepl,mymemory" (the fallback not included).
    std::string Names() const;

private:
    std::vector<std::unique_ptr<TranslationEngine>> m_engines;
    std::unique_ptr<TranslationEngine> m_fallback;
    AnswerCache m_cache;
};

// The failures in one line for the log, the error page and its header: "deepl: key refused (403); ...".
std::string JoinFailures(const std::vector<std::string>& failures);

}  // namespace quillmar::service

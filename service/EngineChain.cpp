#include "service/EngineChain.h"

namespace quillmar::service {

EngineChain::EngineChain(std::vector<std::unique_ptr<TranslationEngine>> engines,
                         std::unique_ptr<TranslationEngine> fallback, std::size_t cacheEntries)
    : m_engines(std::move(engines)), m_fallback(std::move(fallback)), m_cache(cacheEntries) {}

namespace {

std::vector<std::unique_ptr<TranslationEngine>> ChainOf(std::unique_ptr<TranslationEngine> engine) {
    std::vector<std::unique_ptr<TranslationEngine>> engines;
    if (engine) engines.push_back(std::move(engine));
    return engines;
}

}  // namespace

EngineChain::EngineChain(std::unique_ptr<TranslationEngine> engine, std::unique_ptr<TranslationEngine> fallback,
                         std::size_t cacheEntries)
    : EngineChain(ChainOf(std::move(engine)), std::move(fallback), cacheEntries) {}

ChainAnswer EngineChain::Translate(std::string_view pairCode, std::string_view text) {
    ChainAnswer answer;
    if (std::optional<std::string> cached = m_cache.Find(pairCode, text)) {
        answer.ok = true;
        answer.cached = true;
        answer.translation = std::move(*cached);
        answer.answeredBy = "cache";
        return answer;
    }
    bool covered = false;
    auto ask = [&](TranslationEngine& engine) {
        EngineResult result = engine.Translate(pairCode, text);
        if (result.ok) {
            answer.ok = true;
            answer.translation = std::move(result.text);
            answer.answeredBy = std::string(engine.Name());
        } else {
            answer.failures.push_back(std::string(engine.Name()) + ": " + result.text);
        }
        return answer.ok;
    };
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines) {
        if (!engine->Covers(pairCode)) continue;
        covered = true;
        if (ask(*engine)) break;
    }
    if (!covered) {
        if (m_fallback && m_fallback->Covers(pairCode))
            ask(*m_fallback);
        else
            answer.failures.push_back("no engine covers " + std::string(pairCode));
    }
    if (answer.ok) m_cache.Store(pairCode, text, answer.translation);
    return answer;
}

bool EngineChain::Waits(std::string_view pairCode) const {
    bool covered = false;
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines) {
        if (!engine->Covers(pairCode)) continue;
        covered = true;
        if (engine->Waits()) return true;
    }
    return !covered && m_fallback && m_fallback->Waits();
}

EngineHealth EngineChain::Health() {
    EngineHealth health;
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines) {
        EngineHealth part = engine->Health();
        health.up = health.up && part.up;
        health.detail += part.detail;
    }
    // The fallback is listed once, also when the chain names it.
    bool listed = false;
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines)
        listed = listed || (m_fallback && engine->Name() == m_fallback->Name());
    if (m_fallback && !listed) {
        EngineHealth part = m_fallback->Health();
        health.up = health.up && part.up;
        health.detail += part.detail;
    }
    return health;
}

Status EngineChain::Warm() {
    std::vector<std::string> failures;
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines) {
        if (Status warm = engine->Warm(); !warm) failures.push_back(warm.Reason());
    }
    if (m_fallback) {
        if (Status warm = m_fallback->Warm(); !warm) failures.push_back(warm.Reason());
    }
    if (failures.empty()) return {};
    return Failure{JoinFailures(failures)};
}

std::string EngineChain::Names() const {
    std::string names;
    for (const std::unique_ptr<TranslationEngine>& engine : m_engines) {
        if (!names.empty()) names += ',';
        names += engine->Name();
    }
    return names;
}

std::string JoinFailures(const std::vector<std::string>& failures) {
    std::string line;
    for (const std::string& failure : failures) {
        if (!line.empty()) line += "; ";
        line += failure;
    }
    return line;
}

}  // namespace quillmar::service

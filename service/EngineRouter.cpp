#include "service/EngineRouter.h"

namespace quillmar::service {

EngineRouter::EngineRouter(std::unique_ptr<TranslationEngine> chosen,
                           std::unique_ptr<TranslationEngine> fallback)
    : m_chosen(std::move(chosen)), m_fallback(std::move(fallback)) {}

TranslationEngine& EngineRouter::EngineFor(std::string_view pairCode) {
    if (m_chosen && m_chosen->Covers(pairCode)) return *m_chosen;
    return *m_fallback;
}

EngineHealth EngineRouter::Health() {
    EngineHealth health = m_fallback->Health();
    if (m_chosen) {
        EngineHealth chosen = m_chosen->Health();
        health.up = health.up && chosen.up;
        health.detail = chosen.detail + health.detail;
    }
    return health;
}

Status EngineRouter::Warm() {
    Status chosen = m_chosen ? m_chosen->Warm() : Status();
    Status fallback = m_fallback->Warm();
    if (chosen && fallback) return {};
    if (!chosen && !fallback) return Failure{chosen.Reason() + "; " + fallback.Reason()};
    return chosen ? fallback : chosen;
}

}  // namespace quillmar::service

#include "service/EngineRouter.h"

namespace quillmar::service {

EngineRouter::EngineRouter(std::unique_ptr<TranslationEngine> chosen,
                           std::unique_ptr<TranslationEngine> fallback)
    : m_chosen(std::move(chosen)), m_fallback(std::move(fallback)) {}

TranslationEngine& EngineRouter::EngineFor(std::string_view pairCode) {
    if (m_chosen && m_chosen->Covers(pairCode)) return *m_chosen;
    return *m_fallback;
}

}  // namespace quillmar::service

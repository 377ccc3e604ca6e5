#pragma once

#include <memory>
#include <string_view>

#include "service/TranslationEngine.h"

namespace quillmar::service {

// Sends each pair to the chosen engine when it covers the pair, else to the fallback.
class EngineRouter {
public:
    EngineRouter(std::unique_ptr<TranslationEngine> chosen, std::unique_ptr<TranslationEngine> fallback);

    TranslationEngine& EngineFor(std::string_view pairCode);
    // Both engines must be up.
    EngineHealth Health();
    // Warms both; a failure names what did not warm.
    Status Warm();

private:
    std::unique_ptr<TranslationEngine> m_chosen;
    std::unique_ptr<TranslationEngine> m_fallback;
};

}  // namespace quillmar::service

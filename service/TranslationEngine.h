#pragma once

#include <string>
#include <string_view>

namespace quillmar::service {

// What an engine gives back: the translation, or why there is none.
struct EngineResult {
    bool ok = false;
    std::string text;  // the translation when ok, else a short reason for the log
};

inline EngineResult Translated(std::string text) {
    return {true, std::move(text)};
}
inline EngineResult EngineFailed(std::string reason) {
    return {false, std::move(reason)};
}

// A translation engine. Translate may be called from several threads at once.
class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;
    virtual std::string_view Name() const = 0;
    // Whether the engine can translate the pair code ("en_fr").
    virtual bool Covers(std::string_view pairCode) const = 0;
    // text is UTF-8, never empty.
    virtual EngineResult Translate(std::string_view pairCode, std::string_view text) = 0;
};

}  // namespace quillmar::service

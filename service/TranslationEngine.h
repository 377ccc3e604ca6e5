#pragma once

#include <string>
#include <string_view>

#include "service/Result.h"

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

// Whether an engine can answer now, and a line per part of it for the health page.
struct EngineHealth {
    bool up = true;
    std::string detail;
};

// A translation engine. Translate may be called from several threads at once.
class TranslationEngine {
public:
    virtual ~TranslationEngine() = default;
    virtual std::string_view Name() const = 0;
    // Whether the engine can translate the pair code ("en_fr").
    virtual bool Covers(std::string_view pairCode) const = 0;
    // text is UTF-8, never empty.
    virtual EngineResult Translate(std::string_view pairCode, std::string_view text) = 0;
    // Whether a translation may wait (on a process, on the network). Such engines run on the worker pool;
    // the others cost less than handing the request over and run where it was read.
    virtual bool Waits() const { return true; }
    // Readies what the first requests would otherwise wait for.
    virtual Status Warm() { return {}; }
    // Engines with parts that can fail check them here (and may bring them back).
    virtual EngineHealth Health() { return {true, std::string(Name()) + ": up\n"}; }
};

}  // namespace quillmar::service

#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "service/ApertiumPipeline.h"
#include "service/TranslationEngine.h"

namespace quillmar::service {

struct ApertiumOptions {
    std::string modesDir = "/usr/share/apertium/modes";
    std::chrono::milliseconds deadline{10000};  // per pipeline stage and request
};

// Rule-based translation with Debian's Apertium: one persistent null-flush pipeline per mode, unknown words
// left as they are. en_es and es_en go directly; en_fr, en_it, en_pt and fr_en, it_en, pt_en go through
// Spanish. Pairs without installed modes are not covered.
class ApertiumEngine : public TranslationEngine {
public:
    explicit ApertiumEngine(ApertiumOptions options = {});
    ~ApertiumEngine() override;

    std::string_view Name() const override { return "apertium"; }
    bool Covers(std::string_view pairCode) const override;
    EngineResult Translate(std::string_view pairCode, std::string_view text) override;

    // Whether any pair is covered (Apertium and at least one language pair are installed).
    bool Installed() const;
    // The modes a pair goes through, in order; empty when it is not covered.
    std::vector<std::string> ModesFor(std::string_view pairCode) const;
    // The pipeline of a mode, or null before its first use (for tests and the benchmark).
    ApertiumPipeline* PipelineOf(const std::string& mode);

private:
    ApertiumPipeline* Pipeline(const std::string& mode, std::string* reason);

    ApertiumOptions m_options;
    std::map<std::string, std::vector<std::string>, std::less<>> m_routes;  // covered pairs only
    std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<ApertiumPipeline>> m_pipelines;
};

// Every pair the engine could serve and the modes it needs.
const std::map<std::string, std::vector<std::string>, std::less<>>& ApertiumRoutes();

}  // namespace quillmar::service

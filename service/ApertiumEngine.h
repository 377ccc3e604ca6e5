#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/ApertiumPipeline.h"
#include "service/ApertiumPipelinePool.h"
#include "service/TranslationEngine.h"

namespace quillmar::service {

struct ApertiumOptions {
    std::string modesDir = "/usr/share/apertium/modes";
    std::chrono::milliseconds deadline{10000};            // per pipeline stage and request
    int maxPipelines = 0;                                 // per mode; 0: one per core
    std::optional<std::vector<std::string>> warmPairs{};  // pairs Warm() readies; none: every covered pair
};

// Rule-based translation with Debian's Apertium: persistent null-flush pipelines per mode (more of them
// while requests queue, up to a bound), unknown words left as they are. en_es and es_en go directly; en_fr,
// en_it, en_pt and fr_en, it_en, pt_en go through Spanish. Pairs without installed modes are not covered.
class ApertiumEngine : public TranslationEngine {
public:
    explicit ApertiumEngine(ApertiumOptions options = {});
    ~ApertiumEngine() override;

    std::string_view Name() const override { return "apertium"; }
    bool Covers(std::string_view pairCode) const override;
    EngineResult Translate(std::string_view pairCode, std::string_view text) override;
    // Starts and warms a pipeline of every mode of the pairs to warm, several modes at once.
    Status Warm() override;
    // Up when every mode started so far has a pipeline that answers; dead idle ones are started again.
    EngineHealth Health() override;

    // Whether any pair is covered (Apertium and at least one language pair are installed).
    bool Installed() const;
    // The modes a pair goes through, in order; empty when it is not covered.
    std::vector<std::string> ModesFor(std::string_view pairCode) const;
    // The first pipeline of a mode, or null before its first use (for tests and the benchmark).
    ApertiumPipeline* PipelineOf(const std::string& mode);
    // The pipelines of a mode, or null before its first use.
    ApertiumPipelinePool* PoolOf(const std::string& mode);
    int MaxPipelines() const { return m_maxPipelines; }

private:
    Result<ApertiumPipelinePool*> Pool(const std::string& mode);

    ApertiumOptions m_options;
    std::map<std::string, std::vector<std::string>, std::less<>> m_routes;  // covered pairs only
    std::mutex m_mutex;
    int m_maxPipelines = 1;
    std::map<std::string, std::unique_ptr<ApertiumPipelinePool>> m_pools;
};

// Every pair the engine could serve and the modes it needs.
const std::map<std::string, std::vector<std::string>, std::less<>>& ApertiumRoutes();

}  // namespace quillmar::service

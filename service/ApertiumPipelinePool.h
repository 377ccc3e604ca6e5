#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/ApertiumPipeline.h"

namespace quillmar::service {

// Up to a bounded number of pipelines of one mode. A request takes an idle pipeline; when none is idle and
// the bound allows, another is started and warmed in the background while the request waits for whichever
// frees first, so a queue never waits on a cold start. A pipeline whose request failed (and was killed) is
// started and warmed again in the background.
class ApertiumPipelinePool {
public:
    using Factory = std::function<std::unique_ptr<ApertiumPipeline>()>;

    // warmInput is sent to each new pipeline before it takes requests; wait bounds how long a request waits
    // for a free pipeline.
    ApertiumPipelinePool(Factory factory, int maxPipelines, std::string warmInput,
                         std::chrono::milliseconds wait);
    ~ApertiumPipelinePool();
    ApertiumPipelinePool(const ApertiumPipelinePool&) = delete;
    ApertiumPipelinePool& operator=(const ApertiumPipelinePool&) = delete;

    Result<std::string> Process(std::string_view input);

    // Makes sure one pipeline is started and has answered; a failure when none can be.
    Status Warm();

    struct Health {
        int up = 0;    // started and answering (an idle one that had died is started again first)
        int size = 0;  // pipelines, starting ones included
    };
    Health Check();

    int Size() const;
    int MaxPipelines() const { return m_max; }
    // The pipeline in slot i, or null (for tests and the benchmark).
    ApertiumPipeline* At(std::size_t i) const;

private:
    struct Slot {
        std::unique_ptr<ApertiumPipeline> pipeline;
        bool busy = false;
        bool ready = false;
    };
    // Warms slot on a thread of its own; removes it again when it cannot start.
    void WarmInBackgroundLocked(Slot* slot);
    void ReapHelpersLocked();

    Factory m_factory;
    int m_max;
    std::string m_warmInput;
    std::chrono::milliseconds m_wait;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<Slot>> m_slots;
    int m_warming = 0;
    std::string m_lastFailure;
    struct Helper {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Helper> m_helpers;
};

}  // namespace quillmar::service

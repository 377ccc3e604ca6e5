#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/Result.h"

namespace quillmar::service {

// One long-running null-flush pipeline: each request is written followed by a NUL, and the answer is
// everything read up to the next NUL. The process starts on first use and again on the first use after it
// died; a request that fails (the process ends, or no answer within the deadline) gets no answer and the
// process is killed, so that the next request starts from a clean one. Requests are served one at a time.
class ApertiumPipeline {
public:
    // argv[0] is looked up in PATH; the process gets its own process group, killed as a whole.
    ApertiumPipeline(std::vector<std::string> argv, std::chrono::milliseconds deadline);
    ~ApertiumPipeline();
    ApertiumPipeline(const ApertiumPipeline&) = delete;
    ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;

    // input must not hold a NUL.
    Result<std::string> Process(std::string_view input);

    // Whether the process is running; one that ended is reaped (the next request starts it again).
    bool Alive();

    // The running process, or -1 (for tests and the benchmark).
    pid_t Pid() const;
    // How many times the process was started.
    int Starts() const;

private:
    Status StartLocked();
    void StopLocked();
    bool AliveLocked();

    std::vector<std::string> m_argv;
    std::chrono::milliseconds m_deadline;
    mutable std::mutex m_mutex;
    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
    int m_starts = 0;
};

}  // namespace quillmar::service

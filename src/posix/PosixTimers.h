#pragma once

#include "platform/Timers.h"
#include "posix/PosixEventLoop.h"

namespace quillmar::posix {

// Repeating timers on the event loop.
class PosixTimers final : public TimerFactory {
public:
    explicit PosixTimers(PosixEventLoop& loop) : m_loop(loop) {}

    std::unique_ptr<Timer> CreateTimer(std::chrono::milliseconds interval, bool enabled,
                                       std::function<void()> onTick) override;

private:
    PosixEventLoop& m_loop;
};

}  // namespace quillmar::posix

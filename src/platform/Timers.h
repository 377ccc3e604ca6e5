#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quillmar {

// A repeating timer: while enabled it ticks every interval on the UI thread.
// A timer may be disabled or destroyed from inside its own tick.
class Timer {
public:
    virtual ~Timer() = default;
    // Enabling an enabled timer leaves its running count alone; disabling and enabling restarts it.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
    // Takes effect from the next (re)start of the count.
    virtual void SetInterval(std::chrono::milliseconds interval) = 0;
    virtual std::chrono::milliseconds Interval() const = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> CreateTimer(std::chrono::milliseconds interval, bool enabled,
                                               std::function<void()> onTick) = 0;
};

}  // namespace quillmar

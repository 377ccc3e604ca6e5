#pragma once

#include <memory>

#include "platform/Timers.h"

namespace quillmar::win32 {

// Repeating timers on SetTimer, ticking through the UI thread's message loop at a message-only window.
// The factory must outlive the timers it makes; create, use and destroy both on the UI thread.
class WinTimers final : public TimerFactory {
public:
    WinTimers();
    ~WinTimers() override;
    WinTimers(const WinTimers&) = delete;
    WinTimers& operator=(const WinTimers&) = delete;

    std::unique_ptr<Timer> CreateTimer(std::chrono::milliseconds interval, bool enabled,
                                       std::function<void()> onTick) override;

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quillmar::win32

#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Timers.h"

namespace quillmar::fakes {

// A manual clock: Advance() fires due ticks in time order, as the message loop would.
class FakeTimers final : public TimerFactory {
public:
    using ms = std::chrono::milliseconds;

    std::unique_ptr<Timer> CreateTimer(ms interval, bool enabled, std::function<void()> onTick) override {
        auto timer = std::make_unique<FakeTimer>(*this, interval, std::move(onTick));
        m_timers.push_back(timer.get());
        if (enabled) timer->SetEnabled(true);
        return timer;
    }

    ms Now() const { return m_now; }

    // Moves the clock forward, firing every tick that falls due on the way.
    void Advance(ms by) {
        const ms end = m_now + by;
        for (;;) {
            FakeTimer* next = nullptr;
            for (FakeTimer* t : m_timers) {
                if (t->m_enabled && t->m_due <= end && (next == nullptr || t->m_due < next->m_due)) next = t;
            }
            if (next == nullptr) break;
            m_now = next->m_due;
            next->m_due = m_now + std::max(next->m_interval, ms{1});
            auto tick = next->m_onTick;  // the tick may destroy its timer
            tick();
        }
        m_now = end;
    }

    std::size_t LiveTimers() const { return m_timers.size(); }
    std::size_t RunningTimers() const {
        return static_cast<std::size_t>(std::count_if(m_timers.begin(), m_timers.end(),
                                                      [](const FakeTimer* t) { return t->m_enabled; }));
    }

private:
    class FakeTimer final : public Timer {
    public:
        FakeTimer(FakeTimers& owner, ms interval, std::function<void()> onTick)
            : m_owner(owner), m_interval(interval), m_onTick(std::move(onTick)) {}
        ~FakeTimer() override { std::erase(m_owner.m_timers, this); }
        void SetEnabled(bool enabled) override {
            if (enabled && !m_enabled) m_due = m_owner.m_now + std::max(m_interval, ms{1});
            m_enabled = enabled;
        }
        bool Enabled() const override { return m_enabled; }
        void SetInterval(ms interval) override { m_interval = interval; }
        ms Interval() const override { return m_interval; }

        FakeTimers& m_owner;
        ms m_interval;
        std::function<void()> m_onTick;
        bool m_enabled = false;
        ms m_due{0};
    };

    std::vector<FakeTimer*> m_timers;
    ms m_now{0};
};

}  // namespace quillmar::fakes

#include "posix/PosixTimers.h"

#include <algorithm>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>
#include <cstdint>
#include <system_error>
#include <utility>

namespace quillmar::posix {

namespace {

using std::chrono::milliseconds;

struct TimerState : std::enable_shared_from_this<TimerState> {
    TimerState(asio::io_context& io, milliseconds interval, std::function<void()> onTick)
        : timer(io), interval(interval), onTick(std::move(onTick)) {}

    asio::steady_timer timer;
    milliseconds interval;
    std::function<void()> onTick;
    bool enabled = false;
    // Bumped by every stop: a wait that completes for an older count is stale.
    std::uint64_t generation = 0;

    milliseconds Period() const { return std::max(interval, milliseconds{1}); }

    void Start() {
        enabled = true;
        timer.expires_after(Period());
        Arm();
    }

    void Stop() noexcept {
        enabled = false;
        ++generation;  // a wait that still completes is ignored, so a failed cancel does no harm
        try {
            timer.cancel();
        } catch (const std::system_error&) {
        }
    }

    void Arm() {
        timer.async_wait([weak = weak_from_this(), gen = generation](const std::error_code& ec) {
            const auto self = weak.lock();  // also keeps the state alive if the tick destroys the timer
            if (!self || ec || gen != self->generation || !self->enabled) return;
            // The next tick is counted from this one; a late loop does not make up missed ticks.
            const auto now = asio::steady_timer::clock_type::now();
            auto next = self->timer.expiry() + self->Period();
            if (next <= now) next = now + self->Period();
            self->timer.expires_at(next);
            self->Arm();
            const auto tick = self->onTick;  // the tick may replace or destroy what it runs from
            if (tick) tick();
        });
    }
};

class PosixTimer final : public Timer {
public:
    PosixTimer(asio::io_context& io, milliseconds interval, std::function<void()> onTick)
        : m_state(std::make_shared<TimerState>(io, interval, std::move(onTick))) {}
    ~PosixTimer() override { m_state->Stop(); }
    PosixTimer(const PosixTimer&) = delete;
    PosixTimer& operator=(const PosixTimer&) = delete;

    void SetEnabled(bool enabled) override {
        if (enabled == m_state->enabled) return;  // an enabled timer keeps its running count
        if (enabled) {
            m_state->Start();
        } else {
            m_state->Stop();
        }
    }
    bool Enabled() const override { return m_state->enabled; }
    void SetInterval(milliseconds interval) override { m_state->interval = interval; }
    milliseconds Interval() const override { return m_state->interval; }

private:
    std::shared_ptr<TimerState> m_state;
};

}  // namespace

std::unique_ptr<Timer> PosixTimers::CreateTimer(milliseconds interval, bool enabled,
                                                std::function<void()> onTick) {
    auto timer = std::make_unique<PosixTimer>(m_loop.Context(), interval, std::move(onTick));
    if (enabled) timer->SetEnabled(true);
    return timer;
}

}  // namespace quillmar::posix

#include "win32/WinTimers.h"

#include <windows.h>

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "win32/WinMessageWindow.h"

namespace quillmar::win32 {

namespace {

using std::chrono::milliseconds;

UINT ToTimerPeriod(milliseconds interval) {
    const auto count = std::clamp<long long>(interval.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    return static_cast<UINT>(count);
}

class WinTimer;

}  // namespace

class WinTimers::Impl final : public MessageTarget {
public:
    Impl() : m_window(*this) {}

    // Every start takes a fresh id, so a WM_TIMER of an earlier count still in the queue finds no timer.
    UINT_PTR Start(WinTimer& timer, milliseconds interval) {
        const UINT_PTR id = ++m_lastId;
        m_running[id] = &timer;
        SetTimer(m_window.Hwnd(), id, ToTimerPeriod(interval), nullptr);
        return id;
    }
    void Restart(UINT_PTR id, milliseconds interval) {
        SetTimer(m_window.Hwnd(), id, ToTimerPeriod(interval), nullptr);
    }
    void Stop(UINT_PTR id) {
        KillTimer(m_window.Hwnd(), id);
        m_running.erase(id);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    WinMessageWindow m_window;
    std::unordered_map<UINT_PTR, WinTimer*> m_running;
    UINT_PTR m_lastId = 0;
};

namespace {

class WinTimer final : public Timer {
public:
    WinTimer(WinTimers::Impl& owner, milliseconds interval, std::function<void()> onTick)
        : m_owner(owner), m_interval(interval), m_onTick(std::move(onTick)) {}
    ~WinTimer() override { SetEnabled(false); }
    WinTimer(const WinTimer&) = delete;
    WinTimer& operator=(const WinTimer&) = delete;

    void SetEnabled(bool enabled) override {
        if (enabled == (m_id != 0)) return;  // an enabled timer keeps its running count
        if (enabled) {
            m_armedInterval = m_interval;
            m_id = m_owner.Start(*this, m_interval);
        } else {
            m_owner.Stop(m_id);
            m_id = 0;
        }
    }
    bool Enabled() const override { return m_id != 0; }
    void SetInterval(milliseconds interval) override { m_interval = interval; }
    milliseconds Interval() const override { return m_interval; }

    void Tick() {
        if (m_armedInterval != m_interval) {  // a new interval counts from this tick on
            m_armedInterval = m_interval;
            m_owner.Restart(m_id, m_interval);
        }
        const auto tick = m_onTick;  // the tick may disable or destroy this timer
        if (tick) tick();
    }

private:
    WinTimers::Impl& m_owner;
    milliseconds m_interval;
    milliseconds m_armedInterval{0};
    std::function<void()> m_onTick;
    UINT_PTR m_id = 0;
};

}  // namespace

bool WinTimers::Impl::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message != WM_TIMER) return false;
    const auto found = m_running.find(static_cast<UINT_PTR>(wParam));
    if (found != m_running.end()) found->second->Tick();
    return true;
}

WinTimers::WinTimers() : m_impl(std::make_unique<Impl>()) {}

WinTimers::~WinTimers() = default;

std::unique_ptr<Timer> WinTimers::CreateTimer(milliseconds interval, bool enabled,
                                              std::function<void()> onTick) {
    auto timer = std::make_unique<WinTimer>(*m_impl, interval, std::move(onTick));
    if (enabled) timer->SetEnabled(true);
    return timer;
}

}  // namespace quillmar::win32

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "win32/WinEventLoop.h"
#include "win32/WinTimers.h"

namespace quillmar::win32 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void Settle(std::chrono::milliseconds time) {
    RunMessageLoopUntil([] { return false; }, time);
}

TEST(WinTimers, TicksRepeatedlyThroughTheMessageLoopWhileEnabled) {
    WinTimers timers;
    std::vector<Clock::time_point> ticks;
    const auto start = Clock::now();
    auto timer = timers.CreateTimer(20ms, true, [&] { ticks.push_back(Clock::now()); });
    EXPECT_TRUE(timer->Enabled());
    ASSERT_TRUE(RunMessageLoopUntil([&] { return ticks.size() == 5; }, 5s));
    EXPECT_GE(ticks.back() - start, 90ms) << "five ticks of 20 ms cannot come sooner";
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Enabled());
    Settle(100ms);
    EXPECT_EQ(ticks.size(), 5U);
}

TEST(WinTimers, CreatedDisabledItWaitsForEnable) {
    WinTimers timers;
    int ticks = 0;
    auto timer = timers.CreateTimer(10ms, false, [&] { ++ticks; });
    Settle(80ms);
    EXPECT_EQ(ticks, 0);
    timer->SetEnabled(true);
    EXPECT_TRUE(RunMessageLoopUntil([&] { return ticks > 0; }, 5s));
}

TEST(WinTimers, EnablingAnEnabledTimerKeepsItsCountButReenablingRestartsIt) {
    WinTimers timers;
    std::vector<Clock::duration> ticks;
    const auto start = Clock::now();
    auto timer = timers.CreateTimer(300ms, true, [&] { ticks.push_back(Clock::now() - start); });
    Settle(150ms);
    timer->SetEnabled(true);  // a restarted count would tick at 450 ms
    ASSERT_TRUE(RunMessageLoopUntil([&] { return ticks.size() == 1; }, 2s));
    EXPECT_LT(ticks[0], 420ms) << "the count begun at 0 ms went on";

    Settle(150ms);  // about half of the next count
    const auto restart = Clock::now() - start;
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    ASSERT_TRUE(RunMessageLoopUntil([&] { return ticks.size() == 2; }, 2s));
    EXPECT_GE(ticks[1] - restart, 280ms) << "re-enabling began a whole new count";
}

TEST(WinTimers, ATickMayDisableOrDestroyItsOwnTimer) {
    WinTimers timers;
    int disabledTicks = 0;
    std::unique_ptr<Timer> disabling;
    disabling = timers.CreateTimer(10ms, true, [&] {
        ++disabledTicks;
        disabling->SetEnabled(false);
    });
    int destroyedTicks = 0;
    std::unique_ptr<Timer> destroying;
    destroying = timers.CreateTimer(10ms, true, [&] {
        ++destroyedTicks;
        destroying.reset();
    });
    int otherTicks = 0;
    auto other = timers.CreateTimer(10ms, true, [&] { ++otherTicks; });
    ASSERT_TRUE(RunMessageLoopUntil([&] { return otherTicks >= 8; }, 5s));
    EXPECT_EQ(disabledTicks, 1);
    EXPECT_FALSE(disabling->Enabled());
    EXPECT_EQ(destroyedTicks, 1);
    EXPECT_EQ(destroying, nullptr);
}

TEST(WinTimers, NewIntervalAppliesFromTheNextCount) {
    WinTimers timers;
    std::vector<Clock::time_point> ticks;
    std::unique_ptr<Timer> timer;
    timer = timers.CreateTimer(10ms, true, [&] {
        ticks.push_back(Clock::now());
        timer->SetInterval(150ms);
    });
    ASSERT_TRUE(RunMessageLoopUntil([&] { return ticks.size() == 3; }, 5s));
    EXPECT_EQ(timer->Interval(), 150ms);
    EXPECT_GE(ticks[2] - ticks[1], 130ms);
}

}  // namespace
}  // namespace quillmar::win32

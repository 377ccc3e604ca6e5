#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "posix/PosixEventLoop.h"
#include "posix/PosixTimers.h"

namespace quillmar::posix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(PosixTimers, TicksRepeatedlyAtItsIntervalWhileEnabled) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    std::vector<Clock::time_point> ticks;
    const auto start = Clock::now();
    auto timer = timers.CreateTimer(20ms, true, [&] { ticks.push_back(Clock::now()); });
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 20ms);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() == 5; }, 2s));
    EXPECT_GE(ticks.front() - start, 19ms);
    EXPECT_GE(ticks.back() - start, 95ms) << "five ticks of 20 ms cannot come sooner";
    timer->SetEnabled(false);
    std::this_thread::sleep_for(60ms);
    loop.Poll();
    EXPECT_EQ(ticks.size(), 5U);
}

TEST(PosixTimers, CreatedDisabledItWaitsForEnable) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    int ticks = 0;
    auto timer = timers.CreateTimer(10ms, false, [&] { ++ticks; });
    EXPECT_FALSE(timer->Enabled());
    std::this_thread::sleep_for(30ms);
    loop.Poll();
    EXPECT_EQ(ticks, 0);
    timer->SetEnabled(true);
    EXPECT_TRUE(loop.RunUntil([&] { return ticks > 0; }, 1s));
}

TEST(PosixTimers, EnablingAnEnabledTimerKeepsItsCountButReenablingRestartsIt) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    std::vector<Clock::duration> ticks;
    const auto start = Clock::now();
    auto timer = timers.CreateTimer(300ms, true, [&] { ticks.push_back(Clock::now() - start); });
    loop.RunUntil([] { return false; }, 150ms);
    timer->SetEnabled(true);  // a restarted count would tick at 450 ms
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() == 1; }, 1s));
    EXPECT_LT(ticks[0], 420ms) << "the count begun at 0 ms went on";

    loop.RunUntil([] { return false; }, 150ms);  // about half of the next count
    const auto restart = Clock::now() - start;
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() == 2; }, 1s));
    EXPECT_GE(ticks[1] - restart, 295ms) << "re-enabling began a whole new count";
}

TEST(PosixTimers, ATickMayDisableOrDestroyItsOwnTimer) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    int disabledTicks = 0;
    std::unique_ptr<Timer> disabling;
    disabling = timers.CreateTimer(5ms, true, [&] {
        ++disabledTicks;
        disabling->SetEnabled(false);
    });
    int destroyedTicks = 0;
    std::unique_ptr<Timer> destroying;
    destroying = timers.CreateTimer(5ms, true, [&] {
        ++destroyedTicks;
        destroying.reset();
    });
    int otherTicks = 0;
    auto other = timers.CreateTimer(5ms, true, [&] { ++otherTicks; });
    ASSERT_TRUE(loop.RunUntil([&] { return otherTicks >= 10; }, 2s));
    EXPECT_EQ(disabledTicks, 1);
    EXPECT_FALSE(disabling->Enabled());
    EXPECT_EQ(destroyedTicks, 1);
    EXPECT_EQ(destroying, nullptr);
}

TEST(PosixTimers, NewIntervalAppliesFromTheNextCount) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    std::vector<Clock::time_point> ticks;
    std::unique_ptr<Timer> timer;
    timer = timers.CreateTimer(10ms, true, [&] {
        ticks.push_back(Clock::now());
        timer->SetInterval(80ms);
    });
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() == 3; }, 2s));
    EXPECT_EQ(timer->Interval(), 80ms);
    EXPECT_GE(ticks[2] - ticks[1], 75ms);
}

TEST(PosixTimers, DestroyedTimerNeverTicksAgain) {
    PosixEventLoop loop;
    PosixTimers timers(loop);
    int ticks = 0;
    auto timer = timers.CreateTimer(5ms, true, [&] { ++ticks; });
    ASSERT_TRUE(loop.RunUntil([&] { return ticks == 1; }, 1s));
    timer.reset();
    std::this_thread::sleep_for(30ms);
    loop.Poll();
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace quillmar::posix

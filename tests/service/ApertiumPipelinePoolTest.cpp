#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "service/ApertiumPipelinePool.h"

namespace quillmar::service {
namespace {

using namespace std::chrono_literals;

// A null-flush pipeline in shell: answers each request with itself after a pause; "die" ends it.
ApertiumPipelinePool::Factory SlowEcho(const char* pause) {
    std::string script = std::string("while IFS= read -r -d '' x; do [ \"$x\" = die ] && exit 1; sleep ") +
                         pause + "; printf '%s\\0' \"$x\"; done";
    return [script] {
        return std::make_unique<ApertiumPipeline>(std::vector<std::string>{"bash", "-c", script}, 3000ms);
    };
}

TEST(ApertiumPipelinePool, StartsMorePipelinesWhileRequestsQueueButNeverBeyondItsBound) {
    ApertiumPipelinePool pool(SlowEcho("0.05"), 3, "warm", 5000ms);
    EXPECT_EQ(pool.Process("alone"), "alone");
    EXPECT_EQ(pool.Size(), 1) << "one request at a time needs one pipeline";

    std::atomic<int> right{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 6; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < 6; ++i) {
                std::string text = std::to_string(t) + "/" + std::to_string(i);
                if (pool.Process(text) == text) ++right;
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(right, 36);
    EXPECT_EQ(pool.Size(), 3);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(pool.At(i)->Starts(), 1) << i;
}

TEST(ApertiumPipelinePool, StartsAPipelineAgainInTheBackgroundAfterItsRequestFailed) {
    ApertiumPipelinePool pool(SlowEcho("0"), 2, "warm", 3000ms);
    ASSERT_TRUE(pool.Warm());
    ApertiumPipeline* pipeline = pool.At(0);
    Result<std::string> died = pool.Process("die");
    EXPECT_FALSE(died);
    EXPECT_FALSE(died.Reason().empty());
    for (int i = 0; i < 200 && pipeline->Pid() < 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_GT(pipeline->Pid(), 0) << "started again before any request asked";
    EXPECT_EQ(pool.Process("after"), "after");
    EXPECT_EQ(pool.Size(), 1);
    EXPECT_EQ(pipeline->Starts(), 2);
}

TEST(ApertiumPipelinePool, CheckBringsBackAPipelineThatDiedWhileIdle) {
    ApertiumPipelinePool pool(SlowEcho("0"), 2, "warm", 3000ms);
    ApertiumPipelinePool::Health before = pool.Check();  // warms the first pipeline itself
    EXPECT_EQ(before.size, 1);
    EXPECT_EQ(before.up, 1);
    ::kill(-pool.At(0)->Pid(), SIGKILL);
    std::this_thread::sleep_for(50ms);
    ApertiumPipelinePool::Health after = pool.Check();
    EXPECT_EQ(after.up, 1);
    EXPECT_EQ(pool.At(0)->Starts(), 2);
}

TEST(ApertiumPipelinePool, FailsAtOnceWhenNoPipelineCanStart) {
    ApertiumPipelinePool pool(
        [] {
            return std::make_unique<ApertiumPipeline>(
                std::vector<std::string>{"/nonexistent/quillmar-no-such"}, 3000ms);
        },
        2, "warm", 5000ms);
    auto started = std::chrono::steady_clock::now();
    Result<std::string> out = pool.Process("x");
    EXPECT_FALSE(out);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2000ms) << "not held until the wait runs out";
    EXPECT_NE(out.Reason().find("cannot start"), std::string::npos) << out.Reason();
    EXPECT_FALSE(pool.Warm());
    EXPECT_EQ(pool.Check().up, 0);
}

}  // namespace
}  // namespace quillmar::service

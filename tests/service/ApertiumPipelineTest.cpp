#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "service/ApertiumPipeline.h"

namespace quillmar::service {
namespace {

using namespace std::chrono_literals;

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0;
}

// "cat" answers each NUL-terminated request with itself: a null-flush pipeline in its simplest form.
TEST(ApertiumPipeline, StartsOnFirstUseAndServesRequestsOnOneProcess) {
    ApertiumPipeline pipeline({"cat"}, 2000ms);
    EXPECT_EQ(pipeline.Pid(), -1);
    EXPECT_EQ(pipeline.Process("good morning"), "good morning");
    pid_t pid = pipeline.Pid();
    EXPECT_GT(pid, 0);
    EXPECT_EQ(pipeline.Process("ñ 日本"), "ñ 日本");
    EXPECT_EQ(pipeline.Process(""), "");
    EXPECT_EQ(pipeline.Pid(), pid);
    EXPECT_EQ(pipeline.Starts(), 1);
}

TEST(ApertiumPipeline, CarriesRequestsLargerThanThePipeBuffers) {
    ApertiumPipeline pipeline({"cat"}, 5000ms);
    std::string big(300 * 1024, 'x');
    for (std::size_t i = 0; i < big.size(); i += 97) big[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(pipeline.Process(big), big);
}

TEST(ApertiumPipeline, RestartsAProcessThatDiedBetweenRequests) {
    ApertiumPipeline pipeline({"cat"}, 2000ms);
    ASSERT_EQ(pipeline.Process("one"), "one");
    pid_t first = pipeline.Pid();
    ::kill(first, SIGKILL);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(pipeline.Process("two"), "two");
    EXPECT_NE(pipeline.Pid(), first);
    EXPECT_EQ(pipeline.Starts(), 2);
}

TEST(ApertiumPipeline, AnswersNothingWhenTheProcessEndsMidRequestThenRecovers) {
    // Reads part of the request and exits without answering.
    ApertiumPipeline pipeline({"head", "-c", "3"}, 2000ms);
    auto started = std::chrono::steady_clock::now();
    Result<std::string> out = pipeline.Process("abcdef");
    EXPECT_FALSE(out);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1500ms);
    EXPECT_FALSE(out.Reason().empty());
    EXPECT_EQ(pipeline.Pid(), -1);
    EXPECT_FALSE(pipeline.Process("again"));
    EXPECT_EQ(pipeline.Starts(), 2);
}

TEST(ApertiumPipeline, GivesUpAtTheDeadlineAndKillsTheWholeProcessGroup) {
    // A pipeline that never answers: a shell with a child that keeps the output open.
    ApertiumPipeline pipeline({"sh", "-c", "sleep 30 | cat"}, 300ms);
    auto started = std::chrono::steady_clock::now();
    Result<std::string> out = pipeline.Process("hello");
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(out);
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 2000ms);
    EXPECT_NE(out.Reason().find("no answer"), std::string::npos) << out.Reason();
    EXPECT_EQ(pipeline.Pid(), -1);
    EXPECT_EQ(pipeline.Starts(), 1);
}

TEST(ApertiumPipeline, ReportsAProgramThatCannotStart) {
    ApertiumPipeline pipeline({"/nonexistent/quillmar-no-such-program"}, 500ms);
    Result<std::string> out = pipeline.Process("x");
    EXPECT_FALSE(out);
    EXPECT_FALSE(out.Reason().empty());
}

TEST(ApertiumPipeline, StopsItsProcessWhenDestroyed) {
    pid_t pid = -1;
    {
        ApertiumPipeline pipeline({"cat"}, 2000ms);
        ASSERT_TRUE(pipeline.Process("x"));
        pid = pipeline.Pid();
    }
    EXPECT_TRUE(ProcessGone(pid));
}

TEST(ApertiumPipeline, SerialisesRequestsFromManyThreads) {
    ApertiumPipeline pipeline({"cat"}, 5000ms);
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                std::string text = "thread " + std::to_string(t) + " request " + std::to_string(i);
                if (pipeline.Process(text) == text) ++right;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(right, 200);
    EXPECT_EQ(pipeline.Starts(), 1);
}

}  // namespace
}  // namespace quillmar::service

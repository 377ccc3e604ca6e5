#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "win32/WinChildProcesses.h"
#include "win32/WinEventLoop.h"
#include "win32/WinText.h"

namespace {

using namespace std::chrono_literals;
using quillmar::ChildId;
using quillmar::win32::WinChildProcesses;

// Started with "--child", this program is the child: before GoogleTest sees it, it writes its process
// id and its arguments to standard error, one a line (the last without a line end), then sleeps or exits.
const bool kIsChild = [] {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 3 || std::wstring(args[1]) != L"--child") return false;
    std::fprintf(stderr, "pid %lu\r\n", GetCurrentProcessId());
    for (int i = 3; i < count; ++i) std::fprintf(stderr, "[%s]\n", quillmar::win32::WideToUtf8(args[i]).c_str());
    std::fprintf(stderr, "last");
    std::fflush(stderr);
    if (std::wstring(args[2]) == L"sleep") Sleep(30000);
    ExitProcess(7);
}();

std::string SelfPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return quillmar::win32::WideToUtf8(path);
}

struct Heard {
    std::vector<std::string> lines;
    std::optional<int> exitCode;
};

quillmar::ChildEvents Into(Heard& heard) {
    return {[&heard](const std::string& line) { heard.lines.push_back(line); },
            [&heard](int code) { heard.exitCode = code; }};
}

TEST(WinChildProcesses, CommandLinesParseBackIntoTheSameArguments) {
    const std::vector<std::string> arguments{"plain", "two words", "", "say \"hi\"", "back\\slash\\",
                                             "C:\\A B\\", "\\\\\"", "Привет"};
    const std::wstring line = quillmar::win32::CommandLineOf(L"C:\\Program Files\\q.exe", arguments);
    int count = 0;
    wchar_t** parsed = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_EQ(count, static_cast<int>(arguments.size()) + 1) << quillmar::win32::WideToUtf8(line);
    EXPECT_EQ(std::wstring(parsed[0]), L"C:\\Program Files\\q.exe");
    for (std::size_t i = 0; i < arguments.size(); ++i)
        EXPECT_EQ(quillmar::win32::WideToUtf8(parsed[i + 1]), arguments[i]);
    LocalFree(parsed);
}

TEST(WinChildProcesses, LinesComeInOrderThenTheExitAndAnEndedChildIsGoneWithoutAWord) {
    WinChildProcesses children;
    Heard finished;
    const quillmar::ChildStart first = children.Start(SelfPath(), {"--child", "exit", "a b", "\"q\""}, Into(finished));
    ASSERT_TRUE(first) << first.whyNot;
    ASSERT_TRUE(quillmar::win32::RunMessageLoopUntil([&] { return finished.exitCode.has_value(); }, 10000ms));
    ASSERT_EQ(finished.lines.size(), 4u);
    EXPECT_EQ(finished.lines[0].rfind("pid ", 0), 0u);
    EXPECT_EQ(finished.lines[1], "[a b]");
    EXPECT_EQ(finished.lines[2], "[\"q\"]");
    EXPECT_EQ(finished.lines[3], "last");
    EXPECT_EQ(*finished.exitCode, 7);

    Heard ended;
    const quillmar::ChildStart second = children.Start(SelfPath(), {"--child", "sleep"}, Into(ended));
    ASSERT_TRUE(second) << second.whyNot;
    ASSERT_TRUE(quillmar::win32::RunMessageLoopUntil([&] { return !ended.lines.empty(); }, 10000ms));
    const DWORD pid = std::strtoul(ended.lines[0].c_str() + 4, nullptr, 10);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    children.End(second.id);
    EXPECT_EQ(WaitForSingleObject(process, 2000), WAIT_OBJECT_0);
    CloseHandle(process);
    quillmar::win32::RunMessageLoopUntil([] { return false; }, 500ms);
    EXPECT_FALSE(ended.exitCode.has_value()) << "an ended child reports nothing more";
    EXPECT_EQ(ended.lines.size(), 1u);  // "last" has no line end: it would come only with the pipe's end
}

// Destroyed with the program's last handle to their job, children end: what a crash does too.
TEST(WinChildProcesses, ChildrenEndWithTheirOwnerAndAMissingProgramSaysSo) {
    Heard heard;
    DWORD pid = 0;
    {
        WinChildProcesses children;
        ASSERT_TRUE(children.Start(SelfPath(), {"--child", "sleep"}, Into(heard)));
        ASSERT_TRUE(quillmar::win32::RunMessageLoopUntil([&] { return !heard.lines.empty(); }, 10000ms));
        pid = std::strtoul(heard.lines[0].c_str() + 4, nullptr, 10);
        const quillmar::ChildStart missing = children.Start("C:\\nowhere\\quillmar-service.exe", {}, Into(heard));
        EXPECT_FALSE(missing);
        EXPECT_EQ(missing.whyNot, "C:\\nowhere\\quillmar-service.exe is missing");
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process != nullptr) {
        EXPECT_EQ(WaitForSingleObject(process, 2000), WAIT_OBJECT_0);
        CloseHandle(process);
    }
}

}  // namespace

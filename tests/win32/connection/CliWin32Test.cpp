// quillmar-cli.exe as a Windows user runs it: wide command line, redirected standard streams, a loopback
// service.
#include <gtest/gtest.h>

#include <string>

#include "WinLoopbackServer.h"
#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

using testing::WinLoopbackServer;

struct CliRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// The build writes a host path; under Wine the host's root is drive Z:.
std::wstring CliPath() {
    std::wstring path = Utf8ToWide(QUILLMAR_CLI_PATH);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        path = L"Z:" + path;
    }
    return path;
}

HANDLE ReadEnd(HANDLE& writeEnd) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return readEnd;
}

// What the pipe holds now. Read after the child has ended rather than up to the end of the pipe: under
// Wine a process the child caused to start (the desktop's explorer) can inherit the pipe's write end
// and keep it open for good.
std::string Drain(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD available = 0;
    DWORD read = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

CliRun RunCli(const std::wstring& arguments, const std::string& input = "") {
    HANDLE outWrite = nullptr, errWrite = nullptr, inWrite = nullptr;
    HANDLE outRead = ReadEnd(outWrite);
    HANDLE errRead = ReadEnd(errWrite);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr;
    CreatePipe(&inRead, &inWrite, &inherit, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    const std::wstring path = CliPath();
    std::wstring commandLine = L"\"" + path + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
    EXPECT_TRUE(started) << GetLastError();
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    CloseHandle(inRead);
    CliRun run;
    if (!started) return run;
    DWORD written = 0;
    if (!input.empty()) WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    CloseHandle(inWrite);
    // The answers are a few lines, well inside a pipe's buffer, so the child never waits for a reader.
    WaitForSingleObject(process.hProcess, 20000);
    run.out = Drain(outRead);
    run.err = Drain(errRead);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

WinLoopbackServer::Session Answer(std::string page) {
    return [page = std::move(page)](WinLoopbackServer& server, SOCKET s) {
        server.Record(server.ReadRequest(s));
        WinLoopbackServer::SendAll(s, page);
    };
}

const std::string kPage =
    "HTTP/1.0 200 OK\r\n\r\n<form><textarea name=q>\ntr\xC3\xA8s bien \xE2\x98\xBA\r\n</textarea></form>";

TEST(CliWin32, TakesTheWideCommandLineAndWritesUtf8WhenRedirected) {
    WinLoopbackServer server(Answer(kPage));
    const std::wstring service = L"127.0.0.1:" + std::to_wstring(server.Port());
    const CliRun run =
        RunCli(L"--pair \"german to french\" --service " + service + L" \"gr\u00fc\u00dfe \u263a\"");
    EXPECT_EQ(run.exitCode, 0U) << run.err;
    EXPECT_EQ(run.out, "tr\xC3\xA8s bien \xE2\x98\xBA\n");
    EXPECT_EQ(run.err, "Connecting\nConnected\nRetrieving Data\nProcessing\nOperation Successfull !\n");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(server.Requests()[0].rfind(
                  "GET /raging/translate.dyn?lp=de_fr&urltext=gr%C3%BC%C3%9Fe+%E2%98%BA HTTP/1.0\r\n", 0),
              0U)
        << server.Requests()[0];
}

TEST(CliWin32, ReadsStandardInputAsBytes) {
    WinLoopbackServer server(Answer(kPage));
    const CliRun run =
        RunCli(L"--service 127.0.0.1:" + std::to_wstring(server.Port()), "caf\xC3\xA9\r\nnoir");
    EXPECT_EQ(run.exitCode, 0U) << run.err;
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_NE(server.Requests()[0].find("urltext=caf%C3%A9%0D%0Anoir HTTP/1.0"), std::string::npos)
        << server.Requests()[0];
}

TEST(CliWin32, RefusedConnectionExitsWithTwoAndTheSystemsDescription) {
    const CliRun run =
        RunCli(L"--service 127.0.0.1:" + std::to_wstring(testing::UnusedLoopbackPort()) + L" hello");
    EXPECT_EQ(run.exitCode, 2U);
    EXPECT_EQ(run.out, "");
    const std::string prefix = "Connecting\nErros Occured ...\n";
    ASSERT_EQ(run.err.rfind(prefix, 0), 0U) << run.err;
    EXPECT_GT(run.err.size(), prefix.size() + 1) << "the description follows";
}

TEST(CliWin32, UsageErrorsAndHelp) {
    EXPECT_EQ(RunCli(L"--timeout never hello").exitCode, 64U);
    const CliRun help = RunCli(L"--help");
    EXPECT_EQ(help.exitCode, 0U);
    EXPECT_NE(help.out.find("--service"), std::string::npos);
    const CliRun noPair = RunCli(L"--pair \"ENGLISH TO KLINGON\" hello");
    EXPECT_EQ(noPair.exitCode, 1U);
    EXPECT_NE(noPair.err.find("\"ENGLISH TO FRENCH\""), std::string::npos);
}

}  // namespace
}  // namespace quillmar::win32

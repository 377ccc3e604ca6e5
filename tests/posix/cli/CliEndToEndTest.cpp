// quillmar-cli as a user runs it: the real binary, real loopback sockets, a tiny HTTP server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "loopback/LoopbackServer.h"
#include "translate/SockModule.h"

namespace quillmar {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

// Closed: standard output is a pipe whose reader is gone.
enum class Stdout { Piped, Closed };

// Runs quillmar-cli with these arguments and this standard input; kills it after 20 s.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "",
              Stdout stdoutMode = Stdout::Piped) {
    int in[2];
    int out[2];
    int err[2];
    EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        std::vector<char*> argv{const_cast<char*>(QUILLMAR_CLI_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(QUILLMAR_CLI_PATH, argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);
    for (std::string_view rest = input; !rest.empty();) {
        const ssize_t n = ::write(in[1], rest.data(), rest.size());
        if (n <= 0) break;  // the program may exit without reading its input
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(in[1]);

    CliRun run;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    if (stdoutMode == Stdout::Closed) {  // nobody reads standard output: writes fail with EPIPE
        ::close(out[0]);
        fds[0].fd = -1;
        open = 1;
    }
    const auto deadline = start + 20s;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(fds, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (open > 0) ::kill(pid, SIGKILL);
    for (const pollfd& p : fds) {
        if (p.fd >= 0) ::close(p.fd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    if (from < text.size()) lines.push_back(text.substr(from));
    return lines;
}

// The status lines with repeated "Retrieving Data" folded into one.
std::vector<std::string> StatusLines(const std::string& err) {
    std::vector<std::string> lines;
    for (const std::string& line : Lines(err)) {
        if (!lines.empty() && line == "Retrieving Data" && lines.back() == line) continue;
        lines.push_back(line);
    }
    return lines;
}

std::string Page(const std::string& translation) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<html><body><form>"
           "<textarea name=q>\n" +
           translation + "\r\n</textarea></form></body></html>\n";
}

// Records the request, answers with `answer` in two pieces sent apart, then closes.
LoopbackServer::Session Answer(std::string answer) {
    return [answer = std::move(answer)](LoopbackServer& server, int fd) {
        server.Record(server.ReadRequest(fd));
        const std::size_t half = answer.size() / 2;
        LoopbackServer::SendAll(fd, answer.substr(0, half));
        std::this_thread::sleep_for(20ms);
        LoopbackServer::SendAll(fd, answer.substr(half));
    };
}

std::string ExpectedRequest(const std::string& target, const std::string& host) {
    return "GET " + target +
           " HTTP/1.0\r\n"
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
           "application/vnd.ms-excel, application/msword, application/x-comet, */*\r\n"
           "Accept-Language: en\r\n"
           "Accept-Encoding: gzip , deflate\r\n"
           "Cache-Control: no-cache\r\n"
           "Proxy-Connection: Keep-Alive\r\n"
           "User-Agent:" +
           std::string(kUserAgent) +
           "\r\n"
           "Host: " +
           host +
           "\r\n"
           "\r\n";
}

const std::vector<std::string> kSuccessLines{"Connecting", "Connected", "Retrieving Data", "Processing",
                                             "Operation Successfull !"};

TEST(CliEndToEnd, TranslatesTheTextArgumentAndSendsTheExactRequest) {
    LoopbackServer server(Answer(Page("bonjour le monde")));
    const CliRun run = RunCli({"--service", server.HostPort(), "good morning"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "bonjour le monde\n");
    EXPECT_EQ(StatusLines(run.err), kSuccessLines) << run.err;
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(server.Requests()[0],
              ExpectedRequest("/raging/translate.dyn?lp=en_fr&urltext=good+morning", server.HostPort()));
}

TEST(CliEndToEnd, ReadsStandardInputAsUtf8BytesAndTakesThePairCaption) {
    LoopbackServer server(Answer(Page("Gr&uuml;&szlig;e &amp; bises \xC3\xA0 tous")));
    const CliRun run = RunCli({"--pair", "German To French", "--service", server.HostPort()},
                              "Gr\xC3\xBC\xC3\x9F"
                              "e\r\nzusammen & co?");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Gr&uuml;&szlig;e & bises \xC3\xA0 tous\n");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(
        server.Requests()[0],
        ExpectedRequest("/raging/translate.dyn?lp=de_fr&urltext=Gr%C3%BC%C3%9Fe%0D%0Azusammen+%26+co%3F",
                        server.HostPort()));
}

TEST(CliEndToEnd, ProxyModeConnectsToTheProxyWithTheAbsoluteUrl) {
    LoopbackServer proxy(Answer(Page("salut")));
    const CliRun run =
        RunCli({"--proxy", proxy.HostPort(), "--service", "translate.example:8080", "hi there"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "salut\n");
    ASSERT_EQ(proxy.Requests().size(), 1U);
    EXPECT_EQ(proxy.Requests()[0],
              ExpectedRequest("http://translate.example:8080/raging/translate.dyn?lp=en_fr&urltext=hi+there",
                              "translate.example:8080"));
}

TEST(CliEndToEnd, NothingToTranslateOrNoUsableAnswerExitsWithOne) {
    LoopbackServer server(Answer("HTTP/1.0 404 Not Found\r\n\r\n<html>gone</html>"));
    for (const std::string text : {"a", " ", ""}) {
        const CliRun run = RunCli({"--service", server.HostPort(), text});
        EXPECT_EQ(run.exitCode, 1) << text;
        EXPECT_EQ(run.err, "No message !\n") << text;
        EXPECT_EQ(run.out, "");
    }
    const CliRun fromEmptyInput = RunCli({"--service", server.HostPort()}, "");
    EXPECT_EQ(fromEmptyInput.exitCode, 1);
    EXPECT_EQ(fromEmptyInput.err, "No message !\n");
    EXPECT_EQ(server.Accepted(), 0) << "nothing is sent without a message";

    const CliRun errorPage = RunCli({"--service", server.HostPort(), "good morning"});
    EXPECT_EQ(errorPage.exitCode, 1);
    EXPECT_EQ(errorPage.out, "");
    EXPECT_EQ(StatusLines(errorPage.err),
              (std::vector<std::string>{"Connecting", "Connected", "Retrieving Data", "Processing",
                                        "Unknown error!"}));

    const CliRun unknownPair =
        RunCli({"--service", server.HostPort(), "--pair", "KLINGON TO FRENCH", "hello"});
    EXPECT_EQ(unknownPair.exitCode, 1);
    EXPECT_NE(unknownPair.err.find("KLINGON TO FRENCH"), std::string::npos) << unknownPair.err;
    EXPECT_NE(unknownPair.err.find("\"GERMAN TO FRENCH\""), std::string::npos) << "names the valid captions";
    EXPECT_EQ(server.Accepted(), 1) << "only the error page request connected";
}

TEST(CliEndToEnd, RefusedConnectionExitsWithTwoAndTheSystemsDescription) {
    const std::string service = "127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort());
    const CliRun run = RunCli({"--service", service, "good morning"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Connecting\nErros Occured ...\nConnection refused\n");
}

TEST(CliEndToEnd, AServiceThatNeverClosesTimesOutWithTwo) {
    LoopbackServer server([](LoopbackServer& s, int fd) {
        s.Record(s.ReadRequest(fd));
        LoopbackServer::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n<textarea name=q>\nstill");
        s.DrainUntilPeerCloses(fd);
    });
    const CliRun run = RunCli({"--service", server.HostPort(), "--timeout", "0.4", "good morning"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    const std::vector<std::string> lines = StatusLines(run.err);
    ASSERT_EQ(lines.size(), 5U) << run.err;
    EXPECT_EQ(lines[2], "Retrieving Data");
    EXPECT_EQ(lines[3], "Erros Occured ...");
    EXPECT_FALSE(lines[4].empty()) << "the description of the failure follows";
    EXPECT_GE(run.elapsed, 400ms);
    EXPECT_LT(run.elapsed, 5s);
}

TEST(CliEndToEnd, AnAnswerOverOneMebibyteIsAFailure) {
    LoopbackServer server(Answer(Page(std::string(1'200'000, 'x'))));
    const CliRun run = RunCli({"--service", server.HostPort(), "good morning"});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Erros Occured ...\n"), std::string::npos);
}

TEST(CliEndToEnd, AnOutputThatCannotBeWrittenIsAFailure) {
    LoopbackServer server(Answer(Page("bonjour")));
    const CliRun run = RunCli({"--service", server.HostPort(), "good morning"}, "", Stdout::Closed);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_EQ(Lines(run.err).back(), "Erros Occured ...");
}

TEST(CliEndToEnd, BadUsageExitsWith64AndHelpWithZero) {
    const std::vector<std::vector<std::string>> bad{{"--bogus", "hi"},
                                                    {"--timeout", "-1", "hi"},
                                                    {"--timeout", "soon", "hi"},
                                                    {"--timeout", "0", "hi"},
                                                    {"--service", "host:0", "hi"},
                                                    {"--service", "", "hi"},
                                                    {"--proxy", "proxy:99999", "hi"},
                                                    {"two", "texts"},
                                                    {"--pair"}};
    for (const auto& args : bad) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 64) << args[0] << " " << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: quillmar-cli"), std::string::npos) << help.out;
    for (const char* option : {"--pair", "--service", "--proxy", "--timeout", "ENGLISH TO FRENCH"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.err, "");
}

}  // namespace
}  // namespace quillmar

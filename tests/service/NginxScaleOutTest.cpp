// Debian's nginx on loopback, with the sample configuration from packaging/, in front of two real
// quillmar-service instances.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <regex>

#include "ServiceProcess.h"
#include "ServiceTestSupport.h"
#include "service/RequestHandler.h"
#include "translate/AnswerText.h"

namespace quillmar::service {
namespace {

using namespace std::chrono_literals;
using testing::ClientRequest;
using testing::Exchange;
using testing::ServiceProcess;

constexpr const char* kServiceProgram = QUILLMAR_SERVICE_PROGRAM;
constexpr const char* kNginxProgram = QUILLMAR_NGINX_PROGRAM;
constexpr const char* kSampleConfig = QUILLMAR_NGINX_SAMPLE;
constexpr const char* kScratchDir = QUILLMAR_TEST_SCRATCH_DIR;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A port nothing listens on now (nginx cannot be asked to pick one and say which).
int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

std::optional<std::string> ClientReads(const std::string& answer) {
    std::optional<std::string> cut = ExtractTranslation(DecodeAnswerBytes(answer));
    if (!cut) return std::nullopt;
    return DecodeCharacterReferences(*cut);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// nginx in the foreground, as a child, with everything it writes under its own folder in the build tree.
class NginxProcess {
public:
    NginxProcess(int portA, int portB) {
        std::string templ = std::string(kScratchDir) + "/nginx-XXXXXX";
        if (!::mkdtemp(templ.data())) return;
        m_prefix = templ;
        std::string site = ReadFile(kSampleConfig);
        site = std::regex_replace(site, std::regex("server 127\\.0\\.0\\.1:8081"),
                                  "server 127.0.0.1:" + std::to_string(portA));
        site = std::regex_replace(site, std::regex("server 127\\.0\\.0\\.1:8082"),
                                  "server 127.0.0.1:" + std::to_string(portB));
        for (int attempt = 0; attempt < 3 && port == 0; ++attempt) {
            int candidate = FreePort();
            std::ofstream(m_prefix / "quillmar.conf") << std::regex_replace(
                site, std::regex("listen 80;"), "listen 127.0.0.1:" + std::to_string(candidate) + ";");
            std::string p = m_prefix.string();
            std::ofstream(m_prefix / "nginx.conf")
                << "daemon off;\nworker_processes 1;\npid " << p << "/nginx.pid;\nerror_log " << p
                << "/error.log warn;\nevents { worker_connections 512; }\nhttp {\n  access_log off;\n"
                << "  client_body_temp_path " << p << "/body;\n  proxy_temp_path " << p << "/proxy;\n"
                << "  fastcgi_temp_path " << p << "/fastcgi;\n  uwsgi_temp_path " << p << "/uwsgi;\n"
                << "  scgi_temp_path " << p << "/scgi;\n  include " << p << "/quillmar.conf;\n}\n";
            if (Start() && WaitListening(candidate)) port = candidate;
        }
    }
    ~NginxProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);  // fast shutdown
            for (int i = 0; i < 300 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(10ms);
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        std::error_code ignored;
        if (!m_prefix.empty()) std::filesystem::remove_all(m_prefix, ignored);
    }
    std::string ErrorLog() const { return ReadFile(m_prefix / "error.log"); }
    int port = 0;

private:
    bool Start() {
        std::string p = m_prefix.string() + "/";
        std::vector<std::string> args{kNginxProgram, "-p", p, "-e", p + "error.log", "-c", p + "nginx.conf"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        bool started = ::posix_spawn(&m_pid, kNginxProgram, &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!started) m_pid = -1;
        return started;
    }
    bool WaitListening(int candidate) {
        for (int i = 0; i < 300; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {  // it gave up (the port was taken meanwhile)
                m_pid = -1;
                return false;
            }
            int fd = testing::ConnectLoopback(candidate);
            if (fd >= 0) {
                ::close(fd);
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::filesystem::path m_prefix;
    pid_t m_pid = -1;
};

class NginxScaleOut : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing::Executable(kNginxProgram))
            << "nginx is not installed (scripts/setup.sh installs it)";
        a = std::make_unique<ServiceProcess>(kServiceProgram,
                                             std::vector<std::string>{"--engine", "phrasebook"});
        b = std::make_unique<ServiceProcess>(kServiceProgram,
                                             std::vector<std::string>{"--engine", "phrasebook"});
        ASSERT_GT(a->port, 0) << a->Log();
        ASSERT_GT(b->port, 0) << b->Log();
        nginx = std::make_unique<NginxProcess>(a->port, b->port);
        ASSERT_GT(nginx->port, 0) << nginx->ErrorLog();
    }
    bool Translated(std::string_view text, std::string_view expected) {
        testing::RawAnswer answer =
            Exchange(nginx->port,
                     ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=" + std::string(text)), 5000ms);
        return testing::StatusOf(answer.bytes) == 200 && ClientReads(answer.bytes) == expected;
    }
    static constexpr const char* kLogged = "GET /raging/translate.dyn en_fr 200 ";
    std::unique_ptr<ServiceProcess> a;
    std::unique_ptr<ServiceProcess> b;
    std::unique_ptr<NginxProcess> nginx;
};

TEST_F(NginxScaleOut, SpreadsRequestsOverBothInstancesWithTheServicesOwnAnswers) {
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Translated("good+morning", "bonjour")) << i;
    // A service logs a request just after answering it, so the last line can trail the last answer.
    std::size_t toA = 0;
    std::size_t toB = 0;
    for (int wait = 0; wait < 100; ++wait) {
        toA = Count(a->Log(), kLogged);
        toB = Count(b->Log(), kLogged);
        if (toA + toB >= 20u) break;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(toA + toB, 20u);
    EXPECT_GE(toA, 5u);
    EXPECT_GE(toB, 5u);

    // The answer comes through as the program needs it: whole, uncompressed, closed after it.
    testing::RawAnswer answer =
        Exchange(nginx->port, ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=thanks"), 5000ms);
    EXPECT_TRUE(answer.closed);
    std::string headers = testing::Lowered(answer.bytes.substr(0, answer.bytes.find("\r\n\r\n")));
    EXPECT_EQ(headers.find("content-encoding"), std::string::npos) << headers;
    EXPECT_EQ(ClientReads(answer.bytes), "merci");
}

TEST_F(NginxScaleOut, TakesWhatTheServiceTakesAndRefusesWhatItRefuses) {
    // Any text within the service's 8 KiB, fully percent-encoded, is far over nginx's usual 8 KiB lines.
    std::string encoded;
    for (std::size_t i = 0; i < kMaxTextBytes; ++i) encoded += "%61";
    EXPECT_TRUE(Translated(encoded, std::string(kMaxTextBytes, 'a')));
    testing::RawAnswer longer = Exchange(
        nginx->port, ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=" + encoded + "%61"), 1000ms);
    EXPECT_EQ(testing::StatusOf(longer.bytes), 414);
    // nginx answers at once but keeps reading for the body it refused a while (lingering close).
    testing::RawAnswer body = Exchange(
        nginx->port,
        "GET /raging/translate.dyn?lp=en_fr&urltext=hi HTTP/1.0\r\nContent-Length: 70000\r\n\r\n", 1000ms);
    EXPECT_EQ(testing::StatusOf(body.bytes), 413);
}

TEST_F(NginxScaleOut, LosesNoRequestWhenAnInstanceIsKilledInTheMiddleOfALoad) {
    constexpr int kClients = 4;
    constexpr int kEach = 40;
    std::atomic<int> done{0};
    std::atomic<int> right{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                if (Translated("good+night", "bonne nuit")) ++right;
                ++done;
            }
        });
    }
    while (done < kClients * kEach / 4) std::this_thread::sleep_for(1ms);
    std::size_t beforeB = Count(b->Log(), kLogged);
    a->Kill();
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(right, kClients * kEach);
    EXPECT_GT(Count(b->Log(), kLogged), beforeB);
}

TEST_F(NginxScaleOut, SlowClientsHeldByNginxNeverReachAnInstance) {
    constexpr int kSlow = 60;
    std::vector<int> slow;
    for (int i = 0; i < kSlow; ++i) {
        int fd = testing::ConnectLoopback(nginx->port);
        ASSERT_GE(fd, 0);
        testing::SendAll(fd, i % 2 ? "GET /raging/translate.dyn?lp=en_fr&urltext=hel" : "G");
        slow.push_back(fd);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(Translated("hello", "bonjour"));
    for (ServiceProcess* instance : {a.get(), b.get()}) {
        testing::RawAnswer health = Exchange(instance->port, "GET /healthz HTTP/1.0\r\n\r\n", 2000ms);
        EXPECT_EQ(testing::StatusOf(health.bytes), 200);
        // Only this health request itself is open on the instance.
        EXPECT_NE(health.bytes.find("connections open: 1\n"), std::string::npos) << health.bytes;
    }
    for (int fd : slow) ::close(fd);
    EXPECT_EQ(Count(a->Log(), kLogged) + Count(b->Log(), kLogged), 1u);
}

}  // namespace
}  // namespace quillmar::service

#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/EngineRouter.h"
#include "service/PhrasebookEngine.h"
#include "service/TranslationServer.h"

namespace quillmar::service::testing {

// An engine whose answers the test decides.
class ScriptedEngine : public TranslationEngine {
public:
    explicit ScriptedEngine(bool fail = false, std::string reply = {})
        : m_fail(fail), m_reply(std::move(reply)) {}
    std::string_view Name() const override { return "scripted"; }
    bool Covers(std::string_view pairCode) const override { return pairCode != "ru_en"; }
    EngineResult Translate(std::string_view, std::string_view text) override {
        lastText = std::string(text);
        if (m_fail) return EngineFailed("scripted failure");
        return Translated(m_reply.empty() ? std::string(text) : m_reply);
    }
    std::string lastText;

private:
    bool m_fail;
    std::string m_reply;
};

// A connected loopback socket, or -1.
inline int ConnectLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

struct RawAnswer {
    std::string bytes;
    bool closed = false;  // the server closed the connection (as opposed to our time limit running out)
};

// Everything the server sends until it closes the connection, or until the limit.
inline RawAnswer ReadUntilClosed(int fd, std::chrono::milliseconds limit) {
    RawAnswer answer;
    auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[8192];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) return answer;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            answer.closed = true;
            return answer;
        }
        answer.bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// One raw exchange: connect, send, read until the server closes.
inline RawAnswer Exchange(int port, std::string_view request,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    int fd = ConnectLoopback(port);
    if (fd < 0) return {};
    SendAll(fd, request);
    RawAnswer answer = ReadUntilClosed(fd, limit);
    ::close(fd);
    return answer;
}

// The request exactly as the translation program builds it (direct mode unless target is absolute).
inline std::string ClientRequest(std::string_view target, std::string_view host = "localhost") {
    std::string r = "GET " + std::string(target) + " HTTP/1.0\r\n";
    r += "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
         "application/vnd.ms-excel, application/msword, application/x-comet, */*\r\n";
    r += "Accept-Language: en\r\n";
    r += "Accept-Encoding: gzip , deflate\r\n";
    r += "Cache-Control: no-cache\r\n";
    r += "Proxy-Connection: Keep-Alive\r\n";
    r += "User-Agent:Quillmar-test\r\n";
    r += "Host: " + std::string(host) + "\r\n\r\n";
    return r;
}

inline int StatusOf(std::string_view answer) {
    if (answer.size() < 12 || answer.substr(0, 5) != "HTTP/") return 0;
    return std::stoi(std::string(answer.substr(9, 3)));
}

inline std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return out;
}

inline bool HasMarkers(std::string_view page) {
    std::string low = Lowered(page);
    return low.find("name=q") != std::string::npos || low.find("lass=h") != std::string::npos;
}

// A TranslationServer on a free loopback port, served by a thread for the test's lifetime.
class RunningServer {
public:
    explicit RunningServer(std::unique_ptr<TranslationEngine> chosen, ServerOptions options = TestOptions())
        : m_router(std::move(chosen), std::make_unique<PhrasebookEngine>()),
          m_server(std::move(options), m_router, [this](const std::string& line) {
              std::lock_guard lock(m_logMutex);
              m_log.push_back(line);
          }) {
        bound = m_server.Bind().Ok();
        if (bound) m_thread = std::thread([this] { m_server.Run(); });
    }
    ~RunningServer() { Stop(); }
    // Returns once the server has finished what it was answering.
    void Stop() {
        m_server.Stop();
        if (m_thread.joinable()) m_thread.join();
    }
    long OpenConnections() const { return m_server.OpenConnections(); }
    static ServerOptions TestOptions() {
        ServerOptions options;
        options.port = 0;
        options.threads = 4;
        options.ioThreads = 2;
        options.readTimeout = std::chrono::milliseconds(700);
        return options;
    }
    int Port() const { return m_server.Port(); }
    // The log lines so far, after waiting up to a second for at least count of them (the logger runs
    // after the answer has gone out).
    std::vector<std::string> Log(std::size_t count = 0) const {
        for (int i = 0; i < 100; ++i) {
            {
                std::lock_guard lock(m_logMutex);
                if (m_log.size() >= count) return m_log;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard lock(m_logMutex);
        return m_log;
    }
    bool bound = false;

private:
    EngineRouter m_router;
    mutable std::mutex m_logMutex;
    std::vector<std::string> m_log;
    TranslationServer m_server;
    std::thread m_thread;
};

}  // namespace quillmar::service::testing

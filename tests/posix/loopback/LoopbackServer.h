#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillmar::testing {

// A blocking TCP server on 127.0.0.1 with its own thread; each accepted connection is handed to the
// session function, one after another, and closed when it returns.
class LoopbackServer {
public:
    using Session = std::function<void(LoopbackServer& server, int fd)>;

    explicit LoopbackServer(Session session) : m_session(std::move(session)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 16);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~LoopbackServer() {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    bool Stopping() const { return m_stop; }

    // What each session recorded with Record(), in order.
    std::vector<std::string> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    void Record(std::string request) {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(request));
    }
    int Accepted() const { return m_accepted; }

    // Reads until the blank line that ends an HTTP request head, the peer's close, or the limit.
    std::string ReadRequest(int fd, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        std::string bytes;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (bytes.find("\r\n\r\n") == std::string::npos) {
            if (!WaitReadable(fd, end)) break;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    // Blocks until the peer closes (or the server stops); returns whatever arrived meanwhile.
    std::string DrainUntilPeerCloses(int fd) {
        std::string bytes;
        while (!m_stop) {
            if (!WaitReadable(fd, std::chrono::steady_clock::now() + std::chrono::milliseconds(50))) continue;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    static void SendAll(int fd, std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    // Makes close() send a reset instead of an orderly end.
    static void AbortOnClose(int fd) {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }

private:
    static bool WaitReadable(int fd, std::chrono::steady_clock::time_point end) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, static_cast<int>(left.count())) > 0;
    }

    void Serve() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            ++m_accepted;
            m_session(*this, fd);
            ::close(fd);
        }
    }

    Session m_session;
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// A loopback port on which nothing listens (bound for a moment, then released).
inline std::uint16_t UnusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

}  // namespace quillmar::testing

#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

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

// A plain blocking Winsock server on 127.0.0.1 with its own thread; each accepted connection is handed
// to the session function, one after another, and closed when it returns.
class WinLoopbackServer {
public:
    using Session = std::function<void(WinLoopbackServer& server, SOCKET client)>;

    explicit WinLoopbackServer(Session session) : m_session(std::move(session)) {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_listen, 16);
        int len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~WinLoopbackServer() {
        m_stop = true;
        m_thread.join();
        closesocket(m_listen);
        WSACleanup();
    }

    WinLoopbackServer(const WinLoopbackServer&) = delete;
    WinLoopbackServer& operator=(const WinLoopbackServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    bool Stopping() const { return m_stop; }

    std::vector<std::string> Requests() {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    void Record(std::string request) {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(request));
    }

    // Reads until the blank line that ends an HTTP request head, the peer's close, or five seconds.
    std::string ReadRequest(SOCKET s) {
        std::string bytes;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bytes.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
            if (!Readable(s, 50)) continue;
            char buffer[4096];
            const int n = ::recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

    // Blocks until the peer closes or the server stops.
    void WaitForPeerClose(SOCKET s) {
        while (!m_stop) {
            if (!Readable(s, 50)) continue;
            char buffer[4096];
            if (::recv(s, buffer, sizeof buffer, 0) <= 0) break;
        }
    }

    static void SendAll(SOCKET s, std::string_view bytes) {
        while (!bytes.empty()) {
            const int n = ::send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
            if (n <= 0) return;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

private:
    static bool Readable(SOCKET s, long milliseconds) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval wait{0, milliseconds * 1000};
        return ::select(0, &set, nullptr, nullptr, &wait) > 0;
    }

    void Serve() {
        while (!m_stop) {
            if (!Readable(m_listen, 20)) continue;
            const SOCKET client = ::accept(m_listen, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            m_session(*this, client);
            closesocket(client);
        }
    }

    Session m_session;
    SOCKET m_listen = INVALID_SOCKET;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// A loopback port on which nothing listens (bound for a moment, then released).
inline std::uint16_t UnusedLoopbackPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

}  // namespace quillmar::testing

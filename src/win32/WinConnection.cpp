#include "win32/WinConnection.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "win32/WinMessageWindow.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

// A later error (a failed send, a failed name lookup) reported from the message loop; wParam holds the
// connection generation it belongs to, lParam the error code.
constexpr UINT kDeferredErrorMessage = WM_APP + 1;
// A name lookup finished on the resolver thread; wParam holds the connection generation it was made for.
constexpr UINT kResolvedMessage = WM_APP + 2;
// Each socket gets its own notification message from this range, so a notification still queued for a
// closed socket can never pass for one of its successor, even when the socket handle is reused.
constexpr UINT kSocketMessageFirst = WM_APP + 0x100;
constexpr UINT kSocketMessageCount = 0x1000;
constexpr int kReadChunk = 64 * 1024;

struct Address {
    int family = AF_INET;
    sockaddr_storage storage{};
    int length = 0;
};

// The addresses of host:port; numericOnly: only a literal address is taken, without asking any name
// service, so it can never wait. Zero or the lookup's error code.
int LookUp(const std::wstring& host, std::uint16_t port, bool numericOnly, std::vector<Address>& addresses) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    if (numericOnly) hints.ai_flags = AI_NUMERICHOST;
    ADDRINFOW* results = nullptr;
    const std::wstring service = std::to_wstring(port);
    const int rc = GetAddrInfoW(host.c_str(), service.c_str(), &hints, &results);
    if (rc != 0 || results == nullptr) return rc != 0 ? rc : WSAHOST_NOT_FOUND;
    for (const ADDRINFOW* ai = results; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_addrlen > sizeof(sockaddr_storage)) continue;
        Address address;
        address.family = ai->ai_family;
        address.length = static_cast<int>(ai->ai_addrlen);
        std::memcpy(&address.storage, ai->ai_addr, ai->ai_addrlen);
        addresses.push_back(address);
    }
    FreeAddrInfoW(results);
    return addresses.empty() ? WSAHOST_NOT_FOUND : 0;
}

// One name lookup on the resolver thread. The thread and the connection share it; the thread fills it
// in, marks it done and posts a note to the connection's window. The connection reads it only once done,
// and only if it is still the one it waits for; a lookup outlived by its connection is simply dropped.
struct PendingLookup {
    std::wstring host;
    std::uint16_t port = 0;
    std::vector<Address> addresses;
    int error = 0;
    std::atomic<bool> done{false};
};
}  // namespace

struct WinConnection::Impl final : MessageTarget, std::enable_shared_from_this<WinConnection::Impl> {
    Impl() : started(WSAStartup(MAKEWORD(2, 2), &wsa) == 0), window(*this) {}
    ~Impl() override {
        CloseSocket();
        if (started) WSACleanup();
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    WSADATA wsa{};
    bool started;
    WinMessageWindow window;
    ConnectionListener* listener = nullptr;
    ConnectionState state = ConnectionState::Closed;
    // Bumped by every Close(): anything still queued for an older value is dropped.
    std::uint64_t generation = 0;
    SOCKET socket = INVALID_SOCKET;
    UINT socketMessage = kSocketMessageFirst;
    unsigned messageCounter = 0;
    std::vector<Address> addresses;
    std::shared_ptr<PendingLookup> lookup;  // the name lookup this connection waits for
    std::size_t nextAddress = 0;
    int lastConnectError = 0;
    std::string received;
    std::string outgoing;

    HWND Hwnd() const { return window.Hwnd(); }

    void CloseSocket() {
        if (socket == INVALID_SOCKET) return;
        closesocket(socket);  // also ends WSAAsyncSelect for it
        socket = INVALID_SOCKET;
        MSG msg;
        while (PeekMessageW(&msg, Hwnd(), socketMessage, socketMessage, PM_REMOVE) != 0) {
        }
    }

    void Reset() {
        ++generation;
        CloseSocket();
        MSG msg;
        while (PeekMessageW(&msg, Hwnd(), kDeferredErrorMessage, kDeferredErrorMessage, PM_REMOVE) != 0) {
        }
        state = ConnectionState::Closed;
        addresses.clear();
        lookup.reset();
        nextAddress = 0;
        lastConnectError = 0;
        received.clear();
        outgoing.clear();
    }

    void Fail(int code) {
        Reset();
        if (listener != nullptr) listener->OnError(ConnectionError{code, SystemErrorText(code)});
    }

    // For failures found inside a Connection call: events never come from inside one.
    void DeferFail(int code) {
        PostMessageW(Hwnd(), kDeferredErrorMessage, static_cast<WPARAM>(generation),
                     static_cast<LPARAM>(code));
    }

    // True when the addresses are known now (a literal address); otherwise a lookup runs on the
    // resolver thread and ends in kResolvedMessage, or a failure is on its way.
    bool Resolve(const std::string& host, std::uint16_t port) {
        if (host.empty()) {
            DeferFail(WSAHOST_NOT_FOUND);
            return false;
        }
        const std::wstring wideHost = Utf8ToWide(host);
        if (LookUp(wideHost, port, true, addresses) == 0) return true;
        // A name can take seconds to resolve (a remote service address, a slow or absent DNS server):
        // on this thread that would freeze the tray and the toolbar, so the one worker thread asks.
        auto pending = std::make_shared<PendingLookup>();
        pending->host = wideHost;
        pending->port = port;
        lookup = pending;
        const HWND target = Hwnd();
        const auto forGeneration = static_cast<WPARAM>(generation);
        try {
            std::thread([pending, target, forGeneration] {
                // Its own hold on Winsock, so a connection ended meanwhile cannot unload it mid-lookup.
                WSADATA data{};
                const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
                pending->error = LookUp(pending->host, pending->port, false, pending->addresses);
                if (started) WSACleanup();
                pending->done.store(true, std::memory_order_release);
                // Fails harmlessly when the connection and its window are gone.
                PostMessageW(target, kResolvedMessage, forGeneration, 0);
            }).detach();
        } catch (...) {  // no thread to be had: say so as a failed lookup, never throw out of Connect
            lookup.reset();
            DeferFail(WSATRY_AGAIN);
        }
        return false;
    }

    void OnResolved(WPARAM forGeneration) {
        if (static_cast<WPARAM>(generation) != forGeneration || state != ConnectionState::Connecting ||
            !lookup || !lookup->done.load(std::memory_order_acquire)) {
            return;
        }
        const std::shared_ptr<PendingLookup> finished = std::move(lookup);
        if (finished->error != 0) {
            Fail(finished->error);
            return;
        }
        addresses = std::move(finished->addresses);
        if (!ConnectNextAddress()) Fail(lastConnectError);
    }

    // Starts a non-blocking connect to the next address; returns false (with lastConnectError set) when
    // no address is left to try.
    bool ConnectNextAddress() {
        CloseSocket();
        while (nextAddress < addresses.size()) {
            const Address& address = addresses[nextAddress++];
            socket = ::socket(address.family, SOCK_STREAM, IPPROTO_TCP);
            if (socket == INVALID_SOCKET) {
                lastConnectError = WSAGetLastError();
                continue;
            }
            socketMessage = kSocketMessageFirst + (messageCounter++ % kSocketMessageCount);
            if (WSAAsyncSelect(socket, Hwnd(), socketMessage, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) ==
                0) {
                const auto* target = reinterpret_cast<const sockaddr*>(&address.storage);
                if (::connect(socket, target, address.length) == 0) return true;
                lastConnectError = WSAGetLastError();
                if (lastConnectError == WSAEWOULDBLOCK) return true;
            } else {
                lastConnectError = WSAGetLastError();
            }
            CloseSocket();
        }
        if (lastConnectError == 0) lastConnectError = WSAHOST_NOT_FOUND;
        return false;
    }

    // Takes in everything waiting on the socket; returns a receive error, or 0.
    int ReadAvailable() {
        char buffer[kReadChunk];
        for (;;) {
            const int n = recv(socket, buffer, kReadChunk, 0);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0) return 0;
            const int error = WSAGetLastError();
            return error == WSAEWOULDBLOCK ? 0 : error;
        }
    }

    // Sends what the socket takes now; the rest goes out on FD_WRITE. Returns a send error, or 0.
    int Flush() {
        while (!outgoing.empty()) {
            const int chunk = static_cast<int>(std::min<std::size_t>(outgoing.size(), 1 << 20));
            const int n = send(socket, outgoing.data(), chunk, 0);
            if (n == SOCKET_ERROR) {
                const int error = WSAGetLastError();
                return error == WSAEWOULDBLOCK ? 0 : error;
            }
            outgoing.erase(0, static_cast<std::size_t>(n));
        }
        return 0;
    }

    // Delivers the data that arrived since the last event; false when the listener closed the connection.
    bool DeliverArrivals(std::size_t before, std::uint64_t gen) {
        if (received.size() > before && listener != nullptr) listener->OnDataArrival(received.size());
        return gen == generation;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kDeferredErrorMessage) {
            if (static_cast<WPARAM>(generation) != wParam || state == ConnectionState::Closed) return true;
            const auto keep = shared_from_this();  // the listener may destroy the connection
            Fail(static_cast<int>(lParam));
            return true;
        }
        if (message == kResolvedMessage) {
            const auto keep = shared_from_this();  // the listener may destroy the connection
            OnResolved(wParam);
            return true;
        }
        if (message != socketMessage || socket == INVALID_SOCKET || static_cast<SOCKET>(wParam) != socket) {
            return message >= kSocketMessageFirst && message < kSocketMessageFirst + kSocketMessageCount;
        }
        const auto keep = shared_from_this();
        const std::uint64_t gen = generation;
        const int event = WSAGETSELECTEVENT(lParam);
        const int error = WSAGETSELECTERROR(lParam);
        switch (event) {
            case FD_CONNECT:
                if (error != 0) {
                    lastConnectError = error;
                    if (!ConnectNextAddress()) Fail(lastConnectError);
                    break;
                }
                state = ConnectionState::Open;
                addresses.clear();
                if (listener != nullptr) listener->OnConnect();
                break;
            case FD_READ: {
                const std::size_t before = received.size();
                const int readError = ReadAvailable();
                if (!DeliverArrivals(before, gen)) break;
                if (readError != 0) Fail(readError);
                break;
            }
            case FD_WRITE:
                if (const int sendError = Flush(); sendError != 0) Fail(sendError);
                break;
            case FD_CLOSE: {
                // Data may still wait behind the close notification: it comes first.
                const std::size_t before = received.size();
                const int readError = ReadAvailable();
                if (!DeliverArrivals(before, gen)) break;
                if (error != 0 || readError != 0) {
                    Fail(error != 0 ? error : readError);
                    break;
                }
                if (listener != nullptr) listener->OnClose();
                break;
            }
            default:
                break;
        }
        return true;
    }
};

WinConnection::WinConnection() : m_impl(std::make_shared<Impl>()) {}

WinConnection::~WinConnection() {
    m_impl->Reset();
    m_impl->listener = nullptr;
}

void WinConnection::SetListener(ConnectionListener* listener) {
    m_impl->listener = listener;
}

bool WinConnection::Connect(const std::string& host, std::uint16_t port) {
    Impl& impl = *m_impl;
    if (impl.state != ConnectionState::Closed) return false;
    impl.Reset();
    impl.state = ConnectionState::Connecting;
    if (!impl.started) {
        impl.DeferFail(WSANOTINITIALISED);
        return true;
    }
    if (!impl.Resolve(host, port)) return true;
    if (!impl.ConnectNextAddress()) impl.DeferFail(impl.lastConnectError);
    return true;
}

bool WinConnection::SendData(std::string_view bytes) {
    Impl& impl = *m_impl;
    if (impl.state != ConnectionState::Open || impl.socket == INVALID_SOCKET) return false;
    impl.outgoing.append(bytes);
    if (const int error = impl.Flush(); error != 0) impl.DeferFail(error);
    return true;
}

std::string WinConnection::GetData() {
    return std::exchange(m_impl->received, {});
}

void WinConnection::Close() {
    m_impl->Reset();
}

ConnectionState WinConnection::State() const {
    return m_impl->state;
}

}  // namespace quillmar::win32

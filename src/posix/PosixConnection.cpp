#include "posix/PosixConnection.h"

#include <array>
#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>
#include <cstdint>
#include <utility>

namespace quillmar::posix {

namespace {

constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

ConnectionError ToConnectionError(const std::error_code& ec) {
    return ConnectionError{ec.value(), ec.message()};
}

}  // namespace

struct PosixConnection::Impl : std::enable_shared_from_this<PosixConnection::Impl> {
    explicit Impl(asio::io_context& io) : resolver(io), socket(io) {}

    asio::ip::tcp::resolver resolver;
    asio::ip::tcp::socket socket;
    ConnectionListener* listener = nullptr;
    ConnectionState state = ConnectionState::Closed;
    // Bumped by every Close(): a completion carrying an older value belongs to a connection that is gone.
    std::uint64_t generation = 0;
    std::string received;
    std::string queued;  // waits for the write under way
    bool writing = false;

    bool Current(std::uint64_t gen) const { return gen == generation; }

    void Reset() {
        ++generation;
        std::error_code ignored;
        resolver.cancel();
        socket.close(ignored);
        state = ConnectionState::Closed;
        received.clear();
        queued.clear();
        writing = false;
    }

    void Fail(const std::error_code& ec) {
        Reset();
        if (listener != nullptr) listener->OnError(ToConnectionError(ec));
    }

    template <typename Handler>
    auto Guard(Handler handler) {
        // Completions run on the loop; they act only while the connection they were started for lives.
        return [weak = weak_from_this(), gen = generation,
                handler = std::move(handler)](auto&&... args) mutable {
            const auto self = weak.lock();
            if (!self || !self->Current(gen)) return;
            handler(*self, gen, std::forward<decltype(args)>(args)...);
        };
    }

    void StartResolve(const std::string& host, std::uint16_t port) {
        if (host.empty()) {
            // The resolver would read an empty name as this machine; a connection needs a named host.
            asio::post(socket.get_executor(), Guard([](Impl& self, std::uint64_t) {
                           self.Fail(asio::error::make_error_code(asio::error::host_not_found));
                       }));
            return;
        }
        resolver.async_resolve(host, std::to_string(port), asio::ip::tcp::resolver::numeric_service,
                               Guard([](Impl& self, std::uint64_t, const std::error_code& ec,
                                        const asio::ip::tcp::resolver::results_type& results) {
                                   if (ec) return self.Fail(ec);
                                   self.StartConnect(results);
                               }));
    }

    void StartConnect(const asio::ip::tcp::resolver::results_type& results) {
        asio::async_connect(socket, results,
                            Guard([](Impl& self, std::uint64_t gen, const std::error_code& ec,
                                     const asio::ip::tcp::endpoint&) {
                                if (ec) return self.Fail(ec);
                                self.state = ConnectionState::Open;
                                if (self.listener != nullptr) self.listener->OnConnect();
                                if (self.Current(gen))
                                    self.StartRead(std::make_shared<std::array<char, kReadChunk>>());
                            }));
    }

    void StartRead(std::shared_ptr<std::array<char, kReadChunk>> buffer) {
        auto* data = buffer->data();
        socket.async_read_some(
            asio::buffer(data, kReadChunk),
            Guard([buffer = std::move(buffer)](Impl& self, std::uint64_t gen, const std::error_code& ec,
                                               std::size_t count) {
                if (count > 0) {
                    self.received.append(buffer->data(), count);
                    if (self.listener != nullptr) self.listener->OnDataArrival(self.received.size());
                    if (!self.Current(gen)) return;
                }
                if (ec == asio::error::eof) {
                    // Stays open (as the listener sees it) until the listener closes it.
                    if (self.listener != nullptr) self.listener->OnClose();
                    return;
                }
                if (ec) return self.Fail(ec);
                self.StartRead(buffer);
            }));
    }

    void StartWrite() {
        auto bytes = std::make_shared<std::string>(std::exchange(queued, {}));
        writing = true;
        asio::async_write(socket, asio::buffer(*bytes),
                          Guard([bytes](Impl& self, std::uint64_t, const std::error_code& ec, std::size_t) {
                              if (ec) return self.Fail(ec);
                              self.writing = false;
                              if (!self.queued.empty()) self.StartWrite();
                          }));
    }
};

PosixConnection::PosixConnection(PosixEventLoop& loop) : m_impl(std::make_shared<Impl>(loop.Context())) {}

PosixConnection::~PosixConnection() {
    m_impl->Reset();
}

void PosixConnection::SetListener(ConnectionListener* listener) {
    m_impl->listener = listener;
}

bool PosixConnection::Connect(const std::string& host, std::uint16_t port) {
    if (m_impl->state != ConnectionState::Closed) return false;
    m_impl->Reset();
    m_impl->state = ConnectionState::Connecting;
    m_impl->StartResolve(host, port);
    return true;
}

bool PosixConnection::SendData(std::string_view bytes) {
    if (m_impl->state != ConnectionState::Open) return false;
    m_impl->queued.append(bytes);
    if (!m_impl->writing && !m_impl->queued.empty()) m_impl->StartWrite();
    return true;
}

std::string PosixConnection::GetData() {
    return std::exchange(m_impl->received, {});
}

void PosixConnection::Close() {
    m_impl->Reset();
}

ConnectionState PosixConnection::State() const {
    return m_impl->state;
}

}  // namespace quillmar::posix

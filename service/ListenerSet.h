#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "service/Result.h"

namespace quillmar::service {

// The listening sockets of the service's one port, one per I/O context. Where the system lets them share
// the port (SO_REUSEPORT), all of them listen: the kernel spreads the connections over them and each is
// served where it was accepted, with no hand-off to another thread. Where it refuses, only the first one
// listens. Socket i belongs to context i.
class ListenerSet {
public:
    explicit ListenerSet(const std::vector<std::unique_ptr<asio::io_context>>& contexts);

    // Binds and listens; a failure names the address and why.
    Status Bind(const std::string& host, int port, int backlog);
    // The port bound (useful with port 0), or -1.
    int Port() const { return m_port; }
    // Sockets bound and listening: 0, 1, or one per context.
    std::size_t Listening() const { return m_listening; }
    std::size_t Size() const { return m_acceptors.size(); }
    asio::ip::tcp::acceptor& At(std::size_t index) { return *m_acceptors[index]; }

private:
    std::vector<std::unique_ptr<asio::ip::tcp::acceptor>> m_acceptors;
    std::size_t m_listening = 0;
    int m_port = -1;
};

}  // namespace quillmar::service

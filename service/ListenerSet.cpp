#include "service/ListenerSet.h"

#ifndef _WIN32
#include <sys/socket.h>
#endif

namespace quillmar::service {

namespace {

using asio::ip::tcp;

// Lets further listeners bind the same port; false where the system does not allow it.
bool SharePort(tcp::acceptor& acceptor) {
#ifdef SO_REUSEPORT
    int yes = 1;
    return ::setsockopt(acceptor.native_handle(), SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes) == 0;
#else
    (void)acceptor;
    return false;
#endif
}

}  // namespace

ListenerSet::ListenerSet(const std::vector<std::unique_ptr<asio::io_context>>& contexts) {
    for (const auto& context : contexts) m_acceptors.push_back(std::make_unique<tcp::acceptor>(*context));
}

Status ListenerSet::Bind(const std::string& host, int port, int backlog) {
    m_port = -1;
    tcp::acceptor& first = *m_acceptors[0];
    asio::error_code error;
    tcp::endpoint endpoint;
    asio::ip::address address = asio::ip::make_address(host, error);
    if (!error) {
        endpoint = tcp::endpoint(address, static_cast<unsigned short>(port));
    } else {
        tcp::resolver resolver(first.get_executor());
        auto results = resolver.resolve(host, std::to_string(port), error);
        if (!error && !results.empty()) endpoint = results.begin()->endpoint();
    }
    // A shared port would also let a second service of the same user bind it without a word, and the
    // two would split the connections between them. A plain bind first refuses a taken port as before.
    if (!error && endpoint.port() != 0 && m_acceptors.size() > 1) {
        tcp::acceptor probe(first.get_executor());
        probe.open(endpoint.protocol(), error);
        if (!error) probe.set_option(tcp::acceptor::reuse_address(true), error);
        if (!error) probe.bind(endpoint, error);
        asio::error_code ignored;
        probe.close(ignored);
    }
    if (!error) first.open(endpoint.protocol(), error);
    if (!error) first.set_option(tcp::acceptor::reuse_address(true), error);
    // Not fatal: without a shared port one listener hands the connections round.
    bool shared = !error && m_acceptors.size() > 1 && SharePort(first);
    if (!error) first.bind(endpoint, error);
    if (!error) first.listen(backlog, error);
    if (error) {
        asio::error_code ignored;
        first.close(ignored);
        return Failure{"cannot listen on " + host + ":" + std::to_string(port) + ": " + error.message()};
    }
    m_listening = 1;
    m_port = first.local_endpoint().port();
    // The others on the port the first one got (port 0 picks it once).
    endpoint.port(static_cast<unsigned short>(m_port));
    for (std::size_t i = 1; shared && i < m_acceptors.size(); ++i) {
        tcp::acceptor& other = *m_acceptors[i];
        asio::error_code otherError;
        other.open(endpoint.protocol(), otherError);
        if (!otherError) other.set_option(tcp::acceptor::reuse_address(true), otherError);
        if (!otherError && !SharePort(other)) otherError = asio::error::operation_not_supported;
        if (!otherError) other.bind(endpoint, otherError);
        if (!otherError) other.listen(backlog, otherError);
        if (otherError) {
            // All or one: a partial set would leave some I/O threads without connections.
            for (std::size_t j = 1; j <= i; ++j) m_acceptors[j]->close(otherError);
            m_listening = 1;
            break;
        }
        m_listening = i + 1;
    }
    return {};
}

}  // namespace quillmar::service

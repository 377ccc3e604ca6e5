// The upstream POST over plain HTTP with Asio, for builds without cpp-httplib's library (Windows).
#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include <cctype>
#include <charconv>

#include "service/UpstreamEngine.h"

namespace quillmar::service {
namespace {

using asio::ip::tcp;

// More than any translation of a text of 8 KiB: a bigger answer is not read into memory.
constexpr std::size_t kMaxAnswer = 1 << 20;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// "HTTP/1.x NNN ...", header fields, an empty line, then the body up to the end of the connection.
std::optional<UpstreamReply> ParseAnswer(const std::string& bytes, std::string& error) {
    const std::size_t headEnd = bytes.find("\r\n\r\n");
    if (bytes.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos || bytes.size() < 12) {
        error = "not an HTTP answer";
        return std::nullopt;
    }
    UpstreamReply reply;
    if (std::from_chars(bytes.data() + 9, bytes.data() + 12, reply.status).ec != std::errc{}) {
        error = "not an HTTP answer";
        return std::nullopt;
    }
    const std::string head = Lower(std::string_view(bytes).substr(0, headEnd));
    // An HTTP/1.0 request is never answered chunked (RFC 9112, 7.1); a server that does is not understood.
    if (head.find("\r\ntransfer-encoding:") != std::string::npos) {
        error = "an answer in a transfer coding";
        return std::nullopt;
    }
    reply.body = bytes.substr(headEnd + 4);
    return reply;
}

}  // namespace

std::optional<UpstreamReply> PostWithAsio(const UpstreamAddress& address, const std::string& target,
                                          const std::string& body, const UpstreamOptions& options,
                                          std::string& error) {
    constexpr std::string_view kScheme = "http://";
    if (address.schemeHostPort.rfind(kScheme, 0) != 0) {
        error = "only http:// addresses can be reached from this build";
        return std::nullopt;
    }
    const std::string authority = address.schemeHostPort.substr(kScheme.size());
    std::string host = authority;
    std::string port = "80";
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);

    asio::io_context io;
    tcp::socket socket(io);
    asio::error_code failure = asio::error::timed_out;
    tcp::resolver resolver(io);
    const tcp::resolver::results_type endpoints = resolver.resolve(host, port, failure);
    if (failure) {
        error = "cannot resolve " + host + ": " + failure.message();
        return std::nullopt;
    }
    failure = asio::error::timed_out;
    asio::async_connect(socket, endpoints, [&](const asio::error_code& e, const tcp::endpoint&) { failure = e; });
    io.run_for(options.connectTimeout);
    if (failure) {
        error = "cannot connect to " + authority + ": " + failure.message();
        return std::nullopt;
    }

    const std::string request = "POST " + target + " HTTP/1.0\r\nHost: " + authority +
                                "\r\nContent-Type: application/json\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    std::string answer;
    failure = asio::error::timed_out;
    asio::async_write(socket, asio::buffer(request), [&](const asio::error_code& e, std::size_t) {
        if (e) {
            failure = e;
            return;
        }
        // Connection: close - the answer ends where the server closes.
        asio::async_read(socket, asio::dynamic_buffer(answer, kMaxAnswer),
                         [&](const asio::error_code& r, std::size_t) { failure = r; });
    });
    io.restart();
    io.run_for(options.readTimeout);
    if (failure != asio::error::eof) {
        error = failure == asio::error::timed_out ? "no answer within the read time-out"
                                                   : "the answer broke off: " + failure.message();
        return std::nullopt;
    }
    return ParseAnswer(answer, error);
}

}  // namespace quillmar::service

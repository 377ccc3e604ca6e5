#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quillmar::service {

// One request to an engine's API. The URL is whole: "https://host[:port]/path[?query]" (or http://).
struct HttpCall {
    std::string method = "POST";  // "GET" or "POST"
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;  // besides Host, Content-Length, Connection
    std::string body;                                          // sent only for POST
    std::string contentType = "application/json";              // for POST
    std::chrono::milliseconds timeout{10000};                  // the whole call: connect to last byte
};

// Whatever the server answered, any status.
struct HttpReply {
    int status = 0;
    std::string body;
};

// Why no answer came. The kinds are what the log, the error page and the program's dialog tell apart.
enum class TransportFailureKind {
    NoConnection,           // refused, unreachable, name not found, connection dropped
    Tls,                    // handshake or TLS protocol failure other than trust
    CertificateNotTrusted,  // chain not trusted, or the name does not match
    TimedOut,
    BadAddress,  // the URL cannot be used (scheme, host, port)
    Other,
};

struct TransportFailure {
    TransportFailureKind kind = TransportFailureKind::Other;
    std::string detail;  // for the log: never holds a key or the text
};

using HttpOutcome = std::variant<HttpReply, TransportFailure>;

struct TransportOptions {
    std::string caFile;            // PEM certificates trusted besides the system's; empty: none
    bool reuseConnections = true;  // keep one kept-alive connection per host and use it again
};

// The HTTP(S) client the engines speak through. Send may be called from several threads at once;
// certificates and host names are always checked.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpOutcome Send(const HttpCall& call) = 0;
};

// The platform's own: OpenSSL (through cpp-httplib) on Linux, WinHTTP on Windows.
std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportOptions& options);

}  // namespace quillmar::service

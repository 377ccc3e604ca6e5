#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "service/EngineChain.h"
#include "service/Result.h"

namespace quillmar::service {

// The two ends of an accepted connection, as this side sees them.
struct ConnectionEnds {
    std::string localAddress;  // ours, such as "127.0.0.1" or "::1"
    int localPort = 0;
    std::string peerAddress;  // the client's
    int peerPort = 0;
};

// Whether to serve a connection just accepted; a refused one is closed before anything is read. Called on
// the thread that accepted it.
using AcceptFilter = std::function<bool(const ConnectionEnds& ends)>;

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 80;      // 0 picks a free port
    int threads = 0;    // threads that run the engines; 0: one per core
    int ioThreads = 0;  // threads that move bytes for every connection; 0: two per core
    std::chrono::milliseconds readTimeout{5000};      // a client that sends nothing for this long is dropped
    std::chrono::milliseconds requestTimeout{30000};  // and one whose request is not whole after this long
    int backlog = 1024;
    std::string skinsDir;       // the skin gallery lists the skins in it; empty: none are listed
    AcceptFilter acceptFilter;  // empty: every connection is served
};

// Receives one line per request (without the line end); called from any thread, one at a time.
using LogSink = std::function<void(const std::string& line)>;

// The HTTP side of the service: GET /raging/translate.dyn in origin or absolute form, /healthz and the skin
// gallery; one answer per connection (always closed after it, never compressed), a log line per request.
// Connections are served by a few event-driven threads, so a client that is slow to send costs no thread;
// the engines run on a separate bounded pool of worker threads.
class TranslationServer {
public:
    TranslationServer(ServerOptions options, EngineChain& chain, LogSink log);
    ~TranslationServer();
    TranslationServer(const TranslationServer&) = delete;
    TranslationServer& operator=(const TranslationServer&) = delete;

    // Binds the listening sockets; a failure names the address and why.
    Status Bind();
    // The port bound (useful with port 0).
    int Port() const;
    // Serves until Stop(); Bind() first. Requests being answered when Stop() comes are finished.
    void Run();
    // Safe from any thread, before or during Run(); Run() returns soon after.
    void Stop();
    // Client connections open now.
    long OpenConnections() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quillmar::service

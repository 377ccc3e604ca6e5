#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "service/EngineRouter.h"
#include "service/Result.h"

namespace quillmar::service {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 80;      // 0 picks a free port
    int threads = 0;    // threads that run the engines; 0: one per core
    int ioThreads = 0;  // threads that move bytes for every connection; 0: two per core
    std::chrono::milliseconds readTimeout{5000};      // a client that sends nothing for this long is dropped
    std::chrono::milliseconds requestTimeout{30000};  // and one whose request is not whole after this long
    int backlog = 1024;
    std::string skinsDir;  // the skin gallery lists the skins in it; empty: none are listed
};

// Receives one line per request (without the line end); called from any thread, one at a time.
using LogSink = std::function<void(const std::string& line)>;

// The HTTP side of the service: GET /raging/translate.dyn in origin or absolute form, /healthz and the skin
// gallery; one answer per connection (always closed after it, never compressed), a log line per request.
// Connections are served by a few event-driven threads, so a client that is slow to send costs no thread;
// the engines run on a separate bounded pool of worker threads.
class TranslationServer {
public:
    TranslationServer(ServerOptions options, EngineRouter& router, LogSink log);
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

#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "service/EngineRouter.h"

namespace httplib {
class Server;
}

namespace quillmar::service {

struct ServerOptions {
    std::string host = "127.0.0.1";
    int port = 80;  // 0 picks a free port
    int threads = 16;
    std::chrono::milliseconds readTimeout{5000};  // a client that sends nothing for this long is dropped
    int backlog = 1024;
};

// Receives one line per request (without the line end); called from the worker threads, one at a time.
using LogSink = std::function<void(const std::string& line)>;

// The HTTP side of the service: GET /raging/translate.dyn in origin or absolute form, one answer per
// connection (always closed after it, never compressed), a log line per request.
class TranslationServer {
public:
    TranslationServer(ServerOptions options, EngineRouter& router, LogSink log);
    ~TranslationServer();
    TranslationServer(const TranslationServer&) = delete;
    TranslationServer& operator=(const TranslationServer&) = delete;

    // Binds the listening socket; false (with reason) when it cannot.
    bool Bind(std::string* reason = nullptr);
    // The port bound (useful with port 0).
    int Port() const { return m_port; }
    // Serves until Stop(); Bind() first.
    void Run();
    // Safe from any thread; Run() returns soon after.
    void Stop();

private:
    void Log(const std::string& line);

    ServerOptions m_options;
    EngineRouter& m_router;
    LogSink m_log;
    std::mutex m_logMutex;
    std::unique_ptr<httplib::Server> m_server;
    std::mutex m_runMutex;
    bool m_runEntered = false;
    bool m_stopRequested = false;
    std::atomic<bool> m_finished{false};
    int m_listenFd = -1;
    int m_port = -1;
};

}  // namespace quillmar::service

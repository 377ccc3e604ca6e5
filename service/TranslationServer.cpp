#include "service/TranslationServer.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include "service/AnswerPage.h"
#include "service/RequestHandler.h"

namespace quillmar::service {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

// What the log line needs to know that httplib's logger is not given; set on the worker thread that
// handles the request, read and cleared by the logger on that same thread.
struct RequestNote {
    bool started = false;
    std::chrono::steady_clock::time_point start;
    std::string pairCode;
    std::string engineNote;
};
thread_local RequestNote t_note;

// Sent through a content provider of known length rather than as a body: the Debian build of httplib
// gzips bodies of text types whenever the client accepts gzip, and the client cannot read that.
void SetPage(httplib::Response& res, int status, std::string page) {
    res.status = status;
    auto body = std::make_shared<std::string>(std::move(page));
    res.set_content_provider(body->size(), kHtml,
                             [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 sink.write(body->data() + offset, length);
                                 return true;
                             });
}

// Printable for the log: control bytes as "?", long paths cut.
std::string ForLog(std::string_view text) {
    if (text.empty()) return "-";
    std::string out;
    for (char c : text.substr(0, 200)) {
        auto u = static_cast<unsigned char>(c);
        out += u < 0x20 || u == 0x7f || c == ' ' ? '?' : c;
    }
    if (text.size() > 200) out += "...";
    return out;
}

}  // namespace

TranslationServer::TranslationServer(ServerOptions options, EngineRouter& router, LogSink log)
    : m_options(std::move(options)),
      m_router(router),
      m_log(std::move(log)),
      m_server(std::make_unique<httplib::Server>()) {
    httplib::Server& server = *m_server;
    int threads = m_options.threads < 1 ? 1 : m_options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    // One answer per connection: the client reads until the server closes.
    server.set_keep_alive_max_count(1);
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_options.readTimeout);
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(m_options.readTimeout - seconds);
    server.set_read_timeout(seconds.count(), micros.count());
    server.set_write_timeout(seconds.count(), micros.count());
    server.set_keep_alive_timeout(
        std::max<long>(1, static_cast<long>((m_options.readTimeout.count() + 999) / 1000)));
    server.set_payload_max_length(std::size_t{64} * 1024);
    server.set_socket_options([this](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        m_listenFd = sock;
    });

    server.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        t_note = RequestNote{true, std::chrono::steady_clock::now(), {}, {}};
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        Answer answer = AnswerTranslateRequest(req.target, m_router);
        t_note.pairCode = answer.pairCode;
        t_note.engineNote = answer.engineNote;
        SetPage(res, answer.status, std::move(answer.body));
    });
    // Statuses httplib decides itself (unparsable request, request line too long, other methods).
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request& req,
                                                                     httplib::Response& res) {
        if (res.has_header("Content-Type")) return httplib::Server::HandlerResponse::Unhandled;
        std::string message = res.status == 414   ? "The request line is too long."
                              : res.status == 404 ? (req.method == "GET" ? "There is nothing at this address."
                                                                         : "Only GET is answered here.")
                                                  : "The request could not be read.";
        SetPage(res, res.status, RenderErrorPage(res.status, message));
        return httplib::Server::HandlerResponse::Handled;
    }));
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, const std::exception_ptr&) {
            SetPage(res, 500, RenderErrorPage(500, "The service failed on this request."));
        });
    server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        long long ms = 0;
        if (t_note.started) {
            ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                       t_note.start)
                     .count();
        }
        std::string line = ForLog(req.method) + " " + ForLog(req.path) + " " +
                           (t_note.pairCode.empty() ? "-" : t_note.pairCode) + " " +
                           std::to_string(res.status) + " " + std::to_string(ms) + " ms";
        if (!t_note.engineNote.empty()) line += " (" + t_note.engineNote + ")";
        t_note = RequestNote{};
        Log(line);
    });
}

TranslationServer::~TranslationServer() {
    Stop();
}

bool TranslationServer::Bind(std::string* reason) {
    m_port = -1;
    if (m_options.port == 0) {
        m_port = m_server->bind_to_any_port(m_options.host);
    } else if (m_server->bind_to_port(m_options.host, m_options.port)) {
        m_port = m_options.port;
    }
    if (m_port <= 0) {
        if (reason)
            *reason = "cannot listen on " + m_options.host + ":" + std::to_string(m_options.port) + ": " +
                      std::strerror(errno);
        return false;
    }
    // httplib listens with a backlog of 5; a burst of clients needs a longer queue. Listening again on the
    // same socket only changes the backlog.
    if (m_listenFd >= 0) ::listen(m_listenFd, m_options.backlog);
    return true;
}

void TranslationServer::Run() {
    {
        std::lock_guard lock(m_runMutex);
        if (m_stopRequested) return;
        m_runEntered = true;
    }
    m_server->listen_after_bind();
    m_finished = true;
}

void TranslationServer::Stop() {
    {
        std::lock_guard lock(m_runMutex);
        m_stopRequested = true;
        if (!m_runEntered) return;
    }
    // httplib ignores a stop that comes before its loop has started.
    while (!m_server->is_running() && !m_finished) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_server->stop();
}

void TranslationServer::Log(const std::string& line) {
    std::lock_guard lock(m_logMutex);
    if (m_log) m_log(line);
}

}  // namespace quillmar::service

#include "service/TranslationServer.h"

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <asio/thread_pool.hpp>
#include <asio/write.hpp>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "service/AnswerPage.h"
#include "service/HttpRequestReader.h"
#include "service/ListenerSet.h"
#include "service/RequestHandler.h"

namespace quillmar::service {

namespace {

using asio::ip::tcp;
using Clock = asio::steady_timer::clock_type;

// After an answer to a request that left bytes unread, the service reads and drops what still comes for
// this long before it closes: closing on unread bytes resets the connection, which can wipe the answer
// before the client has read it.
constexpr std::chrono::milliseconds kLingerLimit{2000};
// Requests being answered when the service stops get this long beyond the read timeout to finish.
constexpr std::chrono::milliseconds kDrainLimit{10000};
constexpr std::chrono::milliseconds kAcceptPause{50};

int Cores() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// Two per core by default: on a host shared with other work, a thread that is preempted stalls only the
// connections it holds while the other one goes on.
std::vector<std::unique_ptr<asio::io_context>> MakeContexts(int count) {
    std::vector<std::unique_ptr<asio::io_context>> contexts;
    for (int i = 0; i < count; ++i) contexts.push_back(std::make_unique<asio::io_context>(1));
    return contexts;
}

// Printable for the log: control bytes and blanks as "?", long paths cut.
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

std::string ResponseBytes(const Answer& answer, bool headOnly) {
    std::string bytes = "HTTP/1.1 " + std::to_string(answer.status) + " " +
                        std::string(StatusTitle(answer.status)) + "\r\nContent-Type: " + answer.contentType +
                        "\r\nContent-Length: " + std::to_string(answer.body.size());
    for (const auto& [name, value] : answer.headers) {
        bytes += "\r\n" + name + ": ";
        // One line of printable ASCII, whatever a reason holds.
        for (char c : value) bytes += c >= 0x20 && c < 0x7f ? c : '?';
    }
    bytes += "\r\nConnection: close\r\n\r\n";
    if (!headOnly) bytes += answer.body;
    return bytes;
}

class ClientSession;

}  // namespace

struct TranslationServer::Impl {
    Impl(ServerOptions serverOptions, EngineChain& engineChain, LogSink logSink);

    // Takes the next connection on listener index; with one listener for all I/O threads, hands the
    // connections round to them.
    void Accept(std::size_t index);
    void Log(const std::string& line);
    // Whether the accept filter lets this connection in; closes it when not.
    bool Admitted(tcp::socket& socket);
    // Only on the thread of context index.
    void Register(std::size_t index, ClientSession* session);
    void Unregister(std::size_t index, ClientSession* session);

    ServerOptions options;
    LogSink log;
    std::mutex logMutex;
    // A session unregisters itself when it goes, possibly while its context is being destroyed.
    std::vector<std::unordered_set<ClientSession*>>
        live;  // live[i] is touched by the thread of context i only
    std::atomic<long> open{0};
    RequestHandler handler;
    // Destroyed after everything but the above: sockets, timers and pending handlers belong to them.
    std::vector<std::unique_ptr<asio::io_context>> contexts;
    std::unique_ptr<asio::thread_pool> workers;
    ListenerSet listeners;
    std::vector<std::unique_ptr<asio::steady_timer>> acceptPauses;  // acceptPauses[i] belongs to context i
    std::size_t nextContext = 0;

    std::mutex runMutex;
    std::condition_variable runChanged;
    bool runEntered = false;
    bool stopRequested = false;
    int running = 0;
};

namespace {

// One client connection: read one request (waiting costs no thread), answer it, close.
class ClientSession : public std::enable_shared_from_this<ClientSession> {
public:
    ClientSession(TranslationServer::Impl& server, std::size_t index, tcp::socket socket)
        : m_server(server), m_index(index), m_socket(std::move(socket)), m_timer(m_socket.get_executor()) {}
    ~ClientSession() {
        if (m_phase != Phase::Closed) m_server.Unregister(m_index, this);
    }

    void Start() {
        m_server.Register(m_index, this);
        asio::error_code ignored;
        m_socket.non_blocking(true, ignored);
        m_requestDeadline = Clock::now() + m_server.options.requestTimeout;
        // The request has usually arrived with the connection: read it without waiting to be told (the
        // read timer starts only if it has not).
        OnReadable({});
    }

    // When the service stops: clients that are not being answered are dropped.
    void CloseIfIdle() {
        if (m_phase == Phase::Reading || m_phase == Phase::Lingering) Close();
    }

private:
    enum class Phase { Reading, Answering, Writing, Lingering, Closed };

    void WaitToRead() {
        m_socket.async_wait(
            tcp::socket::wait_read,
            [self = shared_from_this()](const asio::error_code& error) { self->OnReadable(error); });
    }

    // Silence for the read timeout drops a client, and so does a request still unfinished at its deadline
    // (a client that sends a byte now and then would otherwise hold its buffer for ever).
    void ArmReadTimer() {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_requestDeadline - Clock::now());
        ArmTimer(std::max(std::chrono::milliseconds(0), std::min(m_server.options.readTimeout, left)));
    }

    void ArmTimer(std::chrono::milliseconds limit) {
        ++m_timerGeneration;
        m_timer.expires_after(limit);
        m_timer.async_wait(
            [self = shared_from_this(), generation = m_timerGeneration](const asio::error_code& error) {
                // A wait that had fired before the timer was set again or stopped must not drop the client.
                if (error || self->m_phase == Phase::Closed || generation != self->m_timerGeneration) return;
                self->Close();
            });
    }

    void StopTimer() {
        ++m_timerGeneration;
        m_timer.cancel();
    }

    void OnReadable(const asio::error_code& error) {
        if (m_phase == Phase::Closed) return;
        if (error) return Close();
        // One buffer per thread: an idle connection holds no read buffer of its own.
        thread_local char buffer[16384];
        for (;;) {
            asio::error_code readError;
            std::size_t n = m_socket.read_some(asio::buffer(buffer), readError);
            if (readError == asio::error::would_block || readError == asio::error::try_again) break;
            // The client closed (or reset) before a whole request, or after the answer.
            if (readError) return Close();
            if (m_phase == Phase::Lingering) continue;
            switch (m_reader.Feed(std::string_view(buffer, n))) {
                case HttpRequestReader::State::NeedMore:
                    break;
                case HttpRequestReader::State::Complete:
                    return Dispatch();
                case HttpRequestReader::State::Refused:
                    BeginAnswer();
                    return Send(ErrorAnswer(m_reader.RefusalStatus(), m_reader.RefusalMessage()));
            }
        }
        if (m_phase == Phase::Reading) ArmReadTimer();
        WaitToRead();
    }

    void BeginAnswer() {
        m_phase = Phase::Answering;
        StopTimer();
        m_started = Clock::now();
    }

    void Dispatch() {
        BeginAnswer();
        const HttpRequestHead& head = m_reader.Head();
        m_headOnly = head.method == "HEAD";
        if (head.method != "GET" && !m_headOnly) return Send(ErrorAnswer(404, "Only GET is answered here."));
        Route route = RouteOf(head.target);
        if (route == Route::NotFound) return Send(ErrorAnswer(404, "There is nothing at this address."));
        if (route == Route::Translate && !m_server.handler.WaitsFor(head.target))
            return Send(m_server.handler.AnswerFor(route, head.target));
        asio::io_context& context = *m_server.contexts[m_index];
        asio::post(*m_server.workers,
                   [self = shared_from_this(), route, keep = asio::make_work_guard(context)]() mutable {
                       Answer answer = self->m_server.handler.AnswerFor(route, self->m_reader.Head().target);
                       asio::io_context& home = *self->m_server.contexts[self->m_index];
                       asio::post(home, [self = std::move(self), answer = std::move(answer)]() mutable {
                           self->Send(std::move(answer));
                       });
                   });
    }

    void Send(Answer answer) {
        if (m_phase == Phase::Closed) return;
        m_phase = Phase::Writing;
        m_status = answer.status;
        m_pairCode = std::move(answer.pairCode);
        m_engineNote = std::move(answer.engineNote);
        m_response = ResponseBytes(answer, m_headOnly);
        // An answer usually fits the socket's buffer at once; the write timer is for the ones that do not.
        asio::error_code error;
        std::size_t written = m_socket.write_some(asio::buffer(m_response), error);
        if (!error && written == m_response.size()) return OnWritten(error);
        if (error && error != asio::error::would_block && error != asio::error::try_again)
            return OnWritten(error);
        ArmTimer(m_server.options.readTimeout);
        asio::async_write(m_socket, asio::buffer(m_response.data() + written, m_response.size() - written),
                          [self = shared_from_this()](const asio::error_code& error, std::size_t) {
                              self->OnWritten(error);
                          });
    }

    void OnWritten(const asio::error_code& error) {
        if (m_phase == Phase::Closed) return;
        LogRequest();
        std::string().swap(m_response);
        if (error || (m_reader.Current() == HttpRequestReader::State::Complete && !m_reader.HasExtraBytes()))
            return Close();
        asio::error_code ignored;
        m_socket.shutdown(tcp::socket::shutdown_send, ignored);
        m_phase = Phase::Lingering;
        ArmTimer(std::min(m_server.options.readTimeout, kLingerLimit));
        WaitToRead();
    }

    void LogRequest() {
        const HttpRequestHead& head = m_reader.Head();
        long long ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_started).count();
        std::string line = ForLog(head.method) + " " + ForLog(PathOf(head.target)) + " " +
                           (m_pairCode.empty() ? "-" : m_pairCode) + " " + std::to_string(m_status) + " " +
                           std::to_string(ms) + " ms";
        if (!m_engineNote.empty()) line += " (" + m_engineNote + ")";
        m_server.Log(line);
    }

    void Close() {
        if (m_phase == Phase::Closed) return;
        m_phase = Phase::Closed;
        asio::error_code ignored;
        m_timer.cancel();
        m_socket.close(ignored);
        m_server.Unregister(m_index, this);
    }

    TranslationServer::Impl& m_server;
    std::size_t m_index;
    tcp::socket m_socket;
    asio::steady_timer m_timer;
    HttpRequestReader m_reader;
    Phase m_phase = Phase::Reading;
    bool m_headOnly = false;
    Clock::time_point m_started;
    Clock::time_point m_requestDeadline;
    unsigned m_timerGeneration = 0;
    int m_status = 0;
    std::string m_pairCode;
    std::string m_engineNote;
    std::string m_response;
};

}  // namespace

TranslationServer::Impl::Impl(ServerOptions serverOptions, EngineChain& engineChain, LogSink logSink)
    : options(std::move(serverOptions)),
      log(std::move(logSink)),
      handler(engineChain, options.skinsDir, open),
      contexts(MakeContexts(options.ioThreads > 0 ? options.ioThreads : 2 * Cores())),
      listeners(contexts) {
    int workerThreads = options.threads > 0 ? options.threads : Cores();
    live.resize(contexts.size());
    workers = std::make_unique<asio::thread_pool>(static_cast<std::size_t>(workerThreads));
    for (auto& context : contexts) acceptPauses.push_back(std::make_unique<asio::steady_timer>(*context));
}

void TranslationServer::Impl::Accept(std::size_t index) {
    tcp::acceptor& acceptor = listeners.At(index);
    // A shared listener serves its own connections; a lone one hands them round.
    std::size_t serving = listeners.Listening() > 1 ? index : nextContext++ % contexts.size();
    acceptor.async_accept(
        *contexts[serving], [this, index, serving](const asio::error_code& error, tcp::socket socket) {
            tcp::acceptor& acceptor = listeners.At(index);
            if (error == asio::error::operation_aborted || !acceptor.is_open()) return;
            if (error) {
                // Out of descriptors or memory: wait a little instead of spinning on an accept that keeps
                // failing.
                if (error == asio::error::no_descriptors || error == asio::error::no_buffer_space ||
                    error == asio::error::no_memory || error.value() == ENFILE) {
                    acceptPauses[index]->expires_after(kAcceptPause);
                    acceptPauses[index]->async_wait([this, index](const asio::error_code& waitError) {
                        if (!waitError && listeners.At(index).is_open()) Accept(index);
                    });
                    return;
                }
                return Accept(index);
            }
            if (options.acceptFilter && !Admitted(socket)) return Accept(index);
            auto session = std::make_shared<ClientSession>(*this, serving, std::move(socket));
            if (serving == index)
                session->Start();
            else
                asio::post(*contexts[serving], [session] { session->Start(); });
            Accept(index);
        });
}

bool TranslationServer::Impl::Admitted(tcp::socket& socket) {
    asio::error_code error;
    const tcp::endpoint local = socket.local_endpoint(error);
    const tcp::endpoint peer = error ? tcp::endpoint() : socket.remote_endpoint(error);
    // Ends that cannot be told (the client is already gone) cannot be checked either.
    const bool admitted =
        !error && options.acceptFilter(ConnectionEnds{local.address().to_string(), local.port(),
                                                      peer.address().to_string(), peer.port()});
    if (admitted) return true;
    socket.close(error);
    Log("refused a connection from " + (peer.port() != 0
                                            ? peer.address().to_string() + ":" + std::to_string(peer.port())
                                            : std::string("an unknown end")));
    return false;
}

void TranslationServer::Impl::Log(const std::string& line) {
    std::lock_guard lock(logMutex);
    if (log) log(line);
}

void TranslationServer::Impl::Register(std::size_t index, ClientSession* session) {
    live[index].insert(session);
    ++open;
}

void TranslationServer::Impl::Unregister(std::size_t index, ClientSession* session) {
    if (live[index].erase(session) > 0) --open;
}

TranslationServer::TranslationServer(ServerOptions options, EngineChain& chain, LogSink log)
    : m_impl(std::make_unique<Impl>(std::move(options), chain, std::move(log))) {}

TranslationServer::~TranslationServer() {
    Stop();
    m_impl->workers->join();
}

Status TranslationServer::Bind() {
    return m_impl->listeners.Bind(m_impl->options.host, m_impl->options.port, m_impl->options.backlog);
}

int TranslationServer::Port() const {
    return m_impl->listeners.Port();
}

long TranslationServer::OpenConnections() const {
    return m_impl->open.load();
}

void TranslationServer::Run() {
    Impl& impl = *m_impl;
    {
        std::lock_guard lock(impl.runMutex);
        if (impl.stopRequested || impl.runEntered || !impl.listeners.At(0).is_open()) return;
        impl.runEntered = true;
        impl.running = static_cast<int>(impl.contexts.size());
    }
    using Guard = asio::executor_work_guard<asio::io_context::executor_type>;
    std::vector<Guard> guards;
    for (auto& context : impl.contexts) guards.push_back(asio::make_work_guard(*context));
    for (std::size_t i = 0; i < impl.listeners.Listening(); ++i)
        asio::post(*impl.contexts[i], [&impl, i] { impl.Accept(i); });
    std::vector<std::thread> threads;
    for (auto& context : impl.contexts) {
        threads.emplace_back([&impl, &context] {
            context->run();
            std::lock_guard lock(impl.runMutex);
            --impl.running;
            impl.runChanged.notify_all();
        });
    }

    std::unique_lock lock(impl.runMutex);
    impl.runChanged.wait(lock, [&impl] { return impl.stopRequested; });
    lock.unlock();
    // Stop taking connections and drop the clients that are not being answered; the rest finish.
    for (std::size_t i = 0; i < impl.contexts.size(); ++i) {
        asio::post(*impl.contexts[i], [&impl, i] {
            asio::error_code ignored;
            impl.listeners.At(i).close(ignored);
            impl.acceptPauses[i]->cancel();
            std::vector<ClientSession*> sessions(impl.live[i].begin(), impl.live[i].end());
            for (ClientSession* session : sessions) session->CloseIfIdle();
        });
    }
    guards.clear();
    lock.lock();
    impl.runChanged.wait_for(lock, impl.options.readTimeout + kDrainLimit,
                             [&impl] { return impl.running == 0; });
    lock.unlock();
    for (auto& context : impl.contexts) context->stop();
    for (std::thread& thread : threads) thread.join();
}

void TranslationServer::Stop() {
    std::lock_guard lock(m_impl->runMutex);
    m_impl->stopRequested = true;
    m_impl->runChanged.notify_all();
}

}  // namespace quillmar::service

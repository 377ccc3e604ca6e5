#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "loopback/LoopbackServer.h"
#include "posix/PosixConnection.h"
#include "posix/PosixEventLoop.h"

namespace quillmar::posix {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

constexpr std::string_view kRequest =
    "GET /raging/translate.dyn?lp=en_fr&urltext=good+morning HTTP/1.0\r\n\r\n";

// Writes down every event; what it does inside an event is up to the test.
class Recorder : public ConnectionListener {
public:
    explicit Recorder(Connection& connection) : m_connection(connection) { connection.SetListener(this); }

    void OnConnect() override {
        events.push_back("connect");
        if (onConnect) onConnect();
    }
    void OnDataArrival(std::size_t bytesWaiting) override {
        events.push_back("data");
        waiting.push_back(bytesWaiting);
        received += m_connection.GetData();
        if (arrivals != nullptr) ++*arrivals;
        if (onData) onData();
    }
    void OnClose() override {
        events.push_back("close");
        if (onClose) onClose();
    }
    void OnError(const ConnectionError& error) override {
        events.push_back("error");
        errors.push_back(error);
        if (onError) onError();
    }

    bool Ended() const { return !events.empty() && (events.back() == "close" || events.back() == "error"); }

    std::vector<std::string> events;
    std::vector<std::size_t> waiting;
    std::vector<ConnectionError> errors;
    std::string received;
    std::function<void()> onConnect, onData, onClose, onError;
    std::atomic<int>* arrivals = nullptr;  // counted for a server that paces itself by them

private:
    Connection& m_connection;
};

// Lets time pass with the loop dispatching, even while it has nothing to wait for.
void Settle(PosixEventLoop& loop, std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        loop.Poll();
        std::this_thread::sleep_for(5ms);
    }
}

// Serves an answer in pieces, then closes. With `arrivals`, each piece waits until the client has seen
// every piece before it arrive (or a second has passed), so no two pieces can reach it as one.
LoopbackServer::Session ChunkedAnswer(std::vector<std::string> pieces,
                                      const std::atomic<int>* arrivals = nullptr) {
    return [pieces = std::move(pieces), arrivals](LoopbackServer& server, int fd) {
        server.Record(server.ReadRequest(fd));
        int sent = 0;
        for (const std::string& piece : pieces) {
            if (arrivals != nullptr) {
                const auto end = std::chrono::steady_clock::now() + 1s;
                while (*arrivals < sent && !server.Stopping() && std::chrono::steady_clock::now() < end) {
                    std::this_thread::sleep_for(1ms);
                }
            }
            LoopbackServer::SendAll(fd, piece);
            ++sent;
            if (arrivals == nullptr) std::this_thread::sleep_for(20ms);
        }
    };
}

TEST(PosixConnection, ExchangesRequestAndChunkedAnswerUntilThePeerCloses) {
    const std::vector<std::string> pieces{"HTTP/1.0 200 OK\r\n\r\n", "<textarea name=q>", "bonjour",
                                          std::string(100'000, 'x')};
    std::atomic<int> arrivals{0};
    LoopbackServer server(ChunkedAnswer(pieces, &arrivals));
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    listener.arrivals = &arrivals;
    listener.onConnect = [&] {
        EXPECT_EQ(connection.State(), ConnectionState::Open);
        EXPECT_TRUE(connection.SendData(kRequest.substr(0, 10)));
        EXPECT_TRUE(connection.SendData(kRequest.substr(10)));  // queued behind the first write
    };
    listener.onClose = [&] { connection.Close(); };

    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(connection.State(), ConnectionState::Connecting);
    EXPECT_TRUE(listener.events.empty()) << "no event from inside Connect";
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Ended(); }, 5s));

    std::string all;
    for (const auto& p : pieces) all += p;
    EXPECT_EQ(listener.received, all);
    ASSERT_GE(listener.events.size(), 3U);
    EXPECT_EQ(listener.events.front(), "connect");
    EXPECT_EQ(listener.events.back(), "close");
    EXPECT_GE(listener.waiting.size(), pieces.size()) << "each piece arrived on its own";
    for (std::size_t i = 1; i + 1 < listener.events.size(); ++i) EXPECT_EQ(listener.events[i], "data");
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(server.Requests()[0], kRequest);
}

TEST(PosixConnection, DataWaitsUntilTakenAndArrivalCountsEverythingWaiting) {
    std::atomic<int> arrivals{0};
    LoopbackServer server(ChunkedAnswer({"abc", "defg"}, &arrivals));
    PosixEventLoop loop;
    PosixConnection connection(loop);
    std::vector<std::size_t> waiting;
    struct Listener : ConnectionListener {
        std::vector<std::size_t>* waiting;
        std::atomic<int>* arrivals;
        bool closed = false;
        void OnConnect() override {}
        void OnDataArrival(std::size_t n) override {
            waiting->push_back(n);  // nothing taken: it keeps waiting
            ++*arrivals;
        }
        void OnClose() override { closed = true; }
        void OnError(const ConnectionError& /*error*/) override { closed = true; }
    } listener;
    listener.waiting = &waiting;
    listener.arrivals = &arrivals;
    connection.SetListener(&listener);
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    loop.RunUntil([&] { return connection.State() == ConnectionState::Open; }, 5s);
    connection.SendData("\r\n\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return listener.closed; }, 5s));
    ASSERT_EQ(waiting.size(), 2U);
    EXPECT_EQ(waiting[0], 3U);
    EXPECT_EQ(waiting[1], 7U);
    EXPECT_EQ(connection.GetData(), "abcdefg");
    EXPECT_EQ(connection.GetData(), "");
}

TEST(PosixConnection, RefusedConnectionReportsErrnoAndTheSystemsWording) {
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    listener.onError = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", testing::UnusedLoopbackPort()));
    EXPECT_TRUE(listener.events.empty());
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Ended(); }, 5s));
    ASSERT_EQ(listener.events, std::vector<std::string>{"error"});
    EXPECT_EQ(listener.errors[0].number, ECONNREFUSED);
    EXPECT_EQ(listener.errors[0].description, std::strerror(ECONNREFUSED));
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
}

TEST(PosixConnection, ResetByThePeerIsAnErrorNotAClose) {
    LoopbackServer server([](LoopbackServer& s, int fd) {
        s.ReadRequest(fd);
        LoopbackServer::SendAll(fd, "partial");
        std::this_thread::sleep_for(30ms);
        LoopbackServer::AbortOnClose(fd);
    });
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    listener.onConnect = [&] { connection.SendData(kRequest); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Ended(); }, 5s));
    EXPECT_EQ(listener.events.back(), "error");
    ASSERT_EQ(listener.errors.size(), 1U);
    EXPECT_EQ(listener.errors[0].number, ECONNRESET);
    EXPECT_EQ(listener.errors[0].description, std::strerror(ECONNRESET));
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
}

TEST(PosixConnection, LocalhostIsResolvedAndEachAddressTried) {
    // The server listens on IPv4 only; "localhost" may name ::1 first, which must not end the attempt.
    LoopbackServer server(ChunkedAnswer({"ok"}));
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    listener.onConnect = [&] { connection.SendData(kRequest); };
    listener.onClose = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("localhost", server.Port()));
    ASSERT_TRUE(loop.RunUntil([&] { return listener.Ended(); }, 5s));
    EXPECT_EQ(listener.events.front(), "connect");
    EXPECT_EQ(listener.events.back(), "close");
    EXPECT_EQ(listener.received, "ok");
}

TEST(PosixConnection, UnresolvableNamesArriveAsErrorsLater) {
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    for (const std::string host : {"", "bad host name"}) {
        listener.events.clear();
        listener.errors.clear();
        ASSERT_TRUE(connection.Connect(host, 80)) << host;
        EXPECT_TRUE(listener.events.empty());
        ASSERT_TRUE(loop.RunUntil([&] { return listener.Ended(); }, 10s)) << host;
        ASSERT_EQ(listener.events, std::vector<std::string>{"error"}) << host;
        EXPECT_NE(listener.errors[0].number, 0);
        EXPECT_FALSE(listener.errors[0].description.empty());
        EXPECT_EQ(connection.State(), ConnectionState::Closed);
    }
}

TEST(PosixConnection, ConnectIsRefusedUnlessClosed) {
    LoopbackServer server([](LoopbackServer& s, int fd) { s.DrainUntilPeerCloses(fd); });
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_FALSE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_FALSE(connection.SendData("too early"));
    ASSERT_TRUE(loop.RunUntil([&] { return !listener.events.empty(); }, 5s));
    EXPECT_EQ(listener.events, std::vector<std::string>{"connect"});
    EXPECT_FALSE(connection.Connect("127.0.0.1", server.Port()));
    connection.Close();
    EXPECT_FALSE(connection.SendData("too late"));
    EXPECT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    connection.Close();
}

TEST(PosixConnection, CloseInsideAnEventDropsEverythingStillToCome) {
    std::atomic<int> arrivals{0};
    LoopbackServer server(ChunkedAnswer({"one", "two", "three"}, &arrivals));
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    listener.arrivals = &arrivals;
    listener.onConnect = [&] { connection.SendData(kRequest); };
    listener.onData = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(loop.RunUntil([&] { return listener.events.size() == 2; }, 5s));
    Settle(loop, 300ms);  // the server's later pieces and its close come and go
    EXPECT_EQ(listener.events, (std::vector<std::string>{"connect", "data"}));
    EXPECT_EQ(listener.received, "one");
    EXPECT_EQ(connection.GetData(), "");
}

TEST(PosixConnection, ReconnectingInsideAnEventStartsAFreshConnection) {
    int session = 0;
    LoopbackServer server([&session](LoopbackServer& s, int fd) {
        s.ReadRequest(fd);
        LoopbackServer::SendAll(fd, ++session == 1 ? "first" : "second");
    });
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    int closes = 0;
    listener.onConnect = [&] { connection.SendData(kRequest); };
    listener.onClose = [&] {
        connection.Close();
        if (++closes == 1) {
            EXPECT_TRUE(connection.Connect("127.0.0.1", server.Port()));
        }
    };
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(loop.RunUntil([&] { return closes == 2; }, 5s));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"connect", "data", "close", "connect", "data", "close"}));
    EXPECT_EQ(listener.received, "firstsecond");
}

TEST(PosixConnection, CloseWhileConnectingOrResolvingDeliversNothing) {
    PosixEventLoop loop;
    PosixConnection connection(loop);
    Recorder listener(connection);
    ASSERT_TRUE(connection.Connect("127.0.0.1", testing::UnusedLoopbackPort()));
    connection.Close();
    ASSERT_TRUE(connection.Connect("localhost", testing::UnusedLoopbackPort()));
    connection.Close();
    Settle(loop, 300ms);
    EXPECT_TRUE(listener.events.empty());
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
}

TEST(PosixConnection, DestroyedWithWorkPendingDeliversNothingMore) {
    LoopbackServer server(ChunkedAnswer({"late"}));
    PosixEventLoop loop;
    struct Listener : ConnectionListener {
        int events = 0;
        void OnConnect() override { ++events; }
        void OnDataArrival(std::size_t /*bytesWaiting*/) override { ++events; }
        void OnClose() override { ++events; }
        void OnError(const ConnectionError& /*error*/) override { ++events; }
    } listener;
    {
        PosixConnection connection(loop);
        connection.SetListener(&listener);
        ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
        ASSERT_TRUE(loop.RunUntil([&] { return listener.events == 1; }, 5s));
        connection.SendData(kRequest);
    }
    Settle(loop, 300ms);
    EXPECT_EQ(listener.events, 1);
}

}  // namespace
}  // namespace quillmar::posix

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "WinLoopbackServer.h"
#include "win32/WinConnection.h"
#include "win32/WinEventLoop.h"
#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

using namespace std::chrono_literals;
using testing::WinLoopbackServer;

constexpr std::string_view kRequest = "GET /raging/translate.dyn?lp=en_fr&urltext=bonjour HTTP/1.0\r\n\r\n";

class Recorder : public ConnectionListener {
public:
    explicit Recorder(Connection& connection) : m_connection(connection) { connection.SetListener(this); }

    void OnConnect() override {
        events.push_back("connect");
        if (onConnect) onConnect();
    }
    void OnDataArrival(std::size_t /*bytesWaiting*/) override {
        events.push_back("data");
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
    std::vector<ConnectionError> errors;
    std::string received;
    std::function<void()> onConnect, onData, onClose, onError;
    std::atomic<int>* arrivals = nullptr;  // counted for a server that paces itself by them

private:
    Connection& m_connection;
};

// Lets time pass while the message loop keeps dispatching.
void Settle(std::chrono::milliseconds time) {
    RunMessageLoopUntil([] { return false; }, time);
}

// Serves an answer in pieces, then closes. With `arrivals`, each piece waits until the client has seen
// every piece before it arrive (or a second has passed), so no two pieces can reach it as one.
WinLoopbackServer::Session ChunkedAnswer(std::vector<std::string> pieces,
                                         const std::atomic<int>* arrivals = nullptr) {
    return [pieces = std::move(pieces), arrivals](WinLoopbackServer& server, SOCKET s) {
        server.Record(server.ReadRequest(s));
        int sent = 0;
        for (const std::string& piece : pieces) {
            if (arrivals != nullptr) {
                const auto end = std::chrono::steady_clock::now() + 1s;
                while (*arrivals < sent && !server.Stopping() && std::chrono::steady_clock::now() < end) {
                    std::this_thread::sleep_for(1ms);
                }
            }
            WinLoopbackServer::SendAll(s, piece);
            ++sent;
            if (arrivals == nullptr) std::this_thread::sleep_for(20ms);
        }
    };
}

TEST(WinConnection, ExchangesRequestAndChunkedAnswerThroughTheMessageLoop) {
    const std::vector<std::string> pieces{"HTTP/1.0 200 OK\r\n\r\n", "<textarea name=q>xx", "bonjour",
                                          std::string(200'000, 'x')};
    std::atomic<int> arrivals{0};
    WinLoopbackServer server(ChunkedAnswer(pieces, &arrivals));
    WinConnection connection;
    Recorder listener(connection);
    listener.arrivals = &arrivals;
    listener.onConnect = [&] {
        EXPECT_EQ(connection.State(), ConnectionState::Open);
        EXPECT_TRUE(connection.SendData(kRequest));
    };
    listener.onClose = [&] { connection.Close(); };

    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_EQ(connection.State(), ConnectionState::Connecting);
    EXPECT_TRUE(listener.events.empty()) << "no event from inside Connect";
    ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.Ended(); }, 10s));

    std::string all;
    for (const auto& p : pieces) all += p;
    EXPECT_EQ(listener.received.size(), all.size());
    EXPECT_EQ(listener.received, all);
    ASSERT_GE(listener.events.size(), pieces.size() + 2) << "each piece arrived on its own";
    EXPECT_EQ(listener.events.front(), "connect");
    EXPECT_EQ(listener.events.back(), "close");
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(server.Requests()[0], kRequest);
}

TEST(WinConnection, ALargeSendGoesOutWholeAsTheSocketTakesIt) {
    // Far more than the socket buffers take at once: the rest must follow on FD_WRITE, in order.
    std::string request(3 * 1024 * 1024, 'x');
    for (std::size_t i = 0; i < request.size(); i += 1000)
        request[i] = static_cast<char>('a' + (i / 1000) % 26);
    request += "\r\n\r\n";
    WinLoopbackServer server([](WinLoopbackServer& s, SOCKET c) {
        s.Record(s.ReadRequest(c));
        WinLoopbackServer::SendAll(c, "done");
    });
    WinConnection connection;
    Recorder listener(connection);
    listener.onConnect = [&] { EXPECT_TRUE(connection.SendData(request)); };
    listener.onClose = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.Ended(); }, 20s));
    EXPECT_EQ(listener.events.back(), "close");
    EXPECT_EQ(listener.received, "done");
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_TRUE(server.Requests()[0] == request)
        << "sizes " << server.Requests()[0].size() << " and " << request.size();
}

TEST(WinConnection, RefusedConnectionIsAnErrorWithTheSystemsDescription) {
    WinConnection connection;
    Recorder listener(connection);
    listener.onError = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", testing::UnusedLoopbackPort()));
    EXPECT_TRUE(listener.events.empty());
    ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.Ended(); }, 10s));
    ASSERT_EQ(listener.events, std::vector<std::string>{"error"});
    EXPECT_EQ(listener.errors[0].number, WSAECONNREFUSED);
    EXPECT_EQ(listener.errors[0].description, SystemErrorText(WSAECONNREFUSED));
    EXPECT_EQ(listener.errors[0].description.find("Windows error"), std::string::npos)
        << listener.errors[0].description;
    EXPECT_EQ(connection.State(), ConnectionState::Closed);
}

TEST(WinConnection, LocalhostIsResolvedAndEachAddressTried) {
    WinLoopbackServer server(ChunkedAnswer({"ok"}));
    WinConnection connection;
    Recorder listener(connection);
    listener.onConnect = [&] { connection.SendData(kRequest); };
    listener.onClose = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("localhost", server.Port()));
    ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.Ended(); }, 10s));
    EXPECT_EQ(listener.events.front(), "connect");
    EXPECT_EQ(listener.events.back(), "close");
    EXPECT_EQ(listener.received, "ok");
}

TEST(WinConnection, UnresolvableNamesArriveAsErrorsLater) {
    WinConnection connection;
    Recorder listener(connection);
    for (const std::string host : {"", "bad host name"}) {
        listener.events.clear();
        listener.errors.clear();
        ASSERT_TRUE(connection.Connect(host, 80)) << host;
        EXPECT_TRUE(listener.events.empty());
        ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.Ended(); }, 10s)) << host;
        ASSERT_EQ(listener.events, std::vector<std::string>{"error"}) << host;
        EXPECT_NE(listener.errors[0].number, 0);
        EXPECT_FALSE(listener.errors[0].description.empty());
        EXPECT_EQ(connection.State(), ConnectionState::Closed);
    }
}

TEST(WinConnection, ConnectIsRefusedUnlessClosed) {
    WinLoopbackServer server([](WinLoopbackServer& s, SOCKET c) { s.WaitForPeerClose(c); });
    WinConnection connection;
    Recorder listener(connection);
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_FALSE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_FALSE(connection.SendData("too early"));
    ASSERT_TRUE(RunMessageLoopUntil([&] { return !listener.events.empty(); }, 10s));
    EXPECT_EQ(listener.events, std::vector<std::string>{"connect"});
    EXPECT_FALSE(connection.Connect("127.0.0.1", server.Port()));
    connection.Close();
    EXPECT_FALSE(connection.SendData("too late"));
    EXPECT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    connection.Close();
}

TEST(WinConnection, CloseInsideAnEventDropsEverythingStillToCome) {
    std::atomic<int> arrivals{0};
    WinLoopbackServer server(ChunkedAnswer({"one", "two", "three"}, &arrivals));
    WinConnection connection;
    Recorder listener(connection);
    listener.arrivals = &arrivals;
    listener.onConnect = [&] { connection.SendData(kRequest); };
    listener.onData = [&] { connection.Close(); };
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(RunMessageLoopUntil([&] { return listener.events.size() == 2; }, 10s));
    Settle(300ms);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"connect", "data"}));
    EXPECT_EQ(listener.received, "one");
}

TEST(WinConnection, ReconnectingInsideAnEventStartsAFreshConnection) {
    int session = 0;
    WinLoopbackServer server([&session](WinLoopbackServer& s, SOCKET c) {
        s.ReadRequest(c);
        WinLoopbackServer::SendAll(c, ++session == 1 ? "first" : "second");
    });
    WinConnection connection;
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
    ASSERT_TRUE(RunMessageLoopUntil([&] { return closes == 2; }, 10s));
    EXPECT_EQ(listener.events,
              (std::vector<std::string>{"connect", "data", "close", "connect", "data", "close"}));
    EXPECT_EQ(listener.received, "firstsecond");
}

TEST(WinConnection, CloseWhileConnectingDeliversNothing) {
    WinConnection connection;
    Recorder listener(connection);
    ASSERT_TRUE(connection.Connect("127.0.0.1", testing::UnusedLoopbackPort()));
    connection.Close();
    ASSERT_TRUE(connection.Connect("", 80));  // its failure is already queued
    connection.Close();
    // A name still being looked up on the resolver thread: its late answer is dropped.
    ASSERT_TRUE(connection.Connect("localhost", testing::UnusedLoopbackPort()));
    connection.Close();
    Settle(300ms);
    EXPECT_TRUE(listener.events.empty());
    {
        WinConnection shortLived;  // gone before its lookup ends: the answer finds no window
        ASSERT_TRUE(shortLived.Connect("localhost", 80));
    }
    Settle(300ms);
}

TEST(WinConnection, DestroyedInsideItsOwnEventDeliversNothingMore) {
    std::atomic<int> arrivals{0};
    WinLoopbackServer server(ChunkedAnswer({"one", "two"}, &arrivals));
    auto connection = std::make_unique<WinConnection>();
    Recorder listener(*connection);
    listener.arrivals = &arrivals;
    listener.onConnect = [&] { connection->SendData(kRequest); };
    listener.onData = [&] { connection.reset(); };
    ASSERT_TRUE(connection->Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(RunMessageLoopUntil([&] { return connection == nullptr; }, 10s));
    Settle(200ms);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"connect", "data"}));
}

}  // namespace
}  // namespace quillmar::win32

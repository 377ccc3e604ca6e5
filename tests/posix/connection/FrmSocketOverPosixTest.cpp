// The translation form on the real POSIX connection and timers: the events arrive as a real loop delivers
// them, not in an order a test chose.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/FakeDialogs.h"
#include "fakes/FakeTranslationSinks.h"
#include "loopback/LoopbackServer.h"
#include "posix/PosixConnection.h"
#include "posix/PosixEventLoop.h"
#include "posix/PosixTimers.h"
#include "translate/SockModule.h"
#include "translate/frmSocket.h"

namespace quillmar::posix {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

struct Client {
    PosixEventLoop loop;
    PosixConnection connection{loop};
    PosixTimers timers{loop};
    fakes::FakeDialogs dialogs;
    fakes::FakeStatusSink status;
    fakes::FakeTranslationOutput output;
    frmSocket form{connection, timers, dialogs};

    bool Translate(const std::string& service, const std::string& text, std::chrono::milliseconds limit) {
        SockModule module(form, dialogs);
        module.RequestTranslation(fakes::RequestFor(text, 42, service, {status, output}));
        return loop.RunUntil([this] { return !form.RequestInFlight(); }, limit);
    }
};

TEST(FrmSocketOverPosix, TranslatesAnAnswerThatArrivesInPieces) {
    LoopbackServer server([](LoopbackServer& s, int fd) {
        s.Record(s.ReadRequest(fd));
        for (const char* piece :
             {"HTTP/1.0 200 OK\r\n\r\n<form><texta", "rea name=q>\nbon", "jour\r\n</textarea>"}) {
            LoopbackServer::SendAll(fd, piece);
            std::this_thread::sleep_for(20ms);
        }
    });
    Client client;
    client.form.Form_Load();
    ASSERT_TRUE(client.Translate(server.HostPort(), "good+morning", 5s));
    EXPECT_EQ(client.status.Last(), status::kSuccess);
    ASSERT_EQ(client.output.writes.size(), 1U);
    EXPECT_EQ(client.output.writes[0].target, 42U);
    EXPECT_EQ(client.output.writes[0].text, "bonjour");
    EXPECT_EQ(client.connection.State(), ConnectionState::Closed);
    ASSERT_EQ(server.Requests().size(), 1U);
    EXPECT_EQ(
        server.Requests()[0].rfind("GET /raging/translate.dyn?lp=en_fr&urltext=good+morning HTTP/1.0\r\n", 0),
        0U);
}

TEST(FrmSocketOverPosix, AServerThatNeverClosesIsGivenUpAfterTheTimeLimit) {
    LoopbackServer server([](LoopbackServer& s, int fd) {
        s.Record(s.ReadRequest(fd));
        LoopbackServer::SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n<textarea name=q>\nhalf");
        s.Record(s.DrainUntilPeerCloses(fd));  // returns once the client has given up and closed
    });
    Client client;
    client.form.Form_Load();
    client.form.SetRequestTimeout(300ms);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.Translate(server.HostPort(), "good+morning", 5s));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_EQ(client.status.Last(), status::kErrorsOccurred);
    EXPECT_TRUE(client.output.writes.empty());
    ASSERT_EQ(client.dialogs.shown.size(), 1U);
    EXPECT_EQ(client.dialogs.shown[0].text, failure::kTimedOut);
    EXPECT_EQ(client.connection.State(), ConnectionState::Closed);

    // The connection was really let go: the server saw the close, and a new request can start.
    for (int i = 0; i < 100 && server.Requests().size() < 2; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(server.Requests().size(), 2U);
    client.form.SetRequestTimeout(200ms);
    ASSERT_TRUE(client.Translate(server.HostPort(), "again", 5s));
    EXPECT_EQ(server.Accepted(), 2);
}

TEST(FrmSocketOverPosix, ARefusedConnectionShowsTheSystemsDescription) {
    Client client;
    client.form.Form_Load();
    ASSERT_TRUE(
        client.Translate("127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()), "hello+you", 5s));
    EXPECT_EQ(client.status.statuses, std::vector<std::string>{status::kErrorsOccurred});
    ASSERT_EQ(client.dialogs.shown.size(), 1U);
    EXPECT_EQ(client.dialogs.shown[0].text, "Connection refused");
}

}  // namespace
}  // namespace quillmar::posix

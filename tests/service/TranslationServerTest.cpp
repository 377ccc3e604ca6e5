#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "ServiceTestSupport.h"
#include "service/HttpRequestReader.h"
#include "service/RequestHandler.h"
#include "service/TranslationServer.h"
#include "translate/AnswerText.h"

namespace quillmar::service {
namespace {

using namespace std::chrono_literals;
using testing::ClientRequest;
using testing::Exchange;
using testing::HasMarkers;
using testing::RunningServer;
using testing::ScriptedEngine;
using testing::StatusOf;

std::string HeadersOf(const std::string& answer) {
    return testing::Lowered(answer.substr(0, answer.find("\r\n\r\n")));
}

// What the program does with the whole answer, status line and headers included.
std::optional<std::string> ClientReads(const std::string& answer) {
    std::optional<std::string> cut = ExtractTranslation(DecodeAnswerBytes(answer));
    if (!cut) return std::nullopt;
    return DecodeCharacterReferences(*cut);
}

TEST(TranslationServer, AnswersTheProgramsRequestWithAnUncompressedPageAndCloses) {
    RunningServer server(nullptr);
    ASSERT_TRUE(server.bound);
    testing::RawAnswer answer = Exchange(
        server.Port(),
        ClientRequest(
            "/raging/translate.dyn?lp=en_es&urltext=Good+morning%2C+my+friend+%3Cb%3E+%26+%22you%22"));
    EXPECT_TRUE(answer.closed);
    EXPECT_EQ(StatusOf(answer.bytes), 200);
    std::string headers = HeadersOf(answer.bytes);
    EXPECT_NE(headers.find("content-type: text/html; charset=utf-8"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("content-encoding"), std::string::npos) << headers;
    EXPECT_NE(headers.find("connection: close"), std::string::npos) << headers;
    EXPECT_EQ(ClientReads(answer.bytes), "Buenos días, mi amigo <b> & \"tú\"");
}

TEST(TranslationServer, AnswersTheAbsoluteFormAProxySends) {
    RunningServer server(nullptr);
    testing::RawAnswer answer = Exchange(
        server.Port(), ClientRequest("http://babel.example/raging/translate.dyn?lp=de_fr&urltext=gute+Nacht",
                                     "babel.example"));
    EXPECT_EQ(StatusOf(answer.bytes), 200);
    EXPECT_EQ(ClientReads(answer.bytes), "bonne nuit");
}

TEST(TranslationServer, ClosesAfterTheAnswerEvenWhenAnHttp11ClientAsksToKeepAlive) {
    RunningServer server(nullptr);
    testing::RawAnswer answer = Exchange(
        server.Port(),
        "GET /raging/translate.dyn?lp=en_it&urltext=thanks HTTP/1.1\r\nHost: x\r\nConnection: keep-alive\r\n"
        "Accept-Encoding: gzip, deflate, br\r\n\r\n",
        3000ms);
    EXPECT_TRUE(answer.closed);
    EXPECT_EQ(StatusOf(answer.bytes), 200);
    EXPECT_EQ(HeadersOf(answer.bytes).find("content-encoding"), std::string::npos);
    EXPECT_EQ(ClientReads(answer.bytes), "grazie");
}

TEST(TranslationServer, RefusesBadInputWithPagesWithoutMarkersAndStaysUp) {
    RunningServer server(nullptr);
    struct Case {
        std::string request;
        int status;
    };
    const Case cases[] = {
        {ClientRequest("/raging/translate.dyn?lp=xx_yy&urltext=hello"), 400},
        {ClientRequest("/raging/translate.dyn?urltext=hello"), 400},
        {ClientRequest("/raging/translate.dyn?lp=en_fr"), 400},
        {ClientRequest("/raging/translate.dyn?lp=en_fr&urltext="), 400},
        {ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=50%25+off%2"), 400},
        {ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=" + std::string(20 * 1024, 'a')), 414},
        {ClientRequest("/index.html"), 404},
        {"POST /raging/translate.dyn?lp=en_fr&urltext=x HTTP/1.0\r\nContent-Length: 0\r\n\r\n", 404},
        {"this is not HTTP at all\r\n\r\n", 400},
        {"GET\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        testing::RawAnswer answer = Exchange(server.Port(), c.request);
        EXPECT_TRUE(answer.closed);
        EXPECT_EQ(StatusOf(answer.bytes), c.status) << c.request.substr(0, 60);
        EXPECT_FALSE(HasMarkers(answer.bytes)) << c.request.substr(0, 60);
        EXPECT_NE(HeadersOf(answer.bytes).find("text/html"), std::string::npos);
        EXPECT_EQ(HeadersOf(answer.bytes).find("content-encoding"), std::string::npos);
    }
    // Binary garbage without a line end: answered with 400 or simply closed.
    testing::RawAnswer garbage =
        Exchange(server.Port(), std::string("\x16\x03\x01\x00\xa5\x01\x00\x00", 8), 3000ms);
    EXPECT_TRUE(garbage.closed);
    EXPECT_TRUE(garbage.bytes.empty() || StatusOf(garbage.bytes) == 400);
    EXPECT_FALSE(HasMarkers(garbage.bytes));

    testing::RawAnswer after =
        Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=yes"));
    EXPECT_EQ(ClientReads(after.bytes), "oui");
}

TEST(TranslationServer, AnEngineFailureIs502WithoutMarkers) {
    RunningServer server(std::make_unique<ScriptedEngine>(true));
    testing::RawAnswer answer =
        Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=hello"));
    EXPECT_EQ(StatusOf(answer.bytes), 502);
    EXPECT_FALSE(HasMarkers(answer.bytes));
    // The scripted engine does not cover ru_en: the phrase book still answers it.
    testing::RawAnswer fallback =
        Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=ru_en&urltext=%D0%B4%D0%B0"));
    EXPECT_EQ(ClientReads(fallback.bytes), "yes");
}

TEST(TranslationServer, DropsStalledClientsAfterTheReadTimeoutWhileAnsweringOthers) {
    ServerOptions options = RunningServer::TestOptions();
    options.threads = 3;
    options.readTimeout = 1500ms;
    RunningServer server(nullptr, options);

    auto started = std::chrono::steady_clock::now();
    int stalled = testing::ConnectLoopback(server.Port());
    ASSERT_GE(stalled, 0);
    testing::SendAll(stalled, "GET /raging/translate.dyn?lp=en_fr&urltext=hel");  // and then nothing
    int silent = testing::ConnectLoopback(server.Port());                         // sends nothing at all
    std::this_thread::sleep_for(100ms);

    // Well before the stalled ones time out, others are answered.
    for (int i = 0; i < 5; ++i) {
        testing::RawAnswer other =
            Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=hello"), 1000ms);
        EXPECT_EQ(ClientReads(other.bytes), "bonjour");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1400ms);

    for (int fd : {stalled, silent}) {
        testing::RawAnswer dropped = testing::ReadUntilClosed(fd, 8000ms);
        EXPECT_TRUE(dropped.closed);
        EXPECT_FALSE(HasMarkers(dropped.bytes));
        ::close(fd);
    }
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 1400ms);
    EXPECT_LT(took, 8000ms);
}

TEST(TranslationServer, AnswersSixtyFourSimultaneousClients) {
    RunningServer server(nullptr);  // four worker threads: the rest wait in the listen queue
    constexpr int kClients = 64;
    std::vector<int> sockets;
    for (int i = 0; i < kClients; ++i) sockets.push_back(testing::ConnectLoopback(server.Port()));
    for (int fd : sockets) {
        ASSERT_GE(fd, 0);
        testing::SendAll(fd, ClientRequest("/raging/translate.dyn?lp=en_pt&urltext=good+morning"));
    }
    int answered = 0;
    for (int fd : sockets) {
        testing::RawAnswer answer = testing::ReadUntilClosed(fd, 10000ms);
        if (answer.closed && ClientReads(answer.bytes) == "bom dia") ++answered;
        ::close(fd);
    }
    EXPECT_EQ(answered, kClients);
}

TEST(TranslationServer, LogsOneLinePerRequestWithMethodPathPairStatusAndTime) {
    RunningServer server(nullptr);
    Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=fr_en&urltext=merci+%C3%A0+toi"));
    Exchange(server.Port(), ClientRequest("/nowhere?secret=1"));
    Exchange(server.Port(), "junk\r\n\r\n");
    std::vector<std::string> log = server.Log(3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].rfind("GET /raging/translate.dyn fr_en 200 ", 0), 0u) << log[0];
    EXPECT_NE(log[0].find(" ms"), std::string::npos);
    EXPECT_EQ(log[0].find("merci"), std::string::npos) << "the text stays out of the log";
    EXPECT_EQ(log[1].rfind("GET /nowhere - 404 ", 0), 0u) << log[1];
    EXPECT_NE(log[2].find(" 400 "), std::string::npos) << log[2];
}

std::string BodyOf(const std::string& answer) {
    std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

std::string PercentEncodeAll(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) out += {'%', hex[c >> 4], hex[c & 15]};
    return out;
}

TEST(TranslationServer, TakesAnyTextWithinTheLimitFullyEncodedAndRefusesLongerTextsAndLines) {
    RunningServer server(std::make_unique<ScriptedEngine>());
    std::string atLimit;
    while (atLimit.size() < kMaxTextBytes) atLimit += "\xC3\xA9";  // é, two bytes each
    std::string target = "/raging/translate.dyn?lp=en_fr&urltext=" + PercentEncodeAll(atLimit);
    ASSERT_GT(target.size(), 3 * kMaxTextBytes);
    testing::RawAnswer taken = Exchange(server.Port(), ClientRequest(target));
    EXPECT_EQ(StatusOf(taken.bytes), 200);
    EXPECT_EQ(ClientReads(taken.bytes), atLimit);

    testing::RawAnswer longer = Exchange(server.Port(), ClientRequest(target + "%41"));
    EXPECT_EQ(StatusOf(longer.bytes), 414);
    // The program sends the text unescaped but for blanks and line breaks: 8 KiB of it is taken too.
    std::string plain(kMaxTextBytes, 'a');
    EXPECT_EQ(
        StatusOf(
            Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=" + plain)).bytes),
        200);

    std::string longLine =
        "/raging/translate.dyn?lp=en_fr&urltext=hi&pad=" + std::string(kMaxRequestLineBytes, 'p');
    testing::RawAnswer tooLong = Exchange(server.Port(), ClientRequest(longLine));
    EXPECT_TRUE(tooLong.closed);
    EXPECT_EQ(StatusOf(tooLong.bytes), 414);
    EXPECT_FALSE(HasMarkers(tooLong.bytes));
}

TEST(TranslationServer, AnswersWholeEvenWhenTheClientSentMoreThanTheRequest) {
    RunningServer server(nullptr);
    // A body nobody reads, and a second request behind the first: the answer must not be cut by a reset.
    testing::RawAnswer withBody = Exchange(
        server.Port(), "POST /raging/translate.dyn HTTP/1.0\r\nContent-Length: 10\r\n\r\n0123456789");
    EXPECT_EQ(StatusOf(withBody.bytes), 404);
    testing::RawAnswer pipelined =
        Exchange(server.Port(),
                 ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=thanks") + std::string(60000, 'x'));
    EXPECT_TRUE(pipelined.closed);
    EXPECT_EQ(ClientReads(pipelined.bytes), "merci");
}

TEST(TranslationServer, SlowAndSilentClientsHoldNoThreadWhileOthersAreAnswered) {
    ServerOptions options = RunningServer::TestOptions();
    options.threads = 1;
    options.ioThreads = 1;
    options.readTimeout = 5000ms;
    RunningServer server(nullptr, options);
    constexpr int kStalled = 200;
    std::vector<int> stalled;
    for (int i = 0; i < kStalled; ++i) {
        int fd = testing::ConnectLoopback(server.Port());
        ASSERT_GE(fd, 0);
        if (i % 2 == 0) testing::SendAll(fd, "GET /raging/translate.dyn?lp=en_fr&urltext=hel");
        stalled.push_back(fd);
    }
    for (int i = 0; i < 100 && server.OpenConnections() < kStalled; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(server.OpenConnections(), kStalled);

    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        testing::RawAnswer other =
            Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=hello"), 2000ms);
        EXPECT_EQ(ClientReads(other.bytes), "bonjour");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2000ms);
    for (int fd : stalled) ::close(fd);
}

TEST(TranslationServer, DropsAClientThatKeepsSendingAByteNowAndThenAtTheRequestDeadline) {
    ServerOptions options = RunningServer::TestOptions();
    options.requestTimeout = 1000ms;
    RunningServer server(nullptr, options);
    int fd = testing::ConnectLoopback(server.Port());
    auto started = std::chrono::steady_clock::now();
    std::string request = ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=hello");
    bool refused = false;
    // One byte every 200 ms: never silent for the 700 ms read timeout.
    for (std::size_t i = 0; i < request.size() && !refused; ++i) {
        refused = !testing::SendAll(fd, request.substr(i, 1));
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) > 0) break;
    }
    testing::RawAnswer dropped = testing::ReadUntilClosed(fd, 3000ms);
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(dropped.closed);
    EXPECT_TRUE(dropped.bytes.empty());
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 2500ms);
    ::close(fd);
}

// An engine that takes its time, and one that says it is down.
class SlowEngine : public ScriptedEngine {
public:
    EngineResult Translate(std::string_view pairCode, std::string_view text) override {
        std::this_thread::sleep_for(300ms);
        return ScriptedEngine::Translate(pairCode, text);
    }
};
class DownEngine : public ScriptedEngine {
public:
    EngineHealth Health() override { return {false, "scripted: down\n"}; }
};

TEST(TranslationServer, FinishesTheRequestsItIsAnsweringWhenStopped) {
    RunningServer server(std::make_unique<SlowEngine>());
    int fd = testing::ConnectLoopback(server.Port());
    testing::SendAll(fd, ClientRequest("/raging/translate.dyn?lp=en_fr&urltext=still+here"));
    int idle = testing::ConnectLoopback(server.Port());
    std::this_thread::sleep_for(100ms);
    auto started = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2000ms) << "the idle client does not hold it up";
    testing::RawAnswer answer = testing::ReadUntilClosed(fd, 2000ms);
    EXPECT_EQ(ClientReads(answer.bytes), "still here");
    EXPECT_TRUE(testing::ReadUntilClosed(idle, 2000ms).closed);
    ::close(fd);
    ::close(idle);
}

TEST(TranslationServer, HealthSaysUpOrDownWithTheEnginesParts) {
    RunningServer up(nullptr);
    testing::RawAnswer fine = Exchange(up.Port(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(StatusOf(fine.bytes), 200);
    EXPECT_EQ(BodyOf(fine.bytes).rfind("up\nphrasebook: up\n", 0), 0u) << fine.bytes;
    EXPECT_NE(BodyOf(fine.bytes).find("connections open: 1"), std::string::npos);

    RunningServer down(std::make_unique<DownEngine>());
    testing::RawAnswer sick = Exchange(down.Port(), "GET /healthz HTTP/1.0\r\n\r\n");
    EXPECT_EQ(StatusOf(sick.bytes), 503);
    EXPECT_NE(BodyOf(sick.bytes).find("scripted: down"), std::string::npos);
    EXPECT_EQ(StatusOf(Exchange(down.Port(), "POST /healthz HTTP/1.0\r\n\r\n").bytes), 404);
}

TEST(TranslationServer, ServesTheSkinGalleryInBothFormsAndHeadWithoutABody) {
    char name[] = "/tmp/quillmar-gallery-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    std::filesystem::path dir = name;
    std::filesystem::create_directories(dir / "blue");
    std::ofstream(dir / "blue" / "blue.QSK") << "[Skin]\r\ntitle=Deep <Blue>\r\n";
    ServerOptions options = RunningServer::TestOptions();
    options.skinsDir = dir.string();
    RunningServer server(nullptr, options);

    for (std::string target :
         {std::string(kSkinGalleryPath), "http://skins.example" + std::string(kSkinGalleryPath)}) {
        testing::RawAnswer page = Exchange(server.Port(), ClientRequest(target));
        EXPECT_EQ(StatusOf(page.bytes), 200) << target;
        EXPECT_NE(HeadersOf(page.bytes).find("text/html; charset=utf-8"), std::string::npos);
        EXPECT_NE(page.bytes.find("Deep &lt;Blue&gt;"), std::string::npos) << page.bytes;
        EXPECT_NE(page.bytes.find("id=\"submit\""), std::string::npos);
    }
    testing::RawAnswer head = Exchange(server.Port(), "HEAD /cgi-bin/quillmarskins.cgi HTTP/1.0\r\n\r\n");
    EXPECT_EQ(StatusOf(head.bytes), 200);
    EXPECT_TRUE(BodyOf(head.bytes).empty());
    EXPECT_NE(HeadersOf(head.bytes).find("content-length: "), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(TranslationServer, AnAcceptFilterSeesBothEndsAndWhatItRefusesIsClosedUnanswered) {
    std::mutex seenMutex;
    std::vector<ConnectionEnds> seen;
    std::atomic<bool> admit{false};
    ServerOptions options = RunningServer::TestOptions();
    options.acceptFilter = [&](const ConnectionEnds& ends) {
        std::lock_guard lock(seenMutex);
        seen.push_back(ends);
        return admit.load();
    };
    RunningServer server(nullptr, options);
    ASSERT_TRUE(server.bound);

    const int fd = testing::ConnectLoopback(server.Port());
    ASSERT_GE(fd, 0);
    sockaddr_in mine{};
    socklen_t size = sizeof mine;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&mine), &size), 0);
    const int clientPort = ntohs(mine.sin_port);
    testing::SendAll(fd, ClientRequest("/raging/translate.dyn?lp=en_es&urltext=hello"));
    const testing::RawAnswer refused = testing::ReadUntilClosed(fd, 3000ms);
    ::close(fd);
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(refused.bytes, "");
    {
        std::lock_guard lock(seenMutex);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].localAddress, "127.0.0.1");
        EXPECT_EQ(seen[0].localPort, server.Port());
        EXPECT_EQ(seen[0].peerAddress, "127.0.0.1");
        EXPECT_EQ(seen[0].peerPort, clientPort);
    }
    EXPECT_EQ(server.Log(1).at(0), "refused a connection from 127.0.0.1:" + std::to_string(clientPort));

    admit = true;
    const testing::RawAnswer served =
        Exchange(server.Port(), ClientRequest("/raging/translate.dyn?lp=en_es&urltext=hello"));
    EXPECT_EQ(StatusOf(served.bytes), 200);
}

TEST(TranslationServer, RefusesToBindATakenPort) {
    RunningServer first(nullptr);
    ServerOptions options = RunningServer::TestOptions();
    options.port = first.Port();
    EngineChain router(nullptr, std::make_unique<PhrasebookEngine>());
    TranslationServer second(options, router, nullptr);
    Status bound = second.Bind();
    EXPECT_FALSE(bound);
    EXPECT_NE(bound.Reason().find(std::to_string(first.Port())), std::string::npos) << bound.Reason();
}

}  // namespace
}  // namespace quillmar::service

#include <gtest/gtest.h>
#include <httplib.h>

#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "service/UpstreamEngine.h"
#include "translate/LanguagePairs.h"

namespace quillmar::service {
namespace {

// A LibreTranslate stand-in on loopback: records what it was sent and answers as the test says.
class FakeUpstream {
public:
    FakeUpstream() {
        m_server.Post(R"((/.*)?/translate)", [this](const httplib::Request& req, httplib::Response& res) {
            std::lock_guard lock(m_mutex);
            lastPath = req.path;
            lastContentType = req.get_header_value("Content-Type");
            lastBody = nlohmann::json::parse(req.body, nullptr, false);
            res.status = m_status;
            res.set_content(m_reply, "application/json");
        });
        port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FakeUpstream() {
        m_server.stop();
        m_thread.join();
    }
    std::string Url(std::string_view base = "") const {
        return "http://127.0.0.1:" + std::to_string(port) + std::string(base);
    }

    void AnswerWith(int status, std::string reply) {
        std::lock_guard lock(m_mutex);
        m_status = status;
        m_reply = std::move(reply);
    }

    int port = -1;
    std::string lastPath;
    std::string lastContentType;
    nlohmann::json lastBody;

private:
    std::mutex m_mutex;
    int m_status = 200;
    std::string m_reply = R"({"translatedText":"bonjour <le> monde"})";
    httplib::Server m_server;
    std::thread m_thread;
};

TEST(ParseUpstreamUrl, SplitsSchemeHostPortFromTheBasePath) {
    auto a = ParseUpstreamUrl("http://127.0.0.1:5000");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->schemeHostPort, "http://127.0.0.1:5000");
    EXPECT_EQ(a->basePath, "");
    auto b = ParseUpstreamUrl("https://translate.example/api/v1/");
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->schemeHostPort, "https://translate.example");
    EXPECT_EQ(b->basePath, "/api/v1");
    for (const char* bad : {"", "127.0.0.1:5000", "ftp://host", "http://", "http:///path", "http://:80"}) {
        EXPECT_FALSE(ParseUpstreamUrl(bad).has_value()) << bad;
    }
}

// Every check of the engine runs over each way of reaching the upstream: the two must not differ.
struct Transport {
    const char* name;
    UpstreamPost post;
};
void PrintTo(const Transport& transport, std::ostream* out) { *out << transport.name; }

class UpstreamEngineOver : public ::testing::TestWithParam<Transport> {
protected:
    UpstreamEngine Engine(std::string url, std::string key) const {
        return UpstreamEngine({std::move(url), std::move(key)}, GetParam().post);
    }
};

INSTANTIATE_TEST_SUITE_P(Transports, UpstreamEngineOver,
                         ::testing::Values(Transport{"httplib", &PostWithHttplib}, Transport{"asio", &PostWithAsio}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(UpstreamEngineOver, PostsTheLibreTranslateRequestAndReturnsTranslatedText) {
    FakeUpstream upstream;
    UpstreamEngine engine = Engine(upstream.Url("/base/"), "secret-key");
    for (const LanguagePair& pair : kLanguagePairs) EXPECT_TRUE(engine.Covers(pair.code));

    EngineResult result = engine.Translate("en_fr", "hello \"world\"\r\nñ");
    ASSERT_TRUE(result.ok) << result.text;
    EXPECT_EQ(result.text, "bonjour <le> monde");
    EXPECT_EQ(upstream.lastPath, "/base/translate");
    EXPECT_EQ(upstream.lastContentType, "application/json");
    ASSERT_TRUE(upstream.lastBody.is_object());
    EXPECT_EQ(upstream.lastBody["q"], "hello \"world\"\r\nñ");
    EXPECT_EQ(upstream.lastBody["source"], "en");
    EXPECT_EQ(upstream.lastBody["target"], "fr");
    EXPECT_EQ(upstream.lastBody["format"], "text");
    EXPECT_EQ(upstream.lastBody["api_key"], "secret-key");
}

TEST_P(UpstreamEngineOver, SendsNoKeyWhenNoneIsGiven) {
    FakeUpstream upstream;
    UpstreamEngine engine = Engine(upstream.Url(), "");
    ASSERT_TRUE(engine.Translate("de_fr", "Hallo").ok);
    EXPECT_EQ(upstream.lastPath, "/translate");
    EXPECT_FALSE(upstream.lastBody.contains("api_key"));
    EXPECT_EQ(upstream.lastBody["source"], "de");
}

TEST_P(UpstreamEngineOver, FailsOnErrorStatusBadJsonMissingFieldOrNoServer) {
    FakeUpstream upstream;
    UpstreamEngine engine = Engine(upstream.Url(), "k");
    struct Case {
        int status;
        const char* reply;
    };
    for (Case c : {Case{500, R"({"error":"boom"})"}, Case{403, R"({"error":"Invalid API key"})"},
                   Case{200, "not json"}, Case{200, R"({"translation":"x"})"},
                   Case{200, R"({"translatedText":42})"}, Case{200, "[]"}}) {
        upstream.AnswerWith(c.status, c.reply);
        EngineResult result = engine.Translate("en_es", "hello");
        EXPECT_FALSE(result.ok) << c.status << " " << c.reply;
        EXPECT_FALSE(result.text.empty());
    }

    UpstreamEngine bad = Engine("not a url", "");
    EXPECT_FALSE(bad.Covers("en_fr"));
    EXPECT_FALSE(bad.Translate("en_fr", "x").ok);
}

TEST_P(UpstreamEngineOver, FailsQuicklyWhenNothingListens) {
    int port = -1;
    {
        FakeUpstream gone;
        port = gone.port;
    }
    UpstreamEngine engine = Engine("http://127.0.0.1:" + std::to_string(port), "");
    auto started = std::chrono::steady_clock::now();
    EngineResult result = engine.Translate("en_fr", "hello");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.text.find("unreachable"), std::string::npos) << result.text;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

}  // namespace
}  // namespace quillmar::service

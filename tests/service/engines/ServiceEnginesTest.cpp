// The real quillmar-service program with a chain of engines on the fake engines: what a failing chain
// tells the client and the log, what the health page says, and the cache.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeEngines.h"
#include "../ServiceProcess.h"
#include "../ServiceTestSupport.h"

namespace quillmar::service {
namespace {

using testing::Session;
using testing::Str;
using testing::TheFakes;

constexpr const char* kServiceProgram = QUILLMAR_SERVICE_PROGRAM;
constexpr const char* kKey = "e2e-secret-key-4711:fx";
constexpr const char* kText = "private+words";

std::string HeaderOf(const std::string& answer, std::string_view name) {
    const std::string lowered = testing::Lowered(answer);
    const std::size_t at = lowered.find("\r\n" + testing::Lowered(name) + ": ");
    if (at == std::string::npos) return {};
    const std::size_t start = at + 4 + name.size();
    return answer.substr(start, answer.find("\r\n", start) - start);
}

std::string Get(int port, const std::string& target) {
    return testing::Exchange(port, "GET " + target + " HTTP/1.0\r\nHost: localhost\r\n\r\n",
                             std::chrono::milliseconds(10000))
        .bytes;
}

TEST(ServiceEngines, TellsWhyEachEngineFailedWithoutTheKeyOrTheText) {
    ASSERT_FALSE(TheFakes().url.empty()) << "the fake engines are not running";
    Session session;
    const std::filesystem::path keyFile =
        std::filesystem::temp_directory_path() / ("quillmar-e2e-key-" + session.Name());
    std::ofstream(keyFile) << "  " << kKey << "\n";
    testing::ServiceProcess service(
        kServiceProgram, {"--engine", "deepl,mymemory", "--deepl-url", session.Base(), "--deepl-key-file",
                          keyFile.string(), "--mymemory-url", session.Base(), "--ca-file", TheFakes().ca,
                          "--engine-timeout", "1"});
    ASSERT_GT(service.port, 0) << service.Log();
    session.Script("deepl", {{"status", 403}, {"body", R"({"message": "Forbidden"})"}});
    session.Script("mymemory", {{"delay_ms", 2500}});

    const std::string failed = Get(service.port, "/raging/translate.dyn?lp=en_fr&urltext=" + std::string(kText));
    EXPECT_EQ(testing::StatusOf(failed), 502) << failed;
    const std::string reasons = "deepl: key refused (403); mymemory: no answer within 1 s";
    EXPECT_EQ(HeaderOf(failed, "X-Quillmar-Error"), reasons);
    EXPECT_NE(failed.find(reasons + "."), std::string::npos) << failed;
    EXPECT_FALSE(testing::HasMarkers(failed));
    // The key went to DeepL, and nowhere else.
    EXPECT_EQ(Str(session.Last("deepl")["headers"], "authorization"), std::string("DeepL-Auth-Key ") + kKey);
    EXPECT_EQ(failed.find("e2e-secret"), std::string::npos);

    const std::string health = Get(service.port, "/healthz");
    EXPECT_NE(health.find("deepl: last request failed: key refused (403)"), std::string::npos) << health;
    EXPECT_NE(health.find("mymemory: last request failed: no answer within 1 s"), std::string::npos) << health;

    // Told to answer again: DeepL translates, and the same text a second time costs no request.
    session.Script("deepl", testing::Json::object());
    for (int i = 0; i < 2; ++i) {
        const std::string answered = Get(service.port, "/raging/translate.dyn?lp=en_fr&urltext=" + std::string(kText));
        EXPECT_EQ(testing::StatusOf(answered), 200) << answered;
        EXPECT_NE(answered.find("[FR] private words"), std::string::npos) << answered;
    }
    EXPECT_EQ(session.Last("deepl").value("count", 0), 2);

    service.Stop();
    const std::string log = service.Log();
    EXPECT_NE(log.find("502"), std::string::npos) << log;
    EXPECT_NE(log.find("(" + reasons + ")"), std::string::npos) << log;
    EXPECT_NE(log.find("(deepl)"), std::string::npos) << log;
    EXPECT_NE(log.find("(cache)"), std::string::npos) << log;
    EXPECT_EQ(log.find("e2e-secret"), std::string::npos) << log;
    EXPECT_EQ(log.find("private"), std::string::npos) << log;
    std::filesystem::remove(keyFile);
}

}  // namespace
}  // namespace quillmar::service

// The real quillmar-service program, started on a free loopback port, asked by the real quillmar-cli.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ServiceProcess.h"
#include "ServiceTestSupport.h"
#include "service/ApertiumEngine.h"
#include "translate/LanguagePairs.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

using quillmar::service::testing::Executable;
using quillmar::service::testing::ServiceProcess;

constexpr const char* kServiceProgram = QUILLMAR_SERVICE_PROGRAM;
constexpr const char* kCliProgram = QUILLMAR_CLI_PROGRAM;

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct CliRun {
    int exitStatus = -1;
    std::string out;
};

CliRun RunCli(const std::vector<std::string>& args) {
    std::string command = Quoted(kCliProgram);
    for (const std::string& a : args) command += " " + Quoted(a);
    command += " 2>/dev/null";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = ::pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class ServiceEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Executable(kServiceProgram)) << kServiceProgram;
        if (!Executable(kCliProgram)) GTEST_SKIP() << "quillmar-cli is not built";
    }
};

TEST_F(ServiceEndToEnd, TheCliTranslatesEveryPairThroughThePhrasebookService) {
    ServiceProcess service(kServiceProgram, {"--engine", "phrasebook"});
    ASSERT_GT(service.port, 0) << service.Log();
    struct Case {
        const char* caption;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"ENGLISH TO FRENCH", "good morning, my friend", "bonjour, mon ami"},
        {"ENGLISH TO GERMAN", "Thank you very much!", "Vielen Dank!"},
        {"ENGLISH TO ITALIAN", "see you tomorrow", "a domani"},
        {"ENGLISH TO PORTUGUESE", "good night", "boa noite"},
        {"ENGLISH TO SPANISH", "good morning", "buenos días"},
        {"FRENCH TO ENGLISH", "merci beaucoup", "thank you very much"},
        {"GERMAN TO ENGLISH", "Guten Morgen", "Good morning"},
        {"ITALIAN TO ENGLISH", "grazie", "thank you"},
        {"PORTUGUESE TO ENGLISH", "obrigado", "thank you"},
        {"RUSSIAN TO ENGLISH", "Привет", "Hello"},
        {"SPANISH TO ENGLISH", "¿cómo estás?", "¿how are you?"},
        {"FRENCH TO GERMAN", "bonne nuit", "gute Nacht"},
        {"GERMAN TO FRENCH", "gute Nacht", "bonne nuit"},
    };
    ASSERT_EQ(std::size(cases), quillmar::kLanguagePairs.size());
    for (const Case& c : cases) {
        CliRun run =
            RunCli({"--service", "127.0.0.1:" + std::to_string(service.port), "--pair", c.caption, c.text});
        EXPECT_EQ(run.exitStatus, 0) << c.caption;
        EXPECT_EQ(run.out, std::string(c.expected) + "\n") << c.caption;
    }
    std::string log = service.Log();
    for (const quillmar::LanguagePair& pair : quillmar::kLanguagePairs) {
        EXPECT_NE(log.find(std::string("GET /raging/translate.dyn ") + pair.code + " 200 "),
                  std::string::npos)
            << pair.code;
    }
    EXPECT_EQ(service.Stop(), 0);
}

TEST_F(ServiceEndToEnd, MarkupAndLineBreaksComeBackAsTheyWereThroughTheProxyForm) {
    ServiceProcess service(kServiceProgram, {"--engine", "phrasebook"});
    ASSERT_GT(service.port, 0) << service.Log();
    CliRun run = RunCli({"--service", "babel.invalid", "--proxy", "127.0.0.1:" + std::to_string(service.port),
                         "--pair", "ENGLISH TO FRENCH", "<b>hello</b> & \"yes\"\r\nthanks"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "<b>bonjour</b> & \"oui\"\r\nmerci\n");
    EXPECT_NE(service.Log().find("GET http://babel.invalid/raging/translate.dyn en_fr 200"),
              std::string::npos)
        << service.Log();
}

TEST_F(ServiceEndToEnd, TheCliGetsARealTranslationFromApertium) {
    if (!quillmar::service::ApertiumEngine().Installed()) GTEST_SKIP() << "Apertium is not installed";
    ServiceProcess service(kServiceProgram, {"--engine", "apertium"});
    ASSERT_GT(service.port, 0) << service.Log();
    // Every mode is warm before the service says it listens.
    std::string health =
        quillmar::service::testing::Exchange(service.port, "GET /healthz HTTP/1.0\r\n\r\n").bytes;
    EXPECT_EQ(quillmar::service::testing::StatusOf(health), 200);
    for (const auto& [pair, modes] : quillmar::service::ApertiumRoutes()) {
        for (const std::string& mode : modes)
            EXPECT_NE(health.find("apertium " + mode + ": 1 of 1 pipelines up"), std::string::npos) << health;
    }
    std::string address = "127.0.0.1:" + std::to_string(service.port);
    CliRun spanish =
        RunCli({"--service", address, "--pair", "ENGLISH TO SPANISH", "good morning, how are you?"});
    EXPECT_EQ(spanish.exitStatus, 0);
    EXPECT_NE(spanish.out.find("buenos días"), std::string::npos) << spanish.out;
    CliRun french = RunCli({"--service", address, "--pair", "ENGLISH TO FRENCH", "good morning"});
    EXPECT_EQ(french.exitStatus, 0);
    EXPECT_NE(french.out.find("bonjour"), std::string::npos) << french.out;
    // German is no installed mode: the phrase book answers.
    CliRun german = RunCli({"--service", address, "--pair", "ENGLISH TO GERMAN", "good morning"});
    EXPECT_EQ(german.out, "guten Morgen\n");
    EXPECT_EQ(service.Stop(), 0);
}

TEST(ServiceProgram, ItsSkinGalleryListsTheFolderNamedBySkinsDir) {
    ASSERT_TRUE(Executable(kServiceProgram));
    char name[] = "/tmp/quillmar-skins-e2e-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    std::string dir = name;
    std::filesystem::create_directories(dir + "/night");
    std::ofstream(dir + "/night/night.qsk") << "[SKIN]\r\nTITLE=Night & Day\r\n";
    ServiceProcess service(kServiceProgram, {"--engine", "phrasebook", "--skins-dir", dir});
    ASSERT_GT(service.port, 0) << service.Log();
    std::string page =
        quillmar::service::testing::Exchange(
            service.port, quillmar::service::testing::ClientRequest("/cgi-bin/quillmarskins.cgi"))
            .bytes;
    EXPECT_EQ(quillmar::service::testing::StatusOf(page), 200);
    EXPECT_NE(page.find("<b>Night &amp; Day</b>"), std::string::npos) << page;
    EXPECT_NE(page.find("<code>night</code>"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(ServiceProgram, RefusesABadListenAddressAndAnUpstreamWithoutUrl) {
    ASSERT_TRUE(Executable(kServiceProgram));
    for (const char* args : {"--listen nonsense", "--listen 127.0.0.1:99999", "--engine upstream",
                             "--engine bogus", "--warm en_xx"}) {
        std::string command = std::string(kServiceProgram) + " " + args + " 2>/dev/null";
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << args;
    }
}

}  // namespace

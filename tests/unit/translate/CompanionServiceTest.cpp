#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeChildProcesses.h"
#include "fakes/FakeConnection.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeSecretProtector.h"
#include "fakes/FakeTimers.h"
#include "translate/CompanionService.h"

namespace quillmar {
namespace {

using std::chrono::milliseconds;

constexpr const char* kServicePath = "C:\\Q\\quillmar-service.exe";

class CompanionServiceTest : public ::testing::Test {
protected:
    struct Answer {
        std::optional<ServiceAddress> address;
        std::string whyNot;
    };

    std::unique_ptr<CompanionService> Make(const std::string& defaultAddress = "") {
        return std::make_unique<CompanionService>(CompanionPorts{children, timers, settings, secrets, testConnection},
                                                  CompanionSetup{kServicePath, defaultAddress, "QUILLMAR", "settings"});
    }
    void Store(const std::string& key, const std::string& value) {
        settings.values["QUILLMAR|settings|" + key] = value;
    }
    // Asks for the next request's service; the answers collect in `answers`, whenever they come.
    void Find(CompanionService& companion) {
        companion.FindService([this](std::optional<ServiceAddress> address, const std::string& whyNot) {
            answers.push_back({std::move(address), whyNot});
        });
    }
    std::string AnswerAt(std::size_t i) const {
        if (i >= answers.size()) return "(none)";
        const Answer& a = answers[i];
        return a.address ? a.address->Authority() : "no: " + a.whyNot;
    }

    fakes::FakeChildProcesses children;
    fakes::FakeTimers timers;
    fakes::FakeSettingsStore settings;
    fakes::FakeSecretProtector secrets;
    fakes::FakeConnection testConnection;
    std::vector<Answer> answers;
};

TEST_F(CompanionServiceTest, TheStoredAddressChoosesTheServiceAndTheBuildsOnlyWhereNoneIsStored) {
    struct Case {
        std::optional<std::string> stored;
        std::string buildDefault;
        std::string expected;  // authority, or "companion"
    };
    const Case cases[] = {
        {std::nullopt, "", "companion"},
        {std::nullopt, "127.0.0.1:18431", "127.0.0.1:18431"},
        {"", "127.0.0.1:18431", "companion"},
        {"built-in", "", "companion"},
        {" Built-In ", "127.0.0.1:18431", "companion"},
        {"team.example:8080", "127.0.0.1:18431", "team.example:8080"},
        {"10.1.2.3", "", "10.1.2.3"},
    };
    for (const Case& c : cases) {
        settings.values.clear();
        if (c.stored) Store("ServiceAddress", *c.stored);
        answers.clear();
        const std::size_t startsBefore = children.children.size();
        auto companion = Make(c.buildDefault);
        Find(*companion);
        if (c.expected == "companion") {
            ASSERT_EQ(children.children.size(), startsBefore + 1) << c.stored.value_or("(missing)");
            EXPECT_TRUE(answers.empty());
            children.Listen(children.Last(), 50123);
            EXPECT_EQ(AnswerAt(0), "127.0.0.1:50123");
        } else {
            EXPECT_EQ(children.children.size(), startsBefore) << "no companion for " << c.expected;
            EXPECT_EQ(AnswerAt(0), c.expected);
        }
    }
}

TEST_F(CompanionServiceTest, StartsWithTheProgramOnAFreeLoopbackPortWithTheStoredEnginesButNoKey) {
    Store("Engines", "deepl,phrasebook");
    Store("OpenAIModel", "qwen3");
    Store("DeepLKey", *secrets.Protect("secret-deepl-key"));
    auto companion = Make();
    companion->StartWithProgram();
    ASSERT_EQ(children.children.size(), 1u);
    const auto& child = children.children.at(children.Last());
    EXPECT_EQ(child.path, kServicePath);
    EXPECT_EQ(child.arguments, (std::vector<std::string>{"--listen", "127.0.0.1:0", "--user-settings", "settings",
                                                          "--engine", "deepl,phrasebook", "--openai-model", "qwen3"}));

    // A request before the port is known waits for it; other lines on the way do not count.
    Find(*companion);
    children.Say(children.Last(), "quillmar-service: warming pipelines");
    children.Say(children.Last(), "quillmar-service: listening on 0.0.0.0:99 with engine x");
    EXPECT_TRUE(answers.empty());
    children.Listen(children.Last(), 49500);
    Find(*companion);
    EXPECT_EQ(AnswerAt(0), "127.0.0.1:49500");
    EXPECT_EQ(AnswerAt(1), "127.0.0.1:49500");
    EXPECT_EQ(answers[0].address->host, "127.0.0.1");
    EXPECT_EQ(children.children.size(), 1u);

    companion->EndWithProgram();
    EXPECT_EQ(children.Running(), 0u);
}

TEST_F(CompanionServiceTest, ACompanionThatDiedIsStartedAgainByTheNextRequestWhichStillGoesOut) {
    auto companion = Make();
    companion->StartWithProgram();
    const ChildId first = children.Last();
    children.Listen(first, 40001);
    children.Exit(first, 3);
    EXPECT_EQ(children.children.size(), 1u);  // nothing restarts it before a request needs it

    Find(*companion);
    ASSERT_EQ(children.children.size(), 2u);
    EXPECT_TRUE(answers.empty());
    children.Listen(children.Last(), 40002);
    EXPECT_EQ(AnswerAt(0), "127.0.0.1:40002");
}

TEST_F(CompanionServiceTest, AStartThatFailsTellsEveryWaitingRequestWhyInPlainWords) {
    auto companion = Make();
    children.refuseWith = "C:\\Q\\quillmar-service.exe is missing";
    Find(*companion);
    EXPECT_EQ(AnswerAt(0), "no: The translation service could not be started: C:\\Q\\quillmar-service.exe is missing.");

    // It exits before listening: its last words say why.
    children.refuseWith.clear();
    Find(*companion);
    Find(*companion);
    children.Say(children.Last(), "--engine: no engine is called \"dep1\"");
    children.Say(children.Last(), "");
    children.Exit(children.Last(), 2);
    EXPECT_EQ(AnswerAt(1), "no: The translation service stopped before it was ready: --engine: no engine is called "
                           "\"dep1\".");
    EXPECT_EQ(AnswerAt(2), AnswerAt(1));

    // No line in time: it is ended, and the next request tries afresh.
    Find(*companion);
    const ChildId silent = children.Last();
    timers.Advance(CompanionService::kStartLimit);
    EXPECT_EQ(AnswerAt(3), "no: The translation service did not start within 10 seconds.");
    EXPECT_FALSE(children.children.at(silent).running);
    Find(*companion);
    EXPECT_NE(children.Last(), silent);
    EXPECT_EQ(children.Running(), 1u);
}

TEST_F(CompanionServiceTest, RestartEndsTheCompanionAndStartsOneWithWhatIsStoredNow) {
    auto companion = Make();
    companion->StartWithProgram();
    const ChildId old = children.Last();
    children.Listen(old, 40001);

    Store("Engines", "phrasebook");
    companion->Restart();
    EXPECT_FALSE(children.children.at(old).running);
    ASSERT_NE(children.Last(), old);
    EXPECT_EQ(children.children.at(children.Last()).arguments[5], "phrasebook");
    Find(*companion);
    EXPECT_TRUE(answers.empty()) << "the old port must not be used";
    children.Listen(children.Last(), 40002);
    EXPECT_EQ(AnswerAt(0), "127.0.0.1:40002");

    // With another service chosen, nothing is started again.
    Store("ServiceAddress", "team.example:8080");
    companion->Restart();
    EXPECT_EQ(children.Running(), 0u);
}

class CompanionTestTranslation : public CompanionServiceTest {
protected:
    void RunTest(CompanionService& companion, const ServiceSettings& chosen) {
        companion.TestTranslation(chosen, "Hello, how are you?", [this](EngineTestOutcome outcome) {
            outcomes.push_back(outcome);
        });
    }
    std::vector<EngineTestOutcome> outcomes;
};

TEST_F(CompanionTestTranslation, UnsavedChoicesAreTriedOnASecondServiceWhichIsEndedAndItsScratchValuesEmptied) {
    auto companion = Make();
    companion->StartWithProgram();
    const ChildId running = children.Last();
    children.Listen(running, 40001);

    ServiceSettings chosen;
    chosen.engines.engines = "deepl";
    chosen.engines.deepLKey = "my-deepl-key";
    RunTest(*companion, chosen);
    ASSERT_EQ(children.children.size(), 2u);
    const ChildId test = children.Last();
    EXPECT_EQ(children.children.at(test).arguments,
              (std::vector<std::string>{"--listen", "127.0.0.1:0", "--user-settings", "service-test", "--engine",
                                        "deepl"}));
    EXPECT_EQ(settings.values["QUILLMAR|service-test|Engines"], "deepl");
    EXPECT_EQ(secrets.Unprotect(settings.values["QUILLMAR|service-test|DeepLKey"]), "my-deepl-key");
    EXPECT_EQ(settings.values.count("QUILLMAR|settings|DeepLKey"), 0u) << "the stored choice is untouched";

    children.Listen(test, 40777);
    ASSERT_EQ(testConnection.connects.size(), 1u);
    EXPECT_EQ(testConnection.connects[0].host, "127.0.0.1");
    EXPECT_EQ(testConnection.connects[0].port, 40777);
    testConnection.DeliverConnect();
    EXPECT_EQ(testConnection.sent.rfind("GET /raging/translate.dyn?lp=en_fr&urltext=Hello%2C+how+are+you%3F "
                                        "HTTP/1.0\r\nHost: 127.0.0.1:40777\r\n",
                                        0),
              0u)
        << testConnection.sent;
    testConnection.QueueData("HTTP/1.0 200 OK\r\n\r\n<textarea rows=3 name=q\">Bonjour, comment "
                             "allez-vous ?\r\n</textarea><p>");
    testConnection.DeliverClose();

    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].ok);
    EXPECT_EQ(outcomes[0].text, "Bonjour, comment allez-vous ?");
    EXPECT_FALSE(children.children.at(test).running);
    EXPECT_TRUE(children.children.at(running).running);
    EXPECT_EQ(settings.values["QUILLMAR|service-test|DeepLKey"], "");
    EXPECT_EQ(settings.values["QUILLMAR|service-test|Engines"], "");
}

TEST_F(CompanionTestTranslation, AFailureComesBackInTheServicesWordsOrAsTheReasonItNeverAnswered) {
    auto companion = Make();
    ServiceSettings chosen;
    chosen.engines.engines = "deepl";
    RunTest(*companion, chosen);
    children.Listen(children.Last(), 40777);
    testConnection.DeliverConnect();
    testConnection.QueueData("HTTP/1.0 502 Bad Gateway\r\nX-Quillmar-Error:  DeepL refused the key \r\n\r\n<html>");
    testConnection.DeliverClose();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].ok);
    EXPECT_EQ(outcomes[0].text, "DeepL refused the key.");

    // Started, never answered: the limit ends it.
    RunTest(*companion, chosen);
    children.Listen(children.Last(), 40778);
    testConnection.DeliverConnect();
    timers.Advance(CompanionService::kTestLimit);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].text, "No answer came in time.");
    EXPECT_EQ(children.Running(), 0u);

    // A service that cannot start: told later, never from inside the call.
    children.refuseWith = "the file is missing";
    RunTest(*companion, chosen);
    EXPECT_EQ(outcomes.size(), 2u);
    timers.Advance(milliseconds(1));
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[2].text, "The translation service could not be started: the file is missing.");

    // Another Quillmar service is asked directly, with its own path and Host line.
    children.refuseWith.clear();
    chosen.serviceAddress = "team.example:8080/q";
    const std::size_t started = children.children.size();
    RunTest(*companion, chosen);
    EXPECT_EQ(children.children.size(), started);
    ASSERT_EQ(testConnection.connects.back().host, "team.example");
    EXPECT_EQ(testConnection.connects.back().port, 8080);
    testConnection.DeliverConnect();
    EXPECT_NE(testConnection.sent.find("GET /q/raging/translate.dyn?lp=en_fr&"), std::string::npos);
    EXPECT_NE(testConnection.sent.find("Host: team.example:8080\r\n"), std::string::npos);
    testConnection.DeliverError(10061, "Connection refused");
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(outcomes[3].text, "Connection refused.");
}

}  // namespace
}  // namespace quillmar

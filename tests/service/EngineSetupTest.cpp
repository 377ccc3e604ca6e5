#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "service/EngineSetup.h"

namespace quillmar::service {
namespace {

class EngineSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir =
            std::filesystem::temp_directory_path() /
            ("quillmar-engine-setup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string File(const std::string& name, const std::string& content) {
        std::ofstream(m_dir / name, std::ios::binary) << content;
        return (m_dir / name).string();
    }
    EnvironmentLookup Environment() const {
        return [this](const char* name) -> std::optional<std::string> {
            auto found = m_environment.find(name);
            return found == m_environment.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
    }
    static std::unique_ptr<TranslationEngine> NoApertium(bool required, std::string& error) {
        if (required) error = "Apertium is not installed";
        return nullptr;
    }

    std::filesystem::path m_dir;
    std::map<std::string, std::string> m_environment;
};

TEST_F(EngineSetupTest, ReadsAKeyFromItsFileOrTheEnvironmentTrimmed) {
    m_environment["QUILLMAR_DEEPL_KEY"] = " from-env:fx\n";
    EXPECT_EQ(ReadKey(File("key", "\t from-file-123 \r\n"), "QUILLMAR_DEEPL_KEY", Environment()).Value(),
              "from-file-123");
    EXPECT_EQ(ReadKey("", "QUILLMAR_DEEPL_KEY", Environment()).Value(), "from-env:fx");
    EXPECT_EQ(ReadKey("", "QUILLMAR_OPENAI_KEY", Environment()).Value(), "");

    EXPECT_FALSE(ReadKey(File("empty", " \n"), "QUILLMAR_DEEPL_KEY", Environment()));
    EXPECT_FALSE(ReadKey((m_dir / "missing").string(), "QUILLMAR_DEEPL_KEY", Environment()));
    // A line inside would end the header it is sent in.
    Result<std::string> split = ReadKey(File("split", "secret-one\nX-Other: secret-two"), "V", Environment());
    ASSERT_FALSE(split);
    EXPECT_EQ(split.Reason().find("secret"), std::string::npos) << split.Reason();
}

TEST_F(EngineSetupTest, BuildsTheChainInTheOrderNamed) {
    m_environment["QUILLMAR_DEEPL_KEY"] = "k:fx";
    EngineSettings settings;
    settings.engines = "deepl, upstream,mymemory,phrasebook";
    settings.libreTranslateUrl = "https://127.0.0.1:5000/base";
    auto made = SetUpEngines(settings, Environment(), &NoApertium);
    ASSERT_TRUE(std::holds_alternative<EngineSetup>(made)) << std::get<SetupFailure>(made).message;
    EXPECT_EQ(std::get<EngineSetup>(made).chain->Names(), "deepl,libretranslate,mymemory,phrasebook");
    EXPECT_TRUE(std::get<EngineSetup>(made).waitsOnNetwork);

    // Without Apertium installed the default is the phrase book alone.
    auto fallback = SetUpEngines(EngineSettings{}, Environment(), &NoApertium);
    ASSERT_TRUE(std::holds_alternative<EngineSetup>(fallback));
    EXPECT_EQ(std::get<EngineSetup>(fallback).chain->Translate("en_fr", "hello").answeredBy, "phrasebook");
}

TEST_F(EngineSetupTest, RefusesAChainItCannotBuild) {
    struct Case {
        std::string engines;
        int exitCode;
        std::string says;
    };
    for (const Case& c :
         {Case{"deepl", 64, "QUILLMAR_DEEPL_KEY"}, Case{"libretranslate", 64, "--libretranslate-url"},
          Case{"openai", 64, "--openai-url"}, Case{"google", 64, "no engine"},
          Case{"mymemory,mymemory", 64, "twice"}, Case{"apertium", 69, "not installed"}}) {
        EngineSettings settings;
        settings.engines = c.engines;
        auto made = SetUpEngines(settings, Environment(), &NoApertium);
        ASSERT_TRUE(std::holds_alternative<SetupFailure>(made)) << c.engines;
        EXPECT_EQ(std::get<SetupFailure>(made).exitCode, c.exitCode) << c.engines;
        EXPECT_NE(std::get<SetupFailure>(made).message.find(c.says), std::string::npos)
            << std::get<SetupFailure>(made).message;
    }
    EngineSettings badUrl;
    badUrl.engines = "mymemory";
    badUrl.myMemoryUrl = "api.mymemory.translated.net";
    EXPECT_TRUE(std::holds_alternative<SetupFailure>(SetUpEngines(badUrl, Environment(), &NoApertium)));
}

TEST_F(EngineSetupTest, TheUsersStoredSettingsFillWhatTheCommandLineLeftOpen) {
    quillmar::ServiceSettings stored;
    stored.engines = {"deepl,libretranslate",
                      "https://lt.example",
                      "lt-stored",
                      "dl-stored:fx",
                      "http://127.0.0.1:11434/v1",
                      "qwen3",
                      "sk-stored",
                      "me@example.org"};
    EngineSettings settings;
    settings.engines = "openai";
    settings.openaiModel = "llama3.2";
    const std::set<std::string> given{"--engine", "--openai-model", "--deepl-key-file"};
    TakeStoredSettings(settings, stored, [&](const char* option) { return given.count(option) > 0; });
    EXPECT_EQ(settings.engines, "openai");
    EXPECT_EQ(settings.openaiModel, "llama3.2");
    EXPECT_EQ(settings.openaiUrl, "http://127.0.0.1:11434/v1");
    EXPECT_EQ(settings.libreTranslateUrl, "https://lt.example");
    EXPECT_EQ(settings.myMemoryEmail, "me@example.org");
    EXPECT_FALSE(settings.storedDeeplKey);  // the key file named wins
    ASSERT_TRUE(settings.storedOpenaiKey);

    // A stored key comes before the environment and after a file named.
    m_environment["QUILLMAR_OPENAI_KEY"] = "sk-env";
    EXPECT_EQ(ReadKey("", settings.storedOpenaiKey, "QUILLMAR_OPENAI_KEY", Environment()).Value(),
              "sk-stored");
    EXPECT_EQ(ReadKey(File("key", "sk-file"), settings.storedOpenaiKey, "QUILLMAR_OPENAI_KEY", Environment())
                  .Value(),
              "sk-file");
    EXPECT_EQ(ReadKey("", StoredKey{}, "QUILLMAR_OPENAI_KEY", Environment()).Value(), "sk-env");
    Result<std::string> split =
        ReadKey("", StoredKey{"sk-one\nX: sk-two"}, "QUILLMAR_OPENAI_KEY", Environment());
    ASSERT_FALSE(split);
    EXPECT_EQ(split.Reason().find("sk-"), std::string::npos) << split.Reason();
}

TEST_F(EngineSetupTest, AStoredKeyThatCannotBeUsedFailsItsEngineWithAPlainReasonAndTheChainGoesOn) {
    quillmar::ServiceSettings stored;
    stored.engines.engines = "deepl,libretranslate,openai,phrasebook";
    stored.engines.libreTranslateUrl = "https://lt.example";
    stored.engines.openAIUrl = "http://127.0.0.1:11434/v1";
    stored.engines.openAIModel = "qwen3";
    stored.unreadableKeys = {"LibreTranslateKey", "OpenAIKey"};
    m_environment["QUILLMAR_OPENAI_KEY"] = "sk-env";  // not taken for a stored key that cannot be opened
    EngineSettings settings;
    TakeStoredSettings(settings, stored, [](const char*) { return false; });
    auto made = SetUpEngines(settings, Environment(), &NoApertium);
    ASSERT_TRUE(std::holds_alternative<EngineSetup>(made)) << std::get<SetupFailure>(made).message;
    ChainAnswer answer = std::get<EngineSetup>(made).chain->Translate("en_fr", "hello");
    EXPECT_EQ(answer.answeredBy, "phrasebook");
    EXPECT_EQ(answer.failures,
              (std::vector<std::string>{
                  "deepl: no DeepL key is stored for this user; enter one",
                  "libretranslate: the LibreTranslate key could not be read for this user; enter it again",
                  "openai: the language model's key could not be read for this user; enter it again"}));
}

}  // namespace
}  // namespace quillmar::service

#include <gtest/gtest.h>

#include "contracts/SecretProtectorContract.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeSecretProtector.h"
#include "translate/ServiceSettings.h"

namespace quillmar {
namespace {

ServiceSettings EveryValue() {
    ServiceSettings settings;
    settings.serviceAddress = "10.0.0.5:8080";
    settings.engines = {
        "deepl,mymemory", "https://lt.example/", "lt-key", "dl-key:fx", "http://127.0.0.1:11434/v1", "qwen3",
        "sk-key",         "me@example.org"};
    return settings;
}

TEST(ServiceSettings, RoundTripsEveryValueWithKeysNeverStoredInClear) {
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector protector;
    ASSERT_TRUE(SaveServiceSettings(store, protector, "QUILLMAR", "settings", EveryValue()));

    EXPECT_EQ(LoadServiceSettings(store, protector, "QUILLMAR", "settings"), EveryValue());
    for (const char* key : {"LibreTranslateKey", "DeepLKey", "OpenAIKey"}) {
        const std::string stored = store.values.at(std::string("QUILLMAR|settings|") + key);
        EXPECT_EQ(stored.find("key"), std::string::npos) << key << " stored as " << stored;
    }
    EXPECT_EQ(store.values.at("QUILLMAR|settings|MyMemoryEmail"), "me@example.org");
}

TEST(ServiceSettings, NothingStoredDefaultsToTheCompanionWithMyMemory) {
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector protector;
    const ServiceSettings loaded = LoadServiceSettings(store, protector, "QUILLMAR", "settings");
    EXPECT_EQ(loaded.serviceAddress, "");
    EXPECT_EQ(loaded.engines, EngineSettings{});
    EXPECT_EQ(loaded.engines.engines, "mymemory");
}

TEST(ServiceSettings, AKeyThatCannotBeProtectedStoresNothingAtAll) {
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector protector;
    protector.refuses = true;
    EXPECT_FALSE(SaveServiceSettings(store, protector, "QUILLMAR", "settings", EveryValue()));
    EXPECT_TRUE(store.values.empty());
}

TEST(ServiceSettings, AKeyAnotherUserProtectedReadsAsNone) {
    fakes::FakeSettingsStore store;
    fakes::FakeSecretProtector theirs;
    theirs.user = "them";
    ASSERT_TRUE(SaveServiceSettings(store, theirs, "QUILLMAR", "settings", EveryValue()));
    fakes::FakeSecretProtector mine;
    const ServiceSettings loaded = LoadServiceSettings(store, mine, "QUILLMAR", "settings");
    EXPECT_EQ(loaded.engines.deepLKey, "");
    EXPECT_EQ(loaded.engines.engines, "deepl,mymemory");
    EXPECT_EQ(loaded.unreadableKeys,
              (std::vector<std::string>{"LibreTranslateKey", "DeepLKey", "OpenAIKey"}));
    EXPECT_TRUE(LoadServiceSettings(store, theirs, "QUILLMAR", "settings").unreadableKeys.empty());
}

struct FakeProtectorMaker {
    static std::unique_ptr<SecretProtector> Make() { return std::make_unique<fakes::FakeSecretProtector>(); }
    static std::string Foreign(const std::string& clear) {
        fakes::FakeSecretProtector theirs;
        theirs.user = "them";
        return theirs.Protect(clear).value_or("");
    }
};

}  // namespace
}  // namespace quillmar

namespace quillmar::contracts {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, SecretProtectorContract, FakeProtectorMaker);
}  // namespace quillmar::contracts

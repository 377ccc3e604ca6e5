#pragma once

// One behaviour for every SettingsStore implementation. Instantiate with a type that has
//   static std::unique_ptr<SettingsStore> Make(const ContractFolder& folder);  // a store of its own
//   static void Forget(const std::string& appName);  // removes what an application left behind
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "contracts/ContractFolder.h"
#include "platform/SettingsStore.h"

namespace quillmar::contracts {

template <typename Maker>
class SettingsStoreContract : public ::testing::Test {
protected:
    // A name of this test's own: a store kept outside the folder (the registry) starts empty too.
    SettingsStoreContract()
        : m_app("QuillmarContract" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())) {}
    ~SettingsStoreContract() override { Maker::Forget(m_app); }

    ContractFolder m_folder;
    std::string m_app;
    std::unique_ptr<SettingsStore> m_store = Maker::Make(m_folder);
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

TYPED_TEST_P(SettingsStoreContract, SavedValuesComeBackExactlyAcrossStartsAndMissingOnesGiveTheFallback) {
    SettingsStore& store = *this->m_store;
    const std::string& app = this->m_app;
    EXPECT_EQ(store.GetSetting(app, "settings", "CurrentSkin", "none"), "none");

    const std::string unicode = "Зелёный скин \xF0\x9F\x8C\xBF";  // Cyrillic and a character beyond U+FFFF
    const std::string longValue(5000, 'q');                      // beyond any fixed read buffer
    ASSERT_TRUE(store.SaveSetting(app, "settings", "CurrentSkin", "Blue"));
    ASSERT_TRUE(store.SaveSetting(app, "settings", "loadwin", ""));
    ASSERT_TRUE(store.SaveSetting(app, "settings", "odd", "  \"quoted\" ; = [x] "));
    ASSERT_TRUE(store.SaveSetting(app, "settings", "unicode", unicode));
    ASSERT_TRUE(store.SaveSetting(app, "settings", "long", longValue));
    ASSERT_TRUE(store.SaveSetting(app, "settings", "CurrentSkin", "Red Skin"));  // replaces
    ASSERT_TRUE(store.SaveSetting(app, "other", "CurrentSkin", "Green"));

    EXPECT_EQ(store.GetSetting(app, "settings", "CurrentSkin", "none"), "Red Skin");
    EXPECT_EQ(store.GetSetting(app, "settings", "currentskin", "none"), "Red Skin");  // names ignore case
    EXPECT_EQ(store.GetSetting(app, "settings", "loadwin", "none"), "");             // present and empty
    EXPECT_EQ(store.GetSetting(app, "settings", "odd", ""), "  \"quoted\" ; = [x] ");
    EXPECT_EQ(store.GetSetting(app, "settings", "unicode", ""), unicode);
    EXPECT_EQ(store.GetSetting(app, "settings", "long", ""), longValue);
    EXPECT_EQ(store.GetSetting(app, "other", "CurrentSkin", ""), "Green");
    EXPECT_EQ(store.GetSetting(app, "missing", "CurrentSkin", "fb"), "fb");
    EXPECT_EQ(store.GetSetting(app + "X", "settings", "CurrentSkin", "fb"), "fb");

    // The next start of the program reads what this one saved.
    std::unique_ptr<SettingsStore> again = TypeParam::Make(this->m_folder);
    EXPECT_EQ(again->GetSetting(app, "settings", "CurrentSkin", ""), "Red Skin");
    EXPECT_EQ(again->GetSetting(app, "settings", "unicode", ""), unicode);
}

TYPED_TEST_P(SettingsStoreContract, RefusesNamesThatCouldReachAnotherApplicationsValues) {
    SettingsStore& store = *this->m_store;
    EXPECT_FALSE(store.SaveSetting("", "settings", "k", "v"));
    EXPECT_FALSE(store.SaveSetting(this->m_app + "\\..\\escape", "settings", "k", "v"));
    EXPECT_EQ(store.GetSetting("", "settings", "k", "fb"), "fb");
    EXPECT_EQ(store.GetSetting(this->m_app + "\\..\\escape", "settings", "k", "fb"), "fb");
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract,
                            SavedValuesComeBackExactlyAcrossStartsAndMissingOnesGiveTheFallback,
                            RefusesNamesThatCouldReachAnotherApplicationsValues);

}  // namespace quillmar::contracts

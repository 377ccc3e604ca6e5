#pragma once

// One behaviour for every SecretProtector implementation. Instantiate with a type that has
//   static std::unique_ptr<SecretProtector> Make();
//   static std::string Foreign(const std::string& clear);  // a stored form this user's protector must not
//                                                          // open (another user's, another program's)
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/SecretProtector.h"

namespace quillmar::contracts {

template <typename Maker>
class SecretProtectorContract : public ::testing::Test {
protected:
    std::unique_ptr<SecretProtector> m_protector = Maker::Make();
};

TYPED_TEST_SUITE_P(SecretProtectorContract);

TYPED_TEST_P(SecretProtectorContract, KeysComeBackExactlyAndAreNotStoredInClear) {
    SecretProtector& protector = *this->m_protector;
    const std::string keys[] = {"3f2a9c1e-77d0-4e2b-9a61-0c5d8e4f1b2a:fx", "k1",
                                std::string(3000, 'z') + "end", "ключ \xF0\x9F\x94\x91 with: colons"};
    for (const std::string& key : keys) {
        std::optional<std::string> stored = protector.Protect(key);
        ASSERT_TRUE(stored) << key.substr(0, 40);
        EXPECT_EQ(stored->find(key), std::string::npos) << stored->substr(0, 80);
        EXPECT_EQ(protector.Unprotect(*stored), key);
        // The next start of the program, a new protector, opens it too.
        EXPECT_EQ(TypeParam::Make()->Unprotect(*stored), key);
    }
    std::optional<std::string> empty = protector.Protect("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(protector.Unprotect(*empty), "");
}

TYPED_TEST_P(SecretProtectorContract, WhatThisUserCannotOpenReadsAsNone) {
    SecretProtector& protector = *this->m_protector;
    const std::string key = "secret-key-4711";
    EXPECT_EQ(protector.Unprotect(TypeParam::Foreign(key)), std::nullopt);
    EXPECT_EQ(protector.Unprotect(""), std::nullopt);
    EXPECT_EQ(protector.Unprotect(key), std::nullopt);  // a clear key someone typed into the store

    const std::string stored = protector.Protect(key).value_or("");
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(protector.Unprotect(stored.substr(0, stored.size() / 2)), std::nullopt);
    std::string changed = stored;
    char& middle = changed[changed.size() * 2 / 3];
    middle = middle == 'A' ? 'B' : 'A';
    EXPECT_EQ(protector.Unprotect(changed), std::nullopt) << changed;
}

REGISTER_TYPED_TEST_SUITE_P(SecretProtectorContract, KeysComeBackExactlyAndAreNotStoredInClear,
                            WhatThisUserCannotOpenReadsAsNone);

}  // namespace quillmar::contracts

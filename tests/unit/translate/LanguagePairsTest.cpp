#include "translate/LanguagePairs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillmar {
namespace {

TEST(LanguagePairs, StartCaptionLooksUpEnglishToFrench) {
    EXPECT_EQ(LookupPairCode(kLanguagePairs[kDefaultPairRow].labelCaption), "en_fr");
}

TEST(LanguagePairs, CaptionIsLoweredBeforeTheExactKeyMatch) {
    EXPECT_EQ(LookupPairCode("RUSSIAN TO ENGLISH"), "ru_en");
    EXPECT_EQ(LookupPairCode("RuSsIaN tO eNgLiSh"), "ru_en");
    EXPECT_EQ(LookupPairCode(""), std::nullopt);
    EXPECT_EQ(LookupPairCode(" ENGLISH TO FRENCH"), std::nullopt);
    EXPECT_EQ(LookupPairCode("ENGLISH TO"), std::nullopt);
}

TEST(LanguagePairs, EveryRowIsConsistentAndReachable) {
    std::set<std::string> codes;
    for (const LanguagePair& pair : kLanguagePairs) {
        std::string upper(pair.menuCaption);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(upper, pair.labelCaption);
        EXPECT_EQ(LookupPairCode(pair.labelCaption), pair.code);
        codes.insert(pair.code);
    }
    EXPECT_EQ(codes.size(), 13U);
}

}  // namespace
}  // namespace quillmar

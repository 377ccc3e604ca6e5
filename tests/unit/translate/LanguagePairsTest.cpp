#include "translate/LanguagePairs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillmar {
namespace {

TEST(LanguagePairs, StartCaptionLooksUpEnglishToFrench) {
    const std::optional<std::size_t> row = LookupPairRow(kLanguagePairs[kDefaultPairRow].labelCaption);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(kLanguagePairs[*row].code, std::string("en_fr"));
}

TEST(LanguagePairs, CaptionIsLoweredBeforeTheExactKeyMatch) {
    const std::size_t russian = 9;
    ASSERT_EQ(kLanguagePairs[russian].code, std::string("ru_en"));
    EXPECT_EQ(LookupPairRow("RUSSIAN TO ENGLISH"), russian);
    EXPECT_EQ(LookupPairRow("RuSsIaN tO eNgLiSh"), russian);
    EXPECT_EQ(LookupPairRow(""), std::nullopt);
    EXPECT_EQ(LookupPairRow(" ENGLISH TO FRENCH"), std::nullopt);
    EXPECT_EQ(LookupPairRow("ENGLISH TO"), std::nullopt);
}

TEST(LanguagePairs, EveryRowIsConsistentAndReachable) {
    std::set<std::string> codes;
    for (std::size_t row = 0; row < kLanguagePairs.size(); ++row) {
        const LanguagePair& pair = kLanguagePairs[row];
        std::string upper(pair.menuCaption);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(upper, pair.labelCaption);
        EXPECT_EQ(LookupPairRow(pair.labelCaption), row);
        codes.insert(pair.code);
    }
    EXPECT_EQ(codes.size(), 13U);
}

}  // namespace
}  // namespace quillmar

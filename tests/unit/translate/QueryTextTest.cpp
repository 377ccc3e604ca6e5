#include <gtest/gtest.h>

#include "translate/QueryText.h"

namespace quillmar {
namespace {

TEST(PrepareQueryText, AtMostOneCharacterAfterTheBlankAndLineBreakRewritingIsNoMessage) {
    EXPECT_EQ(PrepareQueryText(""), std::nullopt);
    EXPECT_EQ(PrepareQueryText("a"), std::nullopt);
    EXPECT_EQ(PrepareQueryText(" "), std::nullopt);                 // "+" is one character
    EXPECT_EQ(PrepareQueryText("\xC3\xA9"), std::nullopt);          // one code point, two bytes
    EXPECT_EQ(PrepareQueryText("\xF0\x9F\x98\x80"), std::nullopt);  // one code point, four bytes
}

TEST(PrepareQueryText, TwoCharactersOrALineBreakAreSent) {
    EXPECT_EQ(PrepareQueryText("  "), "++");
    EXPECT_EQ(PrepareQueryText("ab"), "ab");
    EXPECT_EQ(PrepareQueryText("\n"), "%0A");  // a lone LF is three characters once rewritten
    EXPECT_EQ(PrepareQueryText("\r"), "%0D");
    EXPECT_EQ(PrepareQueryText("\xC3\xA9\xC3\xA9"), "%C3%A9%C3%A9");
}

TEST(PrepareQueryText, BlanksAndLineBreaksAreRewrittenWithOrWithoutCr) {
    EXPECT_EQ(PrepareQueryText("good morning"), "good+morning");
    EXPECT_EQ(PrepareQueryText("line1\r\nline2"), "line1%0D%0Aline2");
    EXPECT_EQ(PrepareQueryText("line1\nline2"), "line1%0Aline2");
    EXPECT_EQ(PrepareQueryText("a\r\rb"), "a%0D%0Db");
}

TEST(PrepareQueryText, OnlyUnreservedBytesStayAsTheyAre) {
    EXPECT_EQ(PrepareQueryText("AZaz09-._~"), "AZaz09-._~");
    // Each of these would cut or corrupt the query at the service.
    EXPECT_EQ(PrepareQueryText("a&b=c%d#e?f+g/h"), "a%26b%3Dc%25d%23e%3Ff%2Bg%2Fh");
    EXPECT_EQ(PrepareQueryText("@$@@$@"), "%40%24%40%40%24%40");
    EXPECT_EQ(PrepareQueryText("_$-$_$-"), "_%24-%24_%24-");
    EXPECT_EQ(PrepareQueryText("a\tb\x01\x7F"), "a%09b%01%7F");
    // Upper-case hex, every byte of a multi-byte character.
    EXPECT_EQ(PrepareQueryText("\xD0\xBF\xD1\x80\xD0\xB8"), "%D0%BF%D1%80%D0%B8");
    EXPECT_EQ(PrepareQueryText("\xFFz\xAB"), "%FFz%AB");
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include <string>

#include "skins/SkinColour.h"

namespace quillmar {
namespace {

struct Case {
    std::string value;
    std::optional<std::int32_t> number;
};

void ExpectNumbers(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(ReadColourNumber(c.value), c.number) << '"' << c.value << '"';
}

TEST(ReadColourNumber, DecimalWithSignFractionAndExponentAfterBlanksTabsAndLineFeedsGo) {
    ExpectNumbers({{"16711680", 16711680},
                   {" 16711680", 16711680},  // as the designer writes it
                   {"1 6\t7\n11680", 16711680},
                   {"+255", 255},
                   {"-255", -255},
                   {"- 5", -5},
                   {"255abc", 255},
                   {"1.5e2", 150},
                   {"2.55E+2", 255},
                   {"25500e-2", 255},
                   {".5e1", 5},
                   {"7.", 7},
                   {"3e", 3},  // no exponent digits: the number ends before the "e"
                   {"3e+", 3},
                   {"1.2.3", 1},
                   {"12\r34", 12},  // a carriage return is not removed
                   {"1e-400", 0}});
}

TEST(ReadColourNumber, RoundsHalvesToEven) {
    ExpectNumbers({{"0.5", 0},
                   {"1.5", 2},
                   {"2.5", 2},
                   {"3.5", 4},
                   {"-2.5", -2},
                   {"-3.5", -4},
                   {"2.4999", 2},
                   {"2.5001", 3},
                   {"254.6", 255}});
}

TEST(ReadColourNumber, HexadecimalAndOctalAfterTheirPrefixes) {
    ExpectNumbers({{"&HFF", 255},
                   {"&hff", 255},
                   {"&HFF0000", 16711680},
                   {"& H 1 0", 16},
                   {"&HFFzz", 255},
                   {"&O377", 255},
                   {"&o17", 15},
                   {"&O78", 7},
                   {"&H7FFFFFFF", 2147483647},
                   {"&HG", 0},
                   {"&H", 0},
                   {"&O", 0},
                   {"&X12", 0},
                   {"-&H10", 0}});
}

TEST(ReadColourNumber, NoLeadingNumberIsZeroAndBeyond32BitsIsNone) {
    ExpectNumbers({{"", 0},
                   {"   ", 0},
                   {"abc", 0},
                   {"-", 0},
                   {".", 0},
                   {"e5", 0},
                   {"+-5", 0},
                   {"inf", 0},
                   {"nan", 0},
                   {"0x10", 0}});
    ExpectNumbers({{"2147483647", 2147483647},
                   {"-2147483648", std::numeric_limits<std::int32_t>::min()},
                   {"2147483647.4", 2147483647},
                   {"2147483648", std::nullopt},
                   {"2147483647.5", std::nullopt},  // rounds up out of range
                   {"-2147483649", std::nullopt},
                   {"1e10", std::nullopt},
                   {"1e400", std::nullopt},
                   // Beyond a double: the digits and the exponent together say whether large or small.
                   {"0.1e400", std::nullopt},
                   {"1" + std::string(400, '0') + "e-10", std::nullopt},
                   {"100e-400", 0},
                   {"0.000e99999", 0},
                   {"99999999999999999999999999", std::nullopt},
                   {"&H80000000", std::nullopt},
                   {"&HFFFFFFFF", std::nullopt},
                   {"&O20000000000", std::nullopt}});
}

TEST(ReadSkinColour, LabelsTakeOnlyTwentyFourBitColours) {
    EXPECT_EQ(ReadSkinColour(" 16711680"), Colour{0xFF0000});
    EXPECT_EQ(ReadSkinColour("abc"), Colour{0});
    EXPECT_EQ(ReadSkinColour(""), Colour{0});
    EXPECT_EQ(ReadSkinColour("&HFFFFFF"), Colour{0xFFFFFF});
    EXPECT_EQ(ReadSkinColour("&H1000000"), std::nullopt);
    EXPECT_EQ(ReadSkinColour("-1"), std::nullopt);
    EXPECT_EQ(ReadSkinColour("1e10"), std::nullopt);
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include "forms/Twips.h"

namespace quillmar {
namespace {

struct Dpi {
    int dpi;
    double factor;
};
constexpr Dpi kScales[] = {{96, 1.0}, {120, 1.25}, {144, 1.5}, {192, 2.0}};

TEST(TwipsScale, SizesScaleWithTheDpiAndHalvesKeepTheirRow) {
    for (const Dpi& d : kScales) {
        const TwipsScale scale(d.dpi);
        SCOPED_TRACE(d.dpi);
        // The toolbar, 241 x 15 pixels at 96 DPI, and the status window, 123 x 25.
        EXPECT_EQ(scale.ToPixels(3615), static_cast<int>(241 * d.factor + 0.5));
        EXPECT_EQ(scale.ToPixels(225), static_cast<int>(15 * d.factor + 0.5));
        EXPECT_EQ(scale.FromDesign(25), static_cast<int>(25 * d.factor + 0.5));
    }
    EXPECT_EQ(TwipsScale(144).ToPixels(225), 23);  // 22.5: the strip's bottom row stays
    // Left of or above the screen's origin: nearest too, halves towards the origin's right and bottom.
    EXPECT_EQ(TwipsScale(144).ToPixels(-225), -22);
    EXPECT_EQ(TwipsScale(120).ToPixels(-225), -19);
    EXPECT_EQ(TwipsScale(0).Dpi(), 96);
}

TEST(TwipsScale, ScreenPixelsComeBackExactlyAtEveryDpi) {
    for (const int dpi : {96, 120, 144, 168, 192, 240}) {
        const TwipsScale scale(dpi);
        for (int pixels = -2000; pixels <= 4000; ++pixels) {
            ASSERT_EQ(scale.ToPixels(scale.ToTwips(pixels)), pixels) << dpi << " dpi";
        }
    }
}

TEST(TwipsScale, RectanglesThatMeetInTwipsMeetInPixels) {
    for (const Dpi& d : kScales) {
        const TwipsScale scale(d.dpi);
        // Three buttons side by side at odd twips, and a row beneath them.
        const TwipsRect a{7, 11, 1063, 217}, b{1070, 11, 2297, 217}, c{3367, 11, 253, 217}, below{7, 228, 3613, 100};
        const PixelRect pa = scale.ToPixels(a), pb = scale.ToPixels(b), pc = scale.ToPixels(c);
        const PixelRect pBelow = scale.ToPixels(below);
        EXPECT_EQ(pa.left + pa.width, pb.left) << d.dpi;
        EXPECT_EQ(pb.left + pb.width, pc.left) << d.dpi;
        EXPECT_EQ(pa.top + pa.height, pBelow.top) << d.dpi;
        EXPECT_EQ(pc.left + pc.width, pBelow.left + pBelow.width) << d.dpi;
    }
}

}  // namespace
}  // namespace quillmar

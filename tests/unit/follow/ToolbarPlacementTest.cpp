#include <gtest/gtest.h>

#include "follow/ToolbarPlacement.h"

namespace quillmar {
namespace {

constexpr double kWidth = 241;  // the built-in toolbar, pixels
constexpr int kHeight = 15;
constexpr Rect kScreen{0, 0, 1920, 1040};  // 1920 x 1080 less a 40-pixel taskbar

// A Windows 10 window: 7 invisible pixels each side and below, three 46-pixel buttons 30 high.
ToolbarTarget Windows10(Rect visible, std::optional<Rect> workArea = kScreen) {
    const Rect window{visible.left - 7, visible.top, visible.right + 7, visible.bottom + 7};
    const Rect buttons{visible.right - 3 * 46, visible.top + 1, visible.right, visible.top + 31};
    return {window, WindowFrame{visible, buttons}, workArea};
}

TEST(ToolbarPlacement, SitsJustLeftOfTheCaptionButtonsCentredOnTheirBand) {
    const ToolbarSpot spot = PlaceToolbar(Windows10({100, 50, 900, 650}), kWidth, kHeight);
    EXPECT_EQ(spot, (ToolbarSpot{900 - 138 - 4 - 241, 51 + 7}));
    // No pixel of it over Minimize.
    EXPECT_LE(spot.x + kWidth, 900 - 138);
}

TEST(ToolbarPlacement, AMaximisedWindowStartingAboveTheScreenKeepsTheToolbarOnIt) {
    // Maximised, the window rectangle starts 8 pixels above the screen; the visible frame does not.
    ToolbarTarget target{{-8, -8, 1928, 1048}, WindowFrame{{0, 0, 1920, 1040}, {1782, 0, 1920, 22}}, kScreen};
    EXPECT_EQ(PlaceToolbar(target, kWidth, kHeight), (ToolbarSpot{1782 - 4 - 241, 3}));
    // Without the compositor the classic offsets from -8 would put it 3 rows off the top.
    target.frame.reset();
    EXPECT_EQ(PlaceToolbar(target, kWidth, kHeight).y, 0);
}

TEST(ToolbarPlacement, IsKeptInsideTheWorkAreaOfTheWindowsMonitor) {
    // A window pushed past the left edge of a second monitor at 1920..3840.
    const Rect second{1920, 0, 3840, 1040};
    EXPECT_EQ(PlaceToolbar(Windows10({1700, 200, 2200, 600}, second), kWidth, kHeight).x, 1920);
    // Past the right and bottom edges.
    const ToolbarSpot low = PlaceToolbar(Windows10({1700, 1035, 2400, 1400}), kWidth, kHeight);
    EXPECT_EQ(low, (ToolbarSpot{1920 - 241, 1040 - 15}));
    // A work area narrower than the toolbar shows its left end.
    EXPECT_EQ(PlaceToolbar(Windows10({0, 0, 300, 200}, Rect{0, 0, 200, 600}), kWidth, kHeight).x, 0);
    // Unknown work area: no clamp at all.
    EXPECT_EQ(PlaceToolbar(Windows10({-500, -100, 200, 300}, std::nullopt), kWidth, kHeight).y, -99 + 7);
}

TEST(ToolbarPlacement, WithoutTheCompositorOrCaptionButtonsTheClassicPlaceIsUsed) {
    // Wine: the window rectangle only, 60 in from its right edge and 5 down, halves rounded to even.
    ToolbarTarget wine{{100, 50, 700, 400}, std::nullopt, kScreen};
    EXPECT_EQ(PlaceToolbar(wine, kWidth, kHeight), (ToolbarSpot{399, 55}));
    EXPECT_EQ(PlaceToolbar(wine, 240.5, kHeight).x, 400);
    // A tool window without caption buttons: the same offsets from its visible frame.
    ToolbarTarget bare = Windows10({100, 50, 700, 400});
    bare.frame->captionButtons = {};
    EXPECT_EQ(PlaceToolbar(bare, kWidth, kHeight), (ToolbarSpot{399, 55}));
}

}  // namespace
}  // namespace quillmar

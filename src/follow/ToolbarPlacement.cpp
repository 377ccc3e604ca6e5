#include "follow/ToolbarPlacement.h"

#include <algorithm>

#include "forms/Twips.h"

namespace quillmar {

namespace {

// The classic frame's buttons, measured from the rectangle's right edge.
constexpr int kClassicRightInset = 60;
constexpr int kClassicTopInset = 5;
// Space between the toolbar and the Minimize button, so the button's hover outline is not covered.
constexpr int kCaptionGap = 4;

int Clamp(int value, int low, int high) {
    // A work area narrower than the toolbar keeps its left (top) edge in view.
    return high < low ? low : std::clamp(value, low, high);
}

}  // namespace

ToolbarSpot PlaceToolbar(const ToolbarTarget& target, double width, int height) {
    ToolbarSpot spot;
    const bool hasButtons =
        target.frame && target.frame->captionButtons.right > target.frame->captionButtons.left;
    if (hasButtons) {
        const Rect& buttons = target.frame->captionButtons;
        spot.x = RoundHalfEven(buttons.left - kCaptionGap - width);
        spot.y = buttons.top + std::max(0, (buttons.bottom - buttons.top - height) / 2);
    } else {
        const Rect& edge = target.frame ? target.frame->visible : target.window;
        spot.x = RoundHalfEven(edge.right - width - kClassicRightInset);
        spot.y = edge.top + kClassicTopInset;
    }
    if (target.workArea) {
        const Rect& area = *target.workArea;
        const int widthPixels = RoundHalfEven(width);
        spot.x = Clamp(spot.x, area.left, area.right - widthPixels);
        spot.y = Clamp(spot.y, area.top, area.bottom - height);
    }
    return spot;
}

}  // namespace quillmar

#pragma once

#include <cmath>

namespace quillmar {

// Form geometry is kept in twips; the platform works in pixels at a fixed 15 twips per pixel.
inline constexpr int kTwipsPerPixel = 15;

// To the nearest whole number, halves to the even one.
inline int RoundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    long long result = static_cast<long long>(down);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0)) ++result;
    return static_cast<int>(result);
}

inline int TwipsToPixels(int twips) {
    return RoundHalfEven(static_cast<double>(twips) / kTwipsPerPixel);
}
inline constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A rectangle of a form, in twips: a window on the screen, a control in its window's client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

}  // namespace quillmar

#pragma once

#include <cmath>

namespace quillmar {

// Form geometry is kept in twips, 1440 to the inch. At the design's 96 dots per inch that is 15 twips per
// pixel; a window at another DPI converts at its own scale, so a form keeps its proportions everywhere.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDesignDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kDesignDpi;

// To the nearest whole number, halves to the even one.
inline int RoundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    long long result = static_cast<long long>(down);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0)) ++result;
    return static_cast<int>(result);
}

// A rectangle of a form, in twips: a window on the screen, a control in its window's client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// The same, in a window's pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Twips to pixels and back at one window's DPI. Halves round up, so a size never shrinks below what it
// scales to (a 15-pixel strip is 23 pixels at 150 %, its bottom row kept).
class TwipsScale {
public:
    constexpr TwipsScale() = default;
    // A DPI the system cannot have (0 or less) is the design's.
    explicit constexpr TwipsScale(int dpi) : m_dpi(dpi > 0 ? dpi : kDesignDpi) {}

    constexpr int Dpi() const { return m_dpi; }
    constexpr int ToPixels(int twips) const { return RoundedQuotient(static_cast<long long>(twips) * m_dpi, kTwipsPerInch); }
    constexpr int ToTwips(int pixels) const { return RoundedQuotient(static_cast<long long>(pixels) * kTwipsPerInch, m_dpi); }
    // Each edge is converted, not the size: rectangles that meet in twips meet in pixels, with no row
    // lost or doubled between them.
    constexpr PixelRect ToPixels(const TwipsRect& r) const {
        const int left = ToPixels(r.left);
        const int top = ToPixels(r.top);
        return {left, top, ToPixels(r.left + r.width) - left, ToPixels(r.top + r.height) - top};
    }
    // A length drawn for 96 DPI (a picture's pixels, a font's pixel height), at this DPI.
    constexpr int FromDesign(int designPixels) const { return ToPixels(designPixels * kTwipsPerPixel); }
    constexpr bool operator==(const TwipsScale&) const = default;

private:
    static constexpr int RoundedQuotient(long long numerator, long long denominator) {
        // floor((2n + d) / 2d), for either sign of n.
        const long long twice = 2 * numerator + denominator;
        const long long q = twice / (2 * denominator);
        return static_cast<int>(twice % (2 * denominator) < 0 ? q - 1 : q);
    }

    int m_dpi = kDesignDpi;
};

// At the design's 96 DPI: the sizes of pictures and fonts drawn for it, and where no window is asked.
inline constexpr int TwipsToPixels(int twips) {
    return TwipsScale{}.ToPixels(twips);
}
inline constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace quillmar

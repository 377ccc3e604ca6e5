#pragma once

#include <string>

#include "platform/TextMeasurer.h"

namespace quillmar::fakes {

// Measures nothing: every text takes no room.
class NullTextMeasurer : public TextMeasurer {
public:
    TextExtent Measure(const std::string&, std::optional<int>, std::optional<int>) const override { return {}; }
};

// A fixed-pitch font: each byte `advance` twips wide (twice as wide in a label with a font of its own),
// lines `lineHeight` high; wrapped text breaks anywhere.
class FakeTextMeasurer : public NullTextMeasurer {
public:
    TextExtent Measure(const std::string& text, std::optional<int> fontTenthsOfPoint,
                       std::optional<int> wrapWidth) const override {
        const int width = static_cast<int>(text.size()) * advance * (fontTenthsOfPoint ? 2 : 1);
        if (!wrapWidth || *wrapWidth <= 0 || width <= *wrapWidth) return {width, lineHeight};
        const int lines = (width + *wrapWidth - 1) / *wrapWidth;
        return {*wrapWidth, lines * lineHeight};
    }
    int advance = 100;
    int lineHeight = 200;
};

}  // namespace quillmar::fakes

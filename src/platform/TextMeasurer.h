#pragma once

#include <optional>
#include <string>

namespace quillmar {

// How much room a text takes, in twips.
struct TextExtent {
    int width = 0;
    int height = 0;
};

// Measures text in the font a dialog's label is drawn in, at that dialog's DPI.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // fontTenthsOfPoint: the label's own font size, else the dialog's font. With wrapWidth (twips), the
    // text is broken into lines at that width, as a label of that width shows it; without, one line.
    virtual TextExtent Measure(const std::string& text, std::optional<int> fontTenthsOfPoint,
                               std::optional<int> wrapWidth) const = 0;
};

}  // namespace quillmar

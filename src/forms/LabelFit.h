#pragma once

#include <vector>

#include "forms/Views.h"
#include "platform/TextMeasurer.h"

namespace quillmar {

// A label lower than this shows one line, cut where its text ends; a higher one wraps its text.
inline constexpr int kTwoLinesTwips = 390;
inline bool IsOneLineLabel(const TwipsRect& bounds) {
    return bounds.height < kTwoLinesTwips;
}

// The dialog's controls with each label made large enough for its text in the font it is drawn in, which
// may be wider than the one the layout was made for. A one-line label grows to the right, then, when a
// neighbour stops it, starts further left; a wrapping one grows downwards. None goes under a visible control
// next to it, past the inner edge of a frame around it or past the client area (width x height twips); a
// label never shrinks.
std::vector<DialogControl> FitLabels(std::vector<DialogControl> controls, const TextMeasurer& measurer,
                                     int clientWidth, int clientHeight);

}  // namespace quillmar

#include "forms/LabelFit.h"

#include <algorithm>
#include <variant>

namespace quillmar {

namespace {

// What a group box's border and caption take inside its rectangle.
constexpr int kFrameInset = 90;

int Right(const TwipsRect& r) { return r.left + r.width; }
int Bottom(const TwipsRect& r) { return r.top + r.height; }
bool Contains(const TwipsRect& outer, const TwipsRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && Right(outer) >= Right(inner) &&
           Bottom(outer) >= Bottom(inner);
}
bool RowsOverlap(const TwipsRect& a, const TwipsRect& b) { return a.top < Bottom(b) && b.top < Bottom(a); }
bool ColumnsOverlap(const TwipsRect& a, const TwipsRect& b) { return a.left < Right(b) && b.left < Right(a); }

// How far right (one-line) or down (wrapping) the label may reach.
int Limit(const std::vector<DialogControl>& controls, const DialogControl& label, bool across, int client) {
    int limit = client;
    const TwipsRect& own = label.bounds;
    for (const DialogControl& other : controls) {
        if (&other == &label || !other.visible) continue;
        const TwipsRect& r = other.bounds;
        if (std::holds_alternative<DialogControl::Frame>(other.kind) && Contains(r, own)) {
            limit = std::min(limit, (across ? Right(r) : Bottom(r)) - kFrameInset);
        } else if (across && RowsOverlap(r, own) && r.left >= Right(own)) {
            limit = std::min(limit, r.left);
        } else if (!across && ColumnsOverlap(r, own) && r.top >= Bottom(own)) {
            limit = std::min(limit, r.top);
        }
    }
    return limit;
}

// How far left a one-line label may start: the nearest visible control ending left of it in its row, the
// inner edge of a frame around it, or the client edge.
int LeftLimit(const std::vector<DialogControl>& controls, const DialogControl& label) {
    int limit = 0;
    const TwipsRect& own = label.bounds;
    for (const DialogControl& other : controls) {
        if (&other == &label || !other.visible) continue;
        const TwipsRect& r = other.bounds;
        if (std::holds_alternative<DialogControl::Frame>(other.kind) && Contains(r, own)) {
            limit = std::max(limit, r.left + kFrameInset);
        } else if (RowsOverlap(r, own) && Right(r) <= own.left) {
            limit = std::max(limit, Right(r));
        }
    }
    return limit;
}

}  // namespace

std::vector<DialogControl> FitLabels(std::vector<DialogControl> controls, const TextMeasurer& measurer,
                                     int clientWidth, int clientHeight) {
    // Limits are taken from the layout as the form made it, so the order of the labels does not matter.
    std::vector<TwipsRect> fitted;
    fitted.reserve(controls.size());
    for (const DialogControl& control : controls) {
        TwipsRect bounds = control.bounds;
        const auto* label = std::get_if<DialogControl::Label>(&control.kind);
        if (label != nullptr && !label->caption.empty()) {
            if (IsOneLineLabel(bounds)) {
                const int needed = measurer.Measure(label->caption, label->fontTenthsOfPoint, std::nullopt).width;
                const int room = Limit(controls, control, true, clientWidth) - bounds.left;
                bounds.width = std::max(bounds.width, std::min(needed, room));
                // A label that meets the control it names (a picker right of it) starts further left
                // instead, into what is free there, so its text is not cut.
                if (bounds.width < needed) {
                    const int shift = std::min(needed - bounds.width,
                                               std::max(0, bounds.left - LeftLimit(controls, control)));
                    bounds.left -= shift;
                    bounds.width += shift;
                }
            } else {
                const int needed =
                    measurer.Measure(label->caption, label->fontTenthsOfPoint, bounds.width).height;
                const int room = Limit(controls, control, false, clientHeight) - bounds.top;
                bounds.height = std::max(bounds.height, std::min(needed, room));
            }
        }
        fitted.push_back(bounds);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) controls[i].bounds = fitted[i];
    return controls;
}

}  // namespace quillmar

#pragma once

#include <optional>

#include "platform/ForeignWindows.h"

namespace quillmar {

// Where the toolbar goes over a window's title bar, screen pixels: its top-left corner.
struct ToolbarSpot {
    int x = 0;
    int y = 0;
    bool operator==(const ToolbarSpot&) const = default;
};

// What is known of the window in front.
struct ToolbarTarget {
    Rect window;                       // its window rectangle
    std::optional<WindowFrame> frame;  // what the compositor draws, where it can be asked
    std::optional<Rect> workArea;      // the work area of its monitor
};

// The toolbar (width x height pixels) over the target's title bar. With the compositor's frame it sits just
// left of the caption buttons, centred on their band, so Minimize, Maximize and the snap pop-up stay free;
// without it (or for a window with no caption buttons), 60 pixels in from the right edge and 5 down, as
// on the classic frame. Either way it is kept inside the monitor's work area, so a maximised window, whose
// rectangle starts above the screen, does not take the toolbar's top rows off it.
ToolbarSpot PlaceToolbar(const ToolbarTarget& target, double width, int height);

}  // namespace quillmar

#pragma once

#include <cstdint>

namespace quillmar {

// The platform's opaque window identifier; 0 means no window.
using WindowHandle = std::uintptr_t;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// RGB as the platform's COLORREF stores it: 0x00BBGGRR.
using Colour = std::uint32_t;

}  // namespace quillmar

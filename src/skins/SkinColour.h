#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/WindowHandle.h"

namespace quillmar {

// The number a skin's colour value holds, read the way the skin format has always been read: blanks,
// tabs and line feeds removed anywhere, then the leading number - an optional sign with decimal digits,
// fraction and exponent, or hexadecimal digits after "&H", or octal ones after "&O" - rounded to the
// nearest integer, halves to even. 0 when there is no leading number; none when it lies outside the
// signed 32-bit range.
std::optional<std::int32_t> ReadColourNumber(std::string_view value);

// The colour a label takes from the value: red + 256 * green + 65536 * blue. None when the number is
// out of range or no such colour (negative, or above &HFFFFFF), so the label keeps the colour it has.
std::optional<Colour> ReadSkinColour(std::string_view value);

}  // namespace quillmar

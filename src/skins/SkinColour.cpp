#include "skins/SkinColour.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quillmar {
namespace {

constexpr std::int64_t kAboveInt32 = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;

std::optional<std::int32_t> InInt32(double number) {
    if (!(number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits of base 16 or 8 at the start of `digits`; stops counting once the value leaves 32 bits.
std::optional<std::int32_t> ReadRadix(std::string_view digits, int base) {
    std::int64_t value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (IsDigit(c)) {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= base) break;
        value = value * base + digit;
        if (value >= kAboveInt32) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ReadDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // The power of ten of the first digit that is not 0 (none while all are), as far as the digits go;
    // the exponent moves it below.
    std::optional<std::int64_t> magnitude;
    std::size_t end = 0;
    std::size_t integerDigits = 0;
    while (end < text.size() && IsDigit(text[end])) ++end, ++integerDigits;
    for (std::size_t i = 0; i < integerDigits && !magnitude; ++i) {
        if (text[i] != '0') magnitude = static_cast<std::int64_t>(integerDigits - i - 1);
    }
    std::size_t fractionDigits = 0;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && IsDigit(text[end])) {
            if (!magnitude && text[end] != '0') magnitude = -static_cast<std::int64_t>(fractionDigits + 1);
            ++end;
            ++fractionDigits;
        }
    }
    if (integerDigits + fractionDigits == 0) return 0;
    std::int64_t exponentValue = 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        bool negativeExponent = false;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            negativeExponent = text[exponent] == '-';
            ++exponent;
        }
        // "1e" or "1e+": the number ends before the "e".
        if (exponent < text.size() && IsDigit(text[exponent])) {
            end = exponent;
            for (; end < text.size() && IsDigit(text[end]); ++end) {
                // Held well within 64 bits: any exponent this large is out of range either way.
                if (exponentValue < kAboveInt32) exponentValue = exponentValue * 10 + (text[end] - '0');
            }
            if (negativeExponent) exponentValue = -exponentValue;
        }
    }
    const std::string_view number = text.substr(0, end);
    double value = 0;
    const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double rounds to 0, too large is out of range: the digits and the exponent
        // together tell which ("0.1e400" is large, "100e-400" small).
        if (!magnitude || *magnitude + exponentValue < 0) return 0;
        return std::nullopt;
    }
    if (error != std::errc()) return 0;
    // The default rounding mode rounds halves to the even neighbour.
    return InInt32(std::nearbyint(negative ? -value : value));
}

}  // namespace

std::optional<std::int32_t> ReadColourNumber(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (const char c : value) {
        if (c != ' ' && c != '\t' && c != '\n') text += c;
    }
    if (text.size() >= 2 && text[0] == '&') {
        if (text[1] == 'H' || text[1] == 'h') return ReadRadix(std::string_view(text).substr(2), 16);
        if (text[1] == 'O' || text[1] == 'o') return ReadRadix(std::string_view(text).substr(2), 8);
    }
    return ReadDecimal(text);
}

std::optional<Colour> ReadSkinColour(std::string_view value) {
    const std::optional<std::int32_t> number = ReadColourNumber(value);
    if (!number || *number < 0 || *number > 0xFFFFFF) return std::nullopt;
    return static_cast<Colour>(*number);
}

}  // namespace quillmar

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 helpers of the translation client. A character starts at offset 0 of a text and at every byte
// that is not a continuation byte (10xxxxxx): for valid UTF-8 that is exactly one code point, and any
// byte string still splits into characters in one well-defined way.
namespace quillmar::utf8 {

constexpr bool IsContinuation(unsigned char c) {
    return (c & 0xC0U) == 0x80U;
}

// Characters in text.
std::size_t CountCharacters(std::string_view text);

// Byte offset of the character `count` characters after the one starting at `from` (a character start
// or text.size()); text.size() when the text ends first.
std::size_t Advance(std::string_view text, std::size_t from, std::size_t count);

// Byte offset of the character before the one starting at `from` (from > 0).
std::size_t Previous(std::string_view text, std::size_t from);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValid(std::string_view bytes);

void AppendCodePoint(std::string& out, char32_t codePoint);

}  // namespace quillmar::utf8

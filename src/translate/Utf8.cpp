#include "translate/Utf8.h"

#include <cstdint>
#include <cstring>

namespace quillmar::utf8 {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Non-continuation bytes in a word: a continuation byte has bit 7 set and bit 6 clear.
unsigned LeadBytes(std::uint64_t word) {
    const std::uint64_t continuation = word & ~(word << 1) & kHighBits;
    return 8U - static_cast<unsigned>(((continuation >> 7) * 0x0101010101010101ULL) >> 56);
}

}  // namespace

std::size_t CountCharacters(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) count += LeadBytes(Load(p + i));
    for (; i < n; ++i) count += IsContinuation(static_cast<unsigned char>(p[i])) ? 0 : 1;
    // Stray continuation bytes at the very start still make up a character.
    if (n > 0 && IsContinuation(static_cast<unsigned char>(p[0]))) ++count;
    return count;
}

std::size_t Advance(std::string_view text, std::size_t from, std::size_t count) {
    const std::size_t n = text.size();
    if (count == 0 || from >= n) return count == 0 ? from : n;
    // Every character after `from` starts at a distinct byte after it.
    if (count > n - from - 1) return n;
    const char* p = text.data();
    std::size_t i = from + 1;
    for (; i + 8 <= n; i += 8) {
        const unsigned leads = LeadBytes(Load(p + i));
        if (leads >= count) break;
        count -= leads;
    }
    for (; i < n; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(p[i])) && --count == 0) return i;
    }
    return n;
}

std::size_t Previous(std::string_view text, std::size_t from) {
    std::size_t i = from - 1;
    while (i > 0 && IsContinuation(static_cast<unsigned char>(text[i]))) --i;
    return i;
}

bool IsValid(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        // Plain ASCII goes a word at a time.
        while (i + 8 <= n && (Load(bytes.data() + i) & kHighBits) == 0) i += 8;
        if (i >= n) break;
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;   // overlong
            if (c == 0xED) high = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;   // overlong
            if (c == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (n - i < length) return false;
        if (p[i + 1] < low || p[i + 1] > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (!IsContinuation(p[i + k])) return false;
        }
        i += length;
    }
    return true;
}

void AppendCodePoint(std::string& out, char32_t codePoint) {
    const auto cp = static_cast<std::uint32_t>(codePoint);
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace quillmar::utf8

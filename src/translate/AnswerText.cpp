#include "translate/AnswerText.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "translate/Utf8.h"

namespace quillmar {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A lower-case ASCII marker found without regard to ASCII case by Horspool's method: linear in the
// text, and most bytes of a page are skipped rather than looked at.
class Marker {
public:
    constexpr explicit Marker(std::string_view text) : m_text(text) {
        const std::size_t m = text.size();
        for (auto& s : m_skip) s = static_cast<std::uint8_t>(m);
        for (std::size_t i = 0; i + 1 < m; ++i) {
            const char c = text[i];
            const auto skip = static_cast<std::uint8_t>(m - 1 - i);
            m_skip[static_cast<unsigned char>(c)] = skip;
            if (IsAsciiLetter(c)) m_skip[static_cast<unsigned char>(c - 'a' + 'A')] = skip;
        }
    }

    // Byte offset of the first occurrence at or after byte offset `from`, or kNone.
    std::size_t FindIn(std::string_view s, std::size_t from) const {
        const std::size_t m = m_text.size();
        const std::size_t n = s.size();
        const char* p = s.data();
        for (std::size_t pos = from; pos + m <= n;
             pos += m_skip[static_cast<unsigned char>(p[pos + m - 1])]) {
            std::size_t i = m;
            while (i > 0 && Equal(p[pos + i - 1], m_text[i - 1])) --i;
            if (i == 0) return pos;
        }
        return kNone;
    }

private:
    static constexpr bool Equal(char textByte, char markerChar) {
        return textByte == markerChar || (IsAsciiLetter(markerChar) && (textByte | 0x20) == markerChar);
    }

    std::string_view m_text;
    std::array<std::uint8_t, 256> m_skip{};
};

constexpr Marker kNameQ{"name=q"};
constexpr Marker kTextareaEnd{"</textarea>"};
constexpr Marker kLassH{"lass=h"};
constexpr Marker kFormEnd{"</form><p>"};
constexpr Marker kBreak{"<br>"};

// The 1-based character position of the marker found at byte offset `at`, or 0 when not found; this
// number is used as a length below.
std::size_t Position(std::string_view s, std::size_t at) {
    return at == kNone ? 0 : utf8::CountCharacters(s.substr(0, at)) + 1;
}

// The run of `count` characters that starts `skip` characters after byte offset `from`.
std::string_view Piece(std::string_view s, std::size_t from, std::size_t skip, std::size_t count) {
    const std::size_t start = utf8::Advance(s, from, skip);
    return s.substr(start, utf8::Advance(s, start, count) - start);
}

// Cuts `cut` two characters before the first `end` marker in it, when at least two characters
// precede that marker.
std::string_view DropFromTwoBefore(std::string_view cut, const Marker& end) {
    const std::size_t at = end.FindIn(cut, 0);
    if (at == kNone || at == 0) return cut;
    const std::size_t one = utf8::Previous(cut, at);
    if (one == 0) return cut;
    return cut.substr(0, utf8::Previous(cut, one));
}

std::string_view TextArea(std::string_view page) {
    const std::size_t a = kNameQ.FindIn(page, 0);
    if (a == kNone) return {};
    const std::size_t e = Position(page, kTextareaEnd.FindIn(page, a));
    return DropFromTwoBefore(Piece(page, a, 8, e), kTextareaEnd);
}

std::string_view FormEnd(std::string_view page) {
    const std::size_t b = kLassH.FindIn(page, 0);
    if (b == kNone) return {};
    const std::size_t f = Position(page, kFormEnd.FindIn(page, b));
    const std::string_view cut = DropFromTwoBefore(Piece(page, b, 8, f), kFormEnd);
    // From two characters after the end of the first "<br>"; without one, from the sixth character.
    const std::size_t r = kBreak.FindIn(cut, 0);
    return cut.substr(r == kNone ? utf8::Advance(cut, 0, 5) : utf8::Advance(cut, r, 6));
}

// Windows-1252 0x80-0x9F; the five unassigned bytes keep their C1 code points.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}

struct NamedReference {
    std::string_view name;  // between "&" and ";"
    std::string_view text;
};
constexpr std::array<NamedReference, 5> kNamedReferences{{
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"nbsp", "\xC2\xA0"},  // U+00A0, the character &#160; names too
}};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code point of the numeric reference at `ref` ("&#...;" or "&#x...;") and its length, or none.
std::optional<std::pair<char32_t, std::size_t>> NumericReference(std::string_view ref) {
    std::size_t i = 2;
    const bool hex = i < ref.size() && (ref[i] == 'x' || ref[i] == 'X');
    if (hex) ++i;
    const std::size_t digitsStart = i;
    std::uint32_t value = 0;
    for (; i < ref.size(); ++i) {
        const int digit = hex ? HexValue(ref[i]) : (ref[i] >= '0' && ref[i] <= '9' ? ref[i] - '0' : -1);
        if (digit < 0) break;
        value = value * (hex ? 16U : 10U) + static_cast<std::uint32_t>(digit);
        if (value > 0x10FFFF) return std::nullopt;
    }
    if (i == digitsStart || i >= ref.size() || ref[i] != ';') return std::nullopt;
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    // As browsers do, 128-159 name the Windows-1252 characters at those bytes.
    const char32_t codePoint = value <= 0xFF ? FromWindows1252(static_cast<unsigned char>(value)) : value;
    return std::pair{codePoint, i + 1};
}

}  // namespace

std::optional<std::string> ExtractTranslation(std::string_view page) {
    std::string_view cut = TextArea(page);
    if (cut.empty()) cut = FormEnd(page);
    if (cut.find('>') != kNone) return std::nullopt;
    return std::string(cut);
}

std::optional<std::string> ServiceErrorReason(std::string_view answer) {
    constexpr std::string_view kHeader = "x-quillmar-error";
    if (answer.substr(0, 5) != "HTTP/") return std::nullopt;
    std::size_t end = answer.find("\r\n\r\n");
    if (end == kNone) end = answer.find("\n\n");
    const std::string_view head = answer.substr(0, end);
    // The status line first, then one header a line; a bare "\n" ends a line too.
    for (std::size_t at = head.find('\n'); at != kNone;) {
        const std::size_t start = at + 1;
        at = head.find('\n', start);
        std::string_view line = head.substr(start, at == kNone ? kNone : at - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        if (colon != kHeader.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < colon && same; ++i)
            same = (IsAsciiLetter(line[i]) ? static_cast<char>(line[i] | 0x20) : line[i]) == kHeader[i];
        if (!same) continue;
        std::string_view value = line.substr(colon + 1);
        const std::size_t first = value.find_first_not_of(" \t");
        if (first == kNone) return std::nullopt;
        value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
        return std::string(value);
    }
    return std::nullopt;
}

std::string DecodeAnswerBytes(std::string_view bytes) {
    if (utf8::IsValid(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Runs of ASCII are copied as they are.
        std::size_t run = i;
        while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80) ++run;
        text.append(bytes, i, run - i);
        if (run == bytes.size()) break;
        utf8::AppendCodePoint(text, FromWindows1252(static_cast<unsigned char>(bytes[run])));
        i = run + 1;
    }
    return text;
}

std::string DecodeCharacterReferences(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == kNone) break;
        decoded.append(text, i, amp - i);
        const std::string_view ref = text.substr(amp);
        std::size_t consumed = 0;
        if (ref.size() > 2 && ref[1] == '#') {
            if (const auto numeric = NumericReference(ref)) {
                utf8::AppendCodePoint(decoded, numeric->first);
                consumed = numeric->second;
            }
        } else {
            for (const NamedReference& named : kNamedReferences) {
                if (ref.size() > named.name.size() + 1 && ref.substr(1, named.name.size()) == named.name &&
                    ref[named.name.size() + 1] == ';') {
                    decoded += named.text;
                    consumed = named.name.size() + 2;
                    break;
                }
            }
        }
        if (consumed == 0) {
            decoded += '&';
            consumed = 1;
        }
        i = amp + consumed;
    }
    decoded.append(text, i);
    return decoded;
}

}  // namespace quillmar

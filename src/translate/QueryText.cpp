#include "translate/QueryText.h"

#include "translate/Utf8.h"

namespace quillmar {

std::optional<std::string> PrepareQueryText(std::string_view captured) {
    // The length test counts the text as rewritten for blanks and line breaks only: CR and LF each
    // become three characters, a blank stays one.
    std::size_t lineBreaks = 0;
    for (const char c : captured) lineBreaks += (c == '\r' || c == '\n') ? 1 : 0;
    if (utf8::CountCharacters(captured) + 2 * lineBreaks <= 1) return std::nullopt;

    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string query;
    query.reserve(captured.size() * 3);
    for (const char c : captured) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        if (unreserved) {
            query += c;
        } else if (byte == ' ') {
            query += '+';
        } else {
            // CR and LF come out as "%0D" and "%0A" here too.
            query += '%';
            query += kHex[byte >> 4];
            query += kHex[byte & 0x0F];
        }
    }
    return query;
}

}  // namespace quillmar

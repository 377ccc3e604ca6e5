#include "service/ApertiumStream.h"

namespace quillmar::service {

namespace {

bool IsStreamSpecial(char c) {
    switch (c) {
    case '^': case '$': case '@': case '/': case '<': case '>':
    case '{': case '}': case '[': case ']': case '\\': case '*':
        return true;
    default:
        return false;
    }
}

}  // namespace

std::string ToApertiumStream(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 2);
    for (char c : text) {
        if (c == '\0') continue;
        if (c == '\r' || c == '\n') {
            out += '[';
            out += c;
            out += ']';
        } else {
            if (IsStreamSpecial(c)) out += '\\';
            out += c;
        }
    }
    out += "[]";
    return out;
}

std::string FromApertiumStream(std::string_view stream) {
    std::string out;
    out.reserve(stream.size());
    for (std::size_t i = 0; i < stream.size(); ++i) {
        char c = stream[i];
        if (c == '\\' && i + 1 < stream.size()) {
            out += stream[++i];
        } else if (c == '[' || c == ']') {
            // Superblank brackets (also the double ones around word-bound blanks) are the format's, not text.
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace quillmar::service

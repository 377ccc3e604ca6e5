#include "service/ApertiumStream.h"

#include <algorithm>

namespace quillmar::service {

namespace {

bool IsStreamSpecial(char c) {
    switch (c) {
        case '^':
        case '$':
        case '@':
        case '/':
        case '<':
        case '>':
        case '{':
        case '}':
        case '[':
        case ']':
        case '\\':
        case '*':
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

std::string TidyBlanks(std::string_view source, std::string output) {
    if (source.find("  ") == std::string_view::npos) {
        std::string shrunk;
        shrunk.reserve(output.size());
        for (char c : output) {
            if (c == ' ' && !shrunk.empty() && shrunk.back() == ' ') continue;
            shrunk += c;
        }
        output = std::move(shrunk);
    }
    if (source.empty() || source.front() != ' ') {
        output.erase(0, std::min(output.size(), output.find_first_not_of(' ')));
    }
    if (source.empty() || source.back() != ' ') {
        while (!output.empty() && output.back() == ' ') output.pop_back();
    }
    return output;
}

}  // namespace quillmar::service

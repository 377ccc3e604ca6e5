#include "service/HttpUrl.h"

#include <charconv>

namespace quillmar::service {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    for (char c : url) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f) return std::nullopt;
    }
    HttpUrl parsed;
    if (StartsWithNoCase(url, "https://")) {
        url.remove_prefix(8);
    } else if (StartsWithNoCase(url, "http://")) {
        parsed.https = false;
        parsed.port = 80;
        url.remove_prefix(7);
    } else {
        return std::nullopt;
    }
    std::size_t end = url.find_first_of("/?#");
    std::string_view authority = url.substr(0, end);
    std::string_view rest = end == std::string_view::npos ? std::string_view{} : url.substr(end);
    if (authority.empty() || authority.find('@') != std::string_view::npos) return std::nullopt;

    std::string_view host = authority;
    std::string_view port;
    if (authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        host = authority.substr(1, close - 1);
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return std::nullopt;
            port = after.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else if (std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (host.empty()) return std::nullopt;
    if (!port.empty()) {
        int number = 0;
        auto [last, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error != std::errc{} || last != port.data() + port.size() || number < 1 || number > 65535)
            return std::nullopt;
        parsed.port = number;
    }
    parsed.host = std::string(host);
    if (std::size_t hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    // Built byte by byte: GCC 12 warns falsely (-Wrestrict) on a string prefixed with "/".
    parsed.target.reserve(rest.size() + 1);
    if (rest.empty() || rest.front() == '?') parsed.target.push_back('/');
    for (char c : rest) parsed.target.push_back(c);
    return parsed;
}

std::string WithoutTrailingSlash(std::string_view url) {
    while (!url.empty() && url.back() == '/') url.remove_suffix(1);
    return std::string(url);
}

}  // namespace quillmar::service

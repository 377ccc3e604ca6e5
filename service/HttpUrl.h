#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmar::service {

// Whether text starts with prefix, which is lower case, in any case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// An engine's address taken apart: "https://host[:port][/path][?query]".
struct HttpUrl {
    bool https = true;
    std::string host;    // without the brackets of an IPv6 literal
    int port = 443;      // the scheme's when the URL names none
    std::string target;  // path and query, "/" at least
};

// None unless the scheme is http or https (any case), the host is there, a port is 1-65535, and nothing
// in it is a blank, a control character or a user name (which would carry a secret into logs).
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// The address without a trailing "/": the base the engines append their paths to.
std::string WithoutTrailingSlash(std::string_view url);

}  // namespace quillmar::service

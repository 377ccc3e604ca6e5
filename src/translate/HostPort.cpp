#include "translate/HostPort.h"

namespace quillmar {
namespace {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HostPort> ParseHostPort(std::string_view text) {
    if (text.empty()) return std::nullopt;
    if (text.front() == '[') {
        // "[v6-address]" or "[v6-address]:port".
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        HostPort result{std::string(text.substr(1, close - 1))};
        const std::string_view rest = text.substr(close + 1);
        if (rest.empty()) return result;
        if (rest.front() != ':') return std::nullopt;
        const auto port = ParsePort(rest.substr(1));
        if (!port) return std::nullopt;
        result.port = *port;
        return result;
    }
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return HostPort{std::string(text)};
    // More than one colon and no brackets: a bare IPv6 address, which cannot carry a port.
    if (text.find(':') != colon) return HostPort{std::string(text)};
    if (colon == 0) return std::nullopt;
    const auto port = ParsePort(text.substr(colon + 1));
    if (!port) return std::nullopt;
    return HostPort{std::string(text.substr(0, colon)), *port};
}

}  // namespace quillmar

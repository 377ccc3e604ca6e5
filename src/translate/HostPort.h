#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillmar {

inline constexpr std::uint16_t kHttpPort = 80;

struct HostPort {
    std::string host;
    std::uint16_t port = kHttpPort;
};

// "host" or "host:port" (port 1-65535). None for an empty host or a bad port.
std::optional<HostPort> ParseHostPort(std::string_view text);

}  // namespace quillmar

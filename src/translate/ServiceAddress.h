#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "translate/HostPort.h"

namespace quillmar {

// Where translations are asked for: a host, its port when one was given, and the path the service's
// pages sit under.
struct ServiceAddress {
    std::string host;
    std::optional<std::uint16_t> port;  // none: the HTTP port, left out of the Host line
    std::string basePath;               // "" or "/base"

    std::uint16_t Port() const { return port.value_or(kHttpPort); }
    // host[:port] as the URL and the Host line carry it.
    std::string Authority() const;
};

// "HOST[:PORT][/PATH]", split once at the first slash. A HOST[:PORT] that does not parse stays one host
// name on the HTTP port, where connecting fails the way any unknown host does.
ServiceAddress ParseServiceAddress(std::string_view text);

}  // namespace quillmar

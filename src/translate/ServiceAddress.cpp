#include "translate/ServiceAddress.h"

namespace quillmar {

std::string ServiceAddress::Authority() const {
    const std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return port ? shownHost + ":" + std::to_string(*port) : shownHost;
}

ServiceAddress ParseServiceAddress(std::string_view text) {
    const std::size_t slash = text.find('/');
    const std::string_view authority = text.substr(0, slash);
    ServiceAddress address;
    if (slash != std::string_view::npos) address.basePath = std::string(text.substr(slash));
    std::optional<HostPort> parsed = ParseHostPort(authority);
    if (!parsed) {
        address.host = std::string(authority);
        return address;
    }
    address.host = std::move(parsed->host);
    // A bare IPv6 address has several colons and no port; "[v6]" has none either.
    const bool portWritten = authority.front() == '[' ? authority.back() != ']'
                                                      : authority.find(':') != std::string_view::npos &&
                                                            authority.find(':') == authority.rfind(':');
    if (portWritten) address.port = parsed->port;
    return address;
}

}  // namespace quillmar

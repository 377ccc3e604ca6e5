#include <gtest/gtest.h>

#include "translate/HostPort.h"

namespace quillmar {
namespace {

void ExpectHostPort(std::string_view text, const std::string& host, std::uint16_t port) {
    const auto parsed = ParseHostPort(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(parsed->host, host) << text;
    EXPECT_EQ(parsed->port, port) << text;
}

TEST(ParseHostPort, HostAloneUsesPort80AndAPortIsTakenWhenGiven) {
    ExpectHostPort("babel.example", "babel.example", 80);
    ExpectHostPort("127.0.0.1:8080", "127.0.0.1", 8080);
    ExpectHostPort("h:1", "h", 1);
    ExpectHostPort("h:65535", "h", 65535);
    ExpectHostPort("h:0080", "h", 80);
}

TEST(ParseHostPort, EmptyHostsAndBadPortsAreRefused) {
    for (const char* bad :
         {"", ":80", "h:", "h:0", "h:65536", "h:99999", "h:8o", "h:123456", "h: 80", "h:-1"}) {
        EXPECT_EQ(ParseHostPort(bad), std::nullopt) << bad;
    }
}

TEST(ParseHostPort, Ipv6AddressesInBracketsMayCarryAPort) {
    ExpectHostPort("[::1]:8080", "::1", 8080);
    ExpectHostPort("[::1]", "::1", 80);
    ExpectHostPort("::1", "::1", 80);  // without brackets the last group is not a port
    for (const char* bad : {"[]", "[]:80", "[::1", "[::1]x", "[::1]:", "[::1]:70000"}) {
        EXPECT_EQ(ParseHostPort(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace quillmar

#pragma once

#include <optional>
#include <string>

#include "platform/SecretProtector.h"

namespace quillmar::fakes {

// "sealed:" + user + ":" + the secret reversed + ":" + a checksum: not clear text, opened only by a
// protector of the same user, and a stored form changed anywhere does not open.
class FakeSecretProtector : public SecretProtector {
public:
    std::optional<std::string> Protect(const std::string& clear) override {
        if (refuses) return std::nullopt;
        return Prefix() + std::string(clear.rbegin(), clear.rend()) + ":" + Checksum(clear);
    }
    std::optional<std::string> Unprotect(const std::string& stored) override {
        const std::string prefix = Prefix();
        const std::size_t colon = stored.rfind(':');
        if (stored.rfind(prefix, 0) != 0 || colon < prefix.size()) return std::nullopt;
        const std::string body = stored.substr(prefix.size(), colon - prefix.size());
        std::string clear(body.rbegin(), body.rend());
        if (stored.substr(colon + 1) != Checksum(clear)) return std::nullopt;
        return clear;
    }
    std::string user = "me";
    bool refuses = false;

private:
    std::string Prefix() const { return "sealed:" + user + ":"; }
    static std::string Checksum(const std::string& clear) {
        unsigned sum = 7;
        for (unsigned char c : clear) sum = sum * 31 + c;
        return std::to_string(sum % 100000);
    }
};

}  // namespace quillmar::fakes

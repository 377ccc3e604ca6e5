#pragma once

#include <optional>
#include <string>

#include "platform/SecretProtector.h"

namespace quillmar::fakes {

// "sealed:" + the secret reversed: not clear text, and opened only by a protector of the same user.
class FakeSecretProtector : public SecretProtector {
public:
    std::optional<std::string> Protect(const std::string& clear) override {
        if (refuses) return std::nullopt;
        return "sealed:" + user + ":" + std::string(clear.rbegin(), clear.rend());
    }
    std::optional<std::string> Unprotect(const std::string& stored) override {
        const std::string prefix = "sealed:" + user + ":";
        if (stored.rfind(prefix, 0) != 0) return std::nullopt;
        const std::string body = stored.substr(prefix.size());
        return std::string(body.rbegin(), body.rend());
    }
    std::string user = "me";
    bool refuses = false;
};

}  // namespace quillmar::fakes

#pragma once

#include <optional>
#include <string>

namespace quillmar {

// Protects a secret (an engine's key) for the current user, so that what the settings store holds is
// readable by this user on this machine only.
class SecretProtector {
public:
    virtual ~SecretProtector() = default;
    // The stored form of `clear`, such as "dpapi:" and base64; nothing when it cannot be protected.
    virtual std::optional<std::string> Protect(const std::string& clear) = 0;
    // The clear secret of a stored form; nothing when it is not one this user can open.
    virtual std::optional<std::string> Unprotect(const std::string& stored) = 0;
};

}  // namespace quillmar

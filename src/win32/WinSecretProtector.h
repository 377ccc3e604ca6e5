#pragma once

#include <optional>
#include <string>

#include "platform/SecretProtector.h"

namespace quillmar::win32 {

// Keys sealed with DPAPI for the current user (never machine-wide), stored as "dpapi:" + base64. The
// program's own entropy keeps another program's DPAPI blobs of the same user from passing for a key.
class WinSecretProtector final : public SecretProtector {
public:
    std::optional<std::string> Protect(const std::string& clear) override;
    std::optional<std::string> Unprotect(const std::string& stored) override;
};

}  // namespace quillmar::win32

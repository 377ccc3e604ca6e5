#pragma once

#include "platform/Registry.h"

namespace quillmar::win32 {

// advapi32 through the wide calls. String values cross as UTF-8; the buffer limit of a query applies
// to the value as handed out (UTF-8 with its terminating null), so it means the same on every side.
class WinRegistry final : public Registry {
public:
    std::optional<RegistryKey> OpenKey(RegistryRoot root, const std::string& path, std::uint32_t access) override;
    std::optional<RegistryKey> CreateKey(RegistryRoot root, const std::string& path, SystemResult* why) override;
    std::optional<RegistryValue> QueryValue(RegistryKey key, const std::string& name,
                                            std::size_t bufferSize) override;
    SystemResult SetStringValue(RegistryKey key, const std::string& name, const std::string& data) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace quillmar::win32

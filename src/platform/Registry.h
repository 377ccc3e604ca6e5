#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemResult.h"

namespace quillmar {

// The predefined roots the program touches.
enum class RegistryRoot { CurrentUser, LocalMachine };

// Value types as the registry reports them (numbers as Win32 has them).
enum class RegistryType : std::uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4 };

using RegistryKey = std::uintptr_t;  // an open key; 0 is none

struct RegistryValue {
    RegistryType type = RegistryType::None;
    std::vector<unsigned char> bytes;  // as stored; strings are UTF-8 here, with their terminating null
};

// Registry reads and writes. Strings cross as UTF-8; the Win32 side converts to UTF-16.
class Registry {
public:
    virtual ~Registry() = default;
    virtual std::optional<RegistryKey> OpenKey(RegistryRoot root, const std::string& path,
                                               std::uint32_t access) = 0;
    // Opens the key, creating it (and its parents) when missing.
    virtual std::optional<RegistryKey> CreateKey(RegistryRoot root, const std::string& path,
                                                 SystemResult* why) = 0;
    // None when the value is missing or larger than `bufferSize` bytes.
    virtual std::optional<RegistryValue> QueryValue(RegistryKey key, const std::string& name,
                                                    std::size_t bufferSize) = 0;
    // REG_SZ with its terminating null.
    virtual SystemResult SetStringValue(RegistryKey key, const std::string& name, const std::string& data) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace quillmar

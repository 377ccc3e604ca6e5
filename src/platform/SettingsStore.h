#pragma once

#include <string>

#include "platform/SystemResult.h"

namespace quillmar {

// The per-user settings store: string values by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // `fallback` when the value is missing or cannot be read.
    virtual std::string GetSetting(const std::string& appName, const std::string& section,
                                   const std::string& key, const std::string& fallback) = 0;
    virtual SystemResult SaveSetting(const std::string& appName, const std::string& section,
                                     const std::string& key, const std::string& value) = 0;
};

}  // namespace quillmar

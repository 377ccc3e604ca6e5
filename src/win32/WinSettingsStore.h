#pragma once

#include <string>

#include "platform/SettingsStore.h"
#include "win32/WinRegistry.h"

namespace quillmar::win32 {

// String values under HKCU\Software\VB and VBA Program Settings\<app>\<section>: where settings of
// earlier installations of the program were kept, so they are found again.
class WinSettingsStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    SystemResult SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                             const std::string& value) override;

    // The key below HKCU that holds a section; "" for names that would reach another key.
    static std::string KeyFor(const std::string& appName, const std::string& section);

private:
    WinRegistry m_registry;
};

}  // namespace quillmar::win32

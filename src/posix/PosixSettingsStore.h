#pragma once

#include <string>

#include "platform/SettingsStore.h"
#include "posix/PosixProfileFiles.h"

namespace quillmar::posix {

// Settings in an INI file per application, "<folder>/<appName>.ini", one section per settings section.
// The folder is made when the first value is saved.
class PosixSettingsStore final : public SettingsStore {
public:
    // $XDG_CONFIG_HOME/quillmar/, or ~/.config/quillmar/ when that is not set (or not a full path).
    static std::string DefaultFolder();

    explicit PosixSettingsStore(std::string folder = DefaultFolder());

    std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    SystemResult SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                             const std::string& value) override;

    // The file that holds an application's settings; "" for a name that could leave the folder.
    std::string FileFor(const std::string& appName) const;

private:
    std::string m_folder;
    PosixProfileFiles m_files;
};

}  // namespace quillmar::posix

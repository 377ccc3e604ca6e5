#pragma once

#include "platform/ProfileFiles.h"

namespace quillmar::win32 {

// GetPrivateProfileStringW/WritePrivateProfileStringW. Only full paths reach them: Windows looks for a
// bare name in its own folder, and a bare name here must find no file. Values are cut in UTF-16 units.
class WinProfileFiles final : public ProfileFiles {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferChars) override;
    // Refuses a section, key or value holding a line break, a key holding "=" and one starting with "[":
    // Windows would write them as they are, and the reader would take them for other entries.
    SystemResult WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::optional<std::string>& value) override;
};

// "C:\...", "C:/..." or a UNC path "\\server\...".
bool IsFullWindowsPath(const std::string& path);

}  // namespace quillmar::win32

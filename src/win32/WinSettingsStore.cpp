#include "win32/WinSettingsStore.h"

#include <windows.h>

#include <cstdint>

namespace quillmar::win32 {
namespace {

// Settings values have no length limit of their own.
constexpr std::size_t kUnlimited = SIZE_MAX;

bool UsableName(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

}  // namespace

std::string WinSettingsStore::KeyFor(const std::string& appName, const std::string& section) {
    if (!UsableName(appName) || !UsableName(section)) return "";
    return "Software\\VB and VBA Program Settings\\" + appName + "\\" + section;
}

std::string WinSettingsStore::GetSetting(const std::string& appName, const std::string& section,
                                         const std::string& key, const std::string& fallback) {
    const std::string path = KeyFor(appName, section);
    if (path.empty() || key.empty()) return fallback;
    const std::optional<RegistryKey> opened = m_registry.OpenKey(RegistryRoot::CurrentUser, path, KEY_QUERY_VALUE);
    if (!opened) return fallback;
    const std::optional<RegistryValue> value = m_registry.QueryValue(*opened, key, kUnlimited);
    m_registry.CloseKey(*opened);
    if (!value || value->type != RegistryType::String) return fallback;
    std::string text(value->bytes.begin(), value->bytes.end());
    // Up to the first null: what a reader of the C string sees, and what SaveSetting wrote.
    if (const std::size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
    return text;
}

SystemResult WinSettingsStore::SaveSetting(const std::string& appName, const std::string& section,
                                           const std::string& key, const std::string& value) {
    const std::string path = KeyFor(appName, section);
    if (path.empty() || key.empty()) {
        return SystemResult::Failure(ERROR_INVALID_PARAMETER,
                                     "An application, section or key name is empty or holds a backslash.");
    }
    SystemResult why;
    const std::optional<RegistryKey> opened = m_registry.CreateKey(RegistryRoot::CurrentUser, path, &why);
    if (!opened) return why;
    const SystemResult written = m_registry.SetStringValue(*opened, key, value);
    m_registry.CloseKey(*opened);
    return written;
}

}  // namespace quillmar::win32

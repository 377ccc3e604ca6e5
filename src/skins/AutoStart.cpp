#include "skins/AutoStart.h"

namespace quillmar {

namespace {
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::size_t kRunValueBuffer = 2048;
}  // namespace

SystemResult SaveRegString(Registry& registry, RegistryRoot root, const std::string& subKey,
                           const std::string& valueName, const std::string& data) {
    SystemResult why;
    const std::optional<RegistryKey> key = registry.CreateKey(root, subKey, &why);
    if (!key) return why.ok ? SystemResult::Failure(0, "the key could not be opened") : why;
    SystemResult result = registry.SetStringValue(*key, valueName, data);
    registry.CloseKey(*key);
    return result;
}

std::string RunValueFor(const std::string& exePath) { return "\"" + exePath + "\""; }

bool RunValueIsSet(Registry& registry) {
    const std::optional<RegistryKey> key = registry.OpenKey(RegistryRoot::CurrentUser, kRunKeyPath, kKeyQueryValue);
    if (!key) return false;
    const std::optional<RegistryValue> value = registry.QueryValue(*key, kRunValueName, kRunValueBuffer);
    registry.CloseKey(*key);
    // Stored with its terminating null: more than one byte means some text.
    return value && value->bytes.size() > 1 && value->bytes.front() != 0;
}

}  // namespace quillmar

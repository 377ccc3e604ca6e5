#include "translate/ServiceSettings.h"

#include <array>

namespace quillmar {

namespace {

struct Field {
    const char* key;
    std::string EngineSettings::*value;
    bool secret;
};

constexpr std::array kFields{
    Field{"Engines", &EngineSettings::engines, false},
    Field{"LibreTranslateUrl", &EngineSettings::libreTranslateUrl, false},
    Field{"LibreTranslateKey", &EngineSettings::libreTranslateKey, true},
    Field{"DeepLKey", &EngineSettings::deepLKey, true},
    Field{"OpenAIUrl", &EngineSettings::openAIUrl, false},
    Field{"OpenAIModel", &EngineSettings::openAIModel, false},
    Field{"OpenAIKey", &EngineSettings::openAIKey, true},
    Field{"MyMemoryEmail", &EngineSettings::myMemoryEmail, false},
};

constexpr const char* kServiceAddressKey = "ServiceAddress";

}  // namespace

ServiceSettings LoadServiceSettings(SettingsStore& store, SecretProtector& protector,
                                    const std::string& appName, const std::string& section) {
    ServiceSettings settings;
    settings.serviceAddress = store.GetSetting(appName, section, kServiceAddressKey, "");
    for (const Field& field : kFields) {
        std::string& value = settings.engines.*field.value;
        std::string stored = store.GetSetting(appName, section, field.key, value);
        if (field.secret && !stored.empty()) {
            // A key this user cannot open (another user's, another machine's) is as good as none; the
            // service still says which one it was.
            std::optional<std::string> clear = protector.Unprotect(stored);
            if (!clear) settings.unreadableKeys.emplace_back(field.key);
            stored = std::move(clear).value_or("");
        }
        value = std::move(stored);
    }
    if (settings.engines.engines.empty()) settings.engines.engines = EngineSettings{}.engines;
    return settings;
}

SystemResult SaveServiceSettings(SettingsStore& store, SecretProtector& protector, const std::string& appName,
                                 const std::string& section, const ServiceSettings& settings) {
    // Protect every key first, so a failure stores nothing rather than half of the choice.
    std::array<std::string, kFields.size()> stored;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const std::string& value = settings.engines.*kFields[i].value;
        if (!kFields[i].secret || value.empty()) {
            stored[i] = value;
            continue;
        }
        std::optional<std::string> protectedValue = protector.Protect(value);
        if (!protectedValue)
            return SystemResult::Failure(0, std::string("The key for ") + kFields[i].key +
                                                " could not be protected, so nothing was saved.");
        stored[i] = std::move(*protectedValue);
    }
    if (SystemResult result =
            store.SaveSetting(appName, section, kServiceAddressKey, settings.serviceAddress);
        !result)
        return result;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (SystemResult result = store.SaveSetting(appName, section, kFields[i].key, stored[i]); !result)
            return result;
    }
    return SystemResult::Success();
}

}  // namespace quillmar

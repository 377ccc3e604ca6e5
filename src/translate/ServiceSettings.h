#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/SecretProtector.h"
#include "platform/SettingsStore.h"
#include "translate/ServiceAddress.h"

namespace quillmar {

// The engines the companion service translates with. Keys are clear here; the store holds them protected.
struct EngineSettings {
    std::string engines = "mymemory";  // the chain, first engine first, such as "deepl,mymemory"
    std::string libreTranslateUrl;
    std::string libreTranslateKey;
    std::string deepLKey;
    std::string openAIUrl;
    std::string openAIModel;
    std::string openAIKey;
    std::string myMemoryEmail;

    bool operator==(const EngineSettings&) const = default;
};

// What the settings store says about where translations come from.
struct ServiceSettings {
    std::string serviceAddress;  // "", "built-in" or HOST[:PORT]
    EngineSettings engines;
    // Names of the keys stored but not openable by this user ("DeepLKey"); they read as empty. Only
    // loading fills it: saving ignores it.
    std::vector<std::string> unreadableKeys;

    bool operator==(const ServiceSettings&) const = default;
};

// Reads and writes the values under appName/section. Keys go through `protector` both ways: a key that
// cannot be protected is not stored (the result says why), one that cannot be opened reads as empty.
ServiceSettings LoadServiceSettings(SettingsStore& store, SecretProtector& protector,
                                    const std::string& appName, const std::string& section);
SystemResult SaveServiceSettings(SettingsStore& store, SecretProtector& protector, const std::string& appName,
                                 const std::string& section, const ServiceSettings& settings);

// Where the next request goes: a stored HOST[:PORT], or the companion service.
class ServiceLocator {
public:
    virtual ~ServiceLocator() = default;
    // Calls `then` once with the address for the request about to go out: at once when it is known, later
    // on the user-interface thread while the companion is being started (again); or with nothing and the
    // reason in plain words when there is no service to ask. Never blocks.
    using Found = std::function<void(std::optional<ServiceAddress> address, const std::string& whyNot)>;
    virtual void FindService(Found then) = 0;
};

// What "Test" found: the translation, or the reason it failed in plain words.
struct EngineTestOutcome {
    bool ok = false;
    std::string text;
};

// The companion as the translation-service dialog drives it.
class CompanionControl {
public:
    virtual ~CompanionControl() = default;
    // Ends the companion (when running) and starts it again with what the store holds now.
    virtual void Restart() = 0;
    // Translates `text` from English to French with `settings`, not yet stored, and calls `done` once, later,
    // on the user-interface thread; never blocks.
    virtual void TestTranslation(const ServiceSettings& settings, const std::string& text,
                                 std::function<void(EngineTestOutcome)> done) = 0;
};

// Always the same address: a build or a client that names its service.
class FixedService final : public ServiceLocator {
public:
    explicit FixedService(ServiceAddress address) : m_address(std::move(address)) {}
    void FindService(Found then) override { then(m_address, ""); }

private:
    ServiceAddress m_address;
};

// The program's way to its translation service: where each request goes, what the dialog drives, and the
// companion's life tied to the program's.
class Companion : public ServiceLocator, public CompanionControl {
public:
    // The program has started: a chosen companion starts now, so the first request does not wait for it.
    virtual void StartWithProgram() = 0;
    // The program is ending: every service it started ends too.
    virtual void EndWithProgram() = 0;
};

}  // namespace quillmar

#include "service/EngineSetup.h"

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "service/DeepLEngine.h"
#include "service/HttpUrl.h"
#include "service/LibreTranslateEngine.h"
#include "service/OpenAIEngine.h"
#include "service/PhrasebookEngine.h"

namespace quillmar::service {

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitUnavailable = 69;

std::string_view TrimBlank(std::string_view text) {
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::chrono::milliseconds Milliseconds(double seconds) {
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

SetupFailure Usage(std::string message) {
    return {kExitUsage, std::move(message)};
}

// An engine whose key the user must enter again: it takes every pair and fails each with the reason, so
// the chain hands the request on and the error page tells the user what to do.
class KeylessEngine final : public TranslationEngine {
public:
    KeylessEngine(std::string name, std::string reason)
        : m_name(std::move(name)), m_reason(std::move(reason)) {}
    std::string_view Name() const override { return m_name; }
    bool Covers(std::string_view) const override { return true; }
    EngineResult Translate(std::string_view, std::string_view) override { return EngineFailed(m_reason); }
    bool Waits() const override { return false; }
    Status Warm() override { return Failure{m_name + ": " + m_reason}; }
    EngineHealth Health() override { return {false, m_name + ": " + m_reason + "\n"}; }

private:
    std::string m_name;
    std::string m_reason;
};

// The stored key when it is the one that counts (no file named) and this user cannot open it.
bool Unreadable(const std::string& file, const std::optional<StoredKey>& stored) {
    return file.empty() && stored && stored->unreadable;
}

std::string CouldNotRead(const char* whose) {
    return std::string("the ") + whose + " key could not be read for this user; enter it again";
}

}  // namespace

Result<std::string> ReadKey(const std::string& file, const std::optional<StoredKey>& stored,
                            const char* variable, const EnvironmentLookup& environment) {
    std::string key;
    const char* from = nullptr;  // where the key came from, for a failure; null: the file
    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return Failure{"cannot read the key file " + file};
        key.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        key = std::string(TrimBlank(key));
        if (key.empty()) return Failure{"the key file " + file + " holds no key"};
    } else if (stored && (!stored->value.empty() || stored->unreadable)) {
        key = std::string(TrimBlank(stored->value));
        from = "stored for this user";
    } else if (std::optional<std::string> value = environment(variable)) {
        key = std::string(TrimBlank(*value));
        from = variable;
    }
    for (char c : key) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return Failure{std::string("the key ") + (from ? std::string("in ") + from : "file " + file) +
                           " holds a line break or another control character"};
    }
    return key;
}

void TakeStoredSettings(EngineSettings& settings, const quillmar::ServiceSettings& stored,
                        const OptionGiven& given) {
    const quillmar::EngineSettings& values = stored.engines;
    auto take = [&](std::string& target, const std::string& value, const char* option) {
        if (!given(option)) target = value;
    };
    auto key = [&](const std::string& value, const char* name) {
        bool unreadable = false;
        for (const std::string& key : stored.unreadableKeys) unreadable = unreadable || key == name;
        return StoredKey{value, unreadable};
    };
    take(settings.engines, values.engines, "--engine");
    if (!given("--upstream-url"))
        take(settings.libreTranslateUrl, values.libreTranslateUrl, "--libretranslate-url");
    take(settings.openaiUrl, values.openAIUrl, "--openai-url");
    take(settings.openaiModel, values.openAIModel, "--openai-model");
    take(settings.myMemoryEmail, values.myMemoryEmail, "--mymemory-email");
    if (!given("--libretranslate-key-file") && !given("--upstream-key"))
        settings.storedLibreTranslateKey = key(values.libreTranslateKey, "LibreTranslateKey");
    if (!given("--deepl-key-file")) settings.storedDeeplKey = key(values.deepLKey, "DeepLKey");
    if (!given("--openai-key-file")) settings.storedOpenaiKey = key(values.openAIKey, "OpenAIKey");
}

std::variant<EngineSetup, SetupFailure> SetUpEngines(const EngineSettings& settings,
                                                     const EnvironmentLookup& environment,
                                                     const ApertiumMaker& makeApertium) {
    std::vector<std::string> names;
    {
        std::stringstream list(settings.engines);
        for (std::string name; std::getline(list, name, ',');) {
            name = std::string(TrimBlank(name));
            if (name == "upstream") name = "libretranslate";
            if (!name.empty()) names.push_back(name);
        }
    }
    EngineSetup setup;
    std::vector<std::unique_ptr<TranslationEngine>> engines;
    if (names.empty()) {
        // The default: Apertium when it is installed; the phrase book answers every pair either way.
        std::string ignored;
        if (std::unique_ptr<TranslationEngine> apertium = makeApertium(false, ignored))
            engines.push_back(std::move(apertium));
        setup.chain = std::make_unique<EngineChain>(std::move(engines), std::make_unique<PhrasebookEngine>(),
                                                    settings.cacheEntries);
        return setup;
    }

    std::shared_ptr<HttpTransport> transport;
    auto theTransport = [&] {
        if (!transport)
            transport = MakePlatformTransport(TransportOptions{settings.caFile, settings.reuseConnections});
        return transport;
    };
    auto checkUrl = [](const std::string& url, const char* option) -> std::optional<SetupFailure> {
        if (ParseHttpUrl(url)) return std::nullopt;
        return Usage(std::string(option) + " wants https://HOST[:PORT][/PATH] (or http://), not \"" + url +
                     "\"");
    };
    const std::chrono::milliseconds timeout = Milliseconds(settings.engineTimeoutSeconds);
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!seen.insert(name).second) return Usage("--engine names " + name + " twice");
        if (name == "phrasebook") {
            engines.push_back(std::make_unique<PhrasebookEngine>());
        } else if (name == "apertium") {
            std::string error;
            std::unique_ptr<TranslationEngine> apertium = makeApertium(true, error);
            if (!apertium) return SetupFailure{kExitUnavailable, error};
            engines.push_back(std::move(apertium));
        } else if (name == "libretranslate") {
            if (settings.libreTranslateUrl.empty())
                return Usage("libretranslate needs --libretranslate-url https://HOST[:PORT][/PATH]");
            if (auto bad = checkUrl(settings.libreTranslateUrl, "--libretranslate-url")) return *bad;
            if (Unreadable(settings.libreTranslateKeyFile, settings.storedLibreTranslateKey)) {
                engines.push_back(std::make_unique<KeylessEngine>(name, CouldNotRead("LibreTranslate")));
                continue;
            }
            Result<std::string> key =
                ReadKey(settings.libreTranslateKeyFile, settings.storedLibreTranslateKey,
                        "QUILLMAR_LIBRETRANSLATE_KEY", environment);
            if (!key) return Usage(key.Reason());
            std::string value = key.Value().empty() ? settings.legacyUpstreamKey : key.Value();
            engines.push_back(std::make_unique<LibreTranslateEngine>(
                LibreTranslateSettings{settings.libreTranslateUrl, value, timeout}, theTransport()));
            setup.waitsOnNetwork = true;
        } else if (name == "deepl") {
            if (Unreadable(settings.deeplKeyFile, settings.storedDeeplKey)) {
                engines.push_back(std::make_unique<KeylessEngine>(name, CouldNotRead("DeepL")));
                continue;
            }
            Result<std::string> key =
                ReadKey(settings.deeplKeyFile, settings.storedDeeplKey, "QUILLMAR_DEEPL_KEY", environment);
            if (!key) return Usage(key.Reason());
            // The user's settings chose DeepL without a key: the service still starts for the other
            // engines, and the user is told what is missing.
            if (key.Value().empty() && settings.storedDeeplKey) {
                engines.push_back(
                    std::make_unique<KeylessEngine>(name, "no DeepL key is stored for this user; enter one"));
                continue;
            }
            if (key.Value().empty())
                return Usage("deepl needs a key: --deepl-key-file FILE or QUILLMAR_DEEPL_KEY");
            if (!settings.deeplUrl.empty()) {
                if (auto bad = checkUrl(settings.deeplUrl, "--deepl-url")) return *bad;
            }
            DeepLSettings deepl;
            deepl.key = key.Value();
            deepl.url = settings.deeplUrl;
            deepl.englishTarget = settings.deeplEnglish;
            deepl.portugueseTarget = settings.deeplPortuguese;
            deepl.timeout = timeout;
            engines.push_back(std::make_unique<DeepLEngine>(deepl, theTransport()));
            setup.waitsOnNetwork = true;
        } else if (name == "openai") {
            if (settings.openaiUrl.empty())
                return Usage("openai needs --openai-url, the base address ending in /v1");
            if (auto bad = checkUrl(settings.openaiUrl, "--openai-url")) return *bad;
            if (settings.openaiModel.empty()) return Usage("openai needs --openai-model NAME");
            if (Unreadable(settings.openaiKeyFile, settings.storedOpenaiKey)) {
                engines.push_back(std::make_unique<KeylessEngine>(name, CouldNotRead("language model's")));
                continue;
            }
            Result<std::string> key =
                ReadKey(settings.openaiKeyFile, settings.storedOpenaiKey, "QUILLMAR_OPENAI_KEY", environment);
            if (!key) return Usage(key.Reason());
            engines.push_back(std::make_unique<OpenAIEngine>(
                OpenAISettings{settings.openaiUrl, settings.openaiModel, key.Value(),
                               Milliseconds(settings.openaiTimeoutSeconds)},
                theTransport()));
            setup.waitsOnNetwork = true;
        } else if (name == "mymemory") {
            if (auto bad = checkUrl(settings.myMemoryUrl, "--mymemory-url")) return *bad;
            engines.push_back(std::make_unique<MyMemoryEngine>(
                MyMemorySettings{settings.myMemoryUrl, settings.myMemoryEmail, timeout}, theTransport()));
            setup.waitsOnNetwork = true;
        } else {
            return Usage("--engine: no engine is called \"" + name +
                         "\" (apertium, phrasebook, libretranslate, deepl, openai, mymemory)");
        }
    }
    if (!settings.caFile.empty()) {
        std::ifstream ca(settings.caFile);
        if (!ca) return Usage("cannot read the --ca-file " + settings.caFile);
    }
    setup.chain = std::make_unique<EngineChain>(std::move(engines), std::make_unique<PhrasebookEngine>(),
                                                settings.cacheEntries);
    return setup;
}

}  // namespace quillmar::service

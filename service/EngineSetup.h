#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "service/EngineChain.h"
#include "service/MyMemoryEngine.h"
#include "service/Result.h"
#include "translate/ServiceSettings.h"

namespace quillmar::service {

// A key read from the user's settings store: in memory only, never on a command line.
struct StoredKey {
    std::string value;        // empty: none is stored
    bool unreadable = false;  // one is stored, but this user cannot open it
};

// The engine settings of the command line. Keys come from files, the user's settings store or the
// environment, never from here.
struct EngineSettings {
    std::string engines;  // "deepl,mymemory"; empty: apertium when it is installed, else phrasebook
    std::string libreTranslateUrl;
    std::string libreTranslateKeyFile;
    std::optional<StoredKey> storedLibreTranslateKey;
    std::string legacyUpstreamKey;  // --upstream-key, kept for old set-ups
    std::string deeplKeyFile;
    std::optional<StoredKey> storedDeeplKey;
    std::string deeplUrl;  // empty: chosen by the key
    std::string deeplEnglish = "EN-US";
    std::string deeplPortuguese = "PT-BR";
    std::string openaiUrl;
    std::string openaiModel;
    std::string openaiKeyFile;
    std::optional<StoredKey> storedOpenaiKey;
    double openaiTimeoutSeconds = 60;
    std::string myMemoryUrl{kDefaultMyMemoryUrl};
    std::string myMemoryEmail;
    std::string caFile;
    double engineTimeoutSeconds = 10;
    bool reuseConnections = true;
    std::size_t cacheEntries = 10000;
};

// An environment variable's value, none when it is unset (the tests give their own).
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The Apertium engine, made by the platform's code: null when it is not installed and not required (an
// error then says why); never on Windows.
using ApertiumMaker = std::function<std::unique_ptr<TranslationEngine>(bool required, std::string& error)>;

struct EngineSetup {
    std::unique_ptr<EngineChain> chain;
    bool waitsOnNetwork = false;  // an engine of the chain spends its time waiting on a server
};

struct SetupFailure {
    int exitCode;  // 64: the command line is wrong; 69: an engine it names is not there
    std::string message;
};

// The chain the settings name, in their order, with the phrase book for the pairs none of them covers.
std::variant<EngineSetup, SetupFailure> SetUpEngines(const EngineSettings& settings,
                                                     const EnvironmentLookup& environment,
                                                     const ApertiumMaker& makeApertium);

// A key: the file's content without surrounding blank space when a file is named, else the stored key
// when there is one, else the environment variable's value (trimmed too); empty when none is set. Fails on
// a file that cannot be read or holds no key, and on a key with a line break or another control character
// inside (it goes into a header). An unreadable stored key reads as empty here: SetUpEngines gives its
// engine the reason.
Result<std::string> ReadKey(const std::string& file, const std::optional<StoredKey>& stored,
                            const char* variable, const EnvironmentLookup& environment);
inline Result<std::string> ReadKey(const std::string& file, const char* variable,
                                   const EnvironmentLookup& environment) {
    return ReadKey(file, std::nullopt, variable, environment);
}

// Whether an option was given on the command line ("--engine").
using OptionGiven = std::function<bool(const char* option)>;

// Takes the engine values of the user's settings store (the program's "TRANSLATION SERVICE" choices) where
// the command line gave none: an option given there wins over the stored value.
void TakeStoredSettings(EngineSettings& settings, const quillmar::ServiceSettings& stored,
                        const OptionGiven& given);

}  // namespace quillmar::service

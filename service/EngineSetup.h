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

namespace quillmar::service {

// The engine settings of the command line. Keys come from files or the environment, never from here.
struct EngineSettings {
    std::string engines;  // "deepl,mymemory"; empty: apertium when it is installed, else phrasebook
    std::string libreTranslateUrl;
    std::string libreTranslateKeyFile;
    std::string legacyUpstreamKey;  // --upstream-key, kept for old set-ups
    std::string deeplKeyFile;
    std::string deeplUrl;  // empty: chosen by the key
    std::string deeplEnglish = "EN-US";
    std::string deeplPortuguese = "PT-BR";
    std::string openaiUrl;
    std::string openaiModel;
    std::string openaiKeyFile;
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

// A key: the file's content without surrounding blank space when a file is named, else the environment
// variable's value (trimmed too); empty when neither is set. Fails on a file that cannot be read or holds
// no key, and on a key with a line break or another control character inside (it goes into a header).
Result<std::string> ReadKey(const std::string& file, const char* variable, const EnvironmentLookup& environment);

}  // namespace quillmar::service

// quillmar-service: answers the translation program's request offline or through the engines it names.
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#endif

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <semaphore>
#include <sstream>
#include <string>
#include <thread>
#include <variant>

#ifndef _WIN32
#include "service/ApertiumEngine.h"
#endif
#include "service/EngineSetup.h"
#include "service/TranslationServer.h"
#ifdef _WIN32
#include "service/SameUserFilter.h"
#include "translate/ServiceSettings.h"
#include "win32/WinSecretProtector.h"
#include "win32/WinSettingsStore.h"
#endif

namespace {

using namespace quillmar::service;

constexpr int kExitUsage = 64;
constexpr int kExitUnavailable = 69;
// Where the translation program keeps its settings: HKCU\Software\VB and VBA Program Settings\QUILLMAR.
constexpr const char* kSettingsApp = "QUILLMAR";

// "HOST:PORT", "[v6]:PORT"; port 0-65535 (0 picks a free one).
bool ParseListen(const std::string& text, std::string& host, int& port) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    std::string digits = text.substr(colon + 1);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(digits);
    return !host.empty() && port <= 65535;
}

// "skins" beside the program when it is there, else the sample skins of the source tree, else none.
std::string DefaultSkinsDir() {
    std::error_code error;
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    const std::filesystem::path program(path);
#else
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
#endif
    if (!error && std::filesystem::is_directory(program.parent_path() / "skins", error))
        return (program.parent_path() / "skins").string();
    if (std::filesystem::is_directory(QUILLMAR_SOURCE_SKINS_DIR, error)) return QUILLMAR_SOURCE_SKINS_DIR;
    return {};
}

#ifdef _WIN32
// Ctrl+C, Ctrl+Break and a closed console window stop the server, so that the engines shut down.
std::counting_semaphore<> stopRequests{0};

BOOL WINAPI OnConsoleStop(DWORD) {
    stopRequests.release();
    return TRUE;
}

void CatchStopRequests() { SetConsoleCtrlHandler(&OnConsoleStop, TRUE); }
void WaitForStopRequest() { stopRequests.acquire(); }
#else
// SIGINT and SIGTERM are taken by one thread that stops the server, so that the engines shut down.
sigset_t stopSignals;

void CatchStopRequests() {
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
}

void WaitForStopRequest() {
    int signal = 0;
    sigwait(&stopSignals, &signal);
}

// Every waiting client holds a descriptor; the usual soft limit of 1024 would cap them far too low.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}
#endif

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "quillmar-service: the stand-in for the web translation service that Quillmar asks.\n"
        "Answers GET /raging/translate.dyn?lp=CODE&urltext=TEXT with a page the program reads the "
        "translation from.\n\n"
        "Engines:\n"
        "  apertium    rule-based machine translation with Debian's Apertium (offline): en_es, es_en "
        "directly;\n"
        "              en_fr, en_it, en_pt, fr_en, it_en, pt_en through Spanish. Usable, not fluent.\n"
        "  libretranslate  a LibreTranslate server (--libretranslate-url; alias upstream).\n"
        "  deepl       DeepL (a key: --deepl-key-file or QUILLMAR_DEEPL_KEY).\n"
        "  openai      any OpenAI-compatible chat endpoint: Ollama, llama.cpp's server, LM Studio, vLLM, a "
        "hosted one\n"
        "              (--openai-url ending in /v1, --openai-model).\n"
        "  mymemory    MyMemory, free without a key (texts up to 500 bytes).\n"
        "  phrasebook  NOT a translator: a small built-in table of everyday chat words and phrases for each "
        "of\n"
        "              the 13 pairs; words it does not know pass through unchanged. Deterministic, for "
        "tests.\n"
        "--engine deepl,mymemory tries the engines in that order: one that fails or does not cover the pair "
        "hands\n"
        "the request to the next. Pairs none of them covers (with apertium: en_de, de_en, ru_en, fr_de, "
        "de_fr)\n"
        "go to the phrase book. Keys are read from files or the environment (QUILLMAR_LIBRETRANSLATE_KEY,\n"
        "QUILLMAR_DEEPL_KEY, QUILLMAR_OPENAI_KEY) or, on Windows, the user's settings (--user-settings),\n"
        "never from the command line.",
        "quillmar-service"};
    std::string listen = "127.0.0.1:80";
    EngineSettings engines;
    std::string upstreamUrl;
    double cache = 10000;
    bool noReuse = false;
    int threads = 0;
    int ioThreads = 0;
    int pipelines = 0;
    double readTimeout = 5.0;
    double requestTimeout = 30.0;
    std::string skinsDir = DefaultSkinsDir();
    std::string warm = "all";
    std::string userSettings;
    bool sameUserOnly = false;
    app.add_option("--listen", listen,
                   "Address to listen on, HOST:PORT (loopback only unless you name another)")
        ->capture_default_str();
    app.add_option(
        "--engine", engines.engines,
        "NAME[,NAME...] tried in this order: apertium, phrasebook, libretranslate (alias upstream), "
        "deepl, openai, mymemory (default: apertium when installed, else phrasebook)");
    app.add_option("--engine-timeout", engines.engineTimeoutSeconds,
                   "Seconds an engine may take to answer before the next one is asked")
        ->check(CLI::Range(0.1, 600.0))
        ->capture_default_str();
    app.add_option("--libretranslate-url", engines.libreTranslateUrl,
                   "LibreTranslate server, e.g. https://translate.example or http://127.0.0.1:5000");
    app.add_option("--upstream-url", upstreamUrl, "Same as --libretranslate-url");
    app.add_option("--libretranslate-key-file", engines.libreTranslateKeyFile,
                   "File holding the LibreTranslate API key (else QUILLMAR_LIBRETRANSLATE_KEY)");
    app.add_option("--upstream-key", engines.legacyUpstreamKey,
                   "Old form: the LibreTranslate key on the command line, where other users can see it; "
                   "prefer --libretranslate-key-file");
    app.add_option("--deepl-key-file", engines.deeplKeyFile,
                   "File holding the DeepL key (else QUILLMAR_DEEPL_KEY)");
    app.add_option("--deepl-url", engines.deeplUrl,
                   "DeepL API address (default: https://api-free.deepl.com for a key ending in :fx, else "
                   "https://api.deepl.com)");
    app.add_option("--deepl-english", engines.deeplEnglish, "English DeepL writes: EN-US or EN-GB")
        ->check(CLI::IsMember({"EN-US", "EN-GB"}))
        ->capture_default_str();
    app.add_option("--deepl-portuguese", engines.deeplPortuguese, "Portuguese DeepL writes: PT-BR or PT-PT")
        ->check(CLI::IsMember({"PT-BR", "PT-PT"}))
        ->capture_default_str();
    app.add_option("--openai-url", engines.openaiUrl,
                   "OpenAI-compatible base address ending in /v1, e.g. http://127.0.0.1:11434/v1");
    app.add_option("--openai-model", engines.openaiModel, "Model to ask, e.g. llama3.2");
    app.add_option("--openai-key-file", engines.openaiKeyFile,
                   "File holding the key sent as a bearer token (else QUILLMAR_OPENAI_KEY; none: no key)");
    app.add_option("--openai-timeout", engines.openaiTimeoutSeconds,
                   "Seconds the openai engine may take (a local model may first have to load)")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str();
    app.add_option("--mymemory-url", engines.myMemoryUrl, "MyMemory API address")->capture_default_str();
    app.add_option("--mymemory-email", engines.myMemoryEmail,
                   "E-mail address sent to MyMemory (de=), for its larger daily allowance");
    app.add_option("--ca-file", engines.caFile,
                   "PEM certificates trusted besides the system's, for an engine with a private authority");
    app.add_option("--user-settings", userSettings,
                   "Windows: take the engines and their keys from the program's settings section SECTION "
                   "(HKCU\\Software\\VB and VBA Program Settings\\QUILLMAR\\SECTION; keys protected "
                   "with DPAPI for this user); options given here win. Implies --same-user-only")
        ->option_text("SECTION");
    app.add_flag("--same-user-only", sameUserOnly,
                 "Windows: serve only connections from processes of the user this service runs as");
    app.add_flag("--no-connection-reuse", noReuse,
                 "Open a new connection for every engine request (for comparison: each pays a handshake)");
    app.add_option("--cache", cache, "Recent answers kept in memory (0: none)")
        ->check(CLI::Range(0, 1000000))
        ->capture_default_str();
    app.add_option("--threads", threads,
                   "Threads that run the engines (0: one per core; 16 with an engine on the network)")
        ->check(CLI::Range(0, 1024))
        ->capture_default_str();
    app.add_option("--io-threads", ioThreads, "Threads that serve the connections (0: two per core)")
        ->check(CLI::Range(0, 64))
        ->capture_default_str();
    app.add_option("--pipelines", pipelines,
                   "Apertium pipelines per mode at most, more started while requests queue (0: one per core)")
        ->check(CLI::Range(0, 64))
        ->capture_default_str();
    app.add_option("--warm", warm,
                   "Pairs whose Apertium pipelines start before the service listens: all, none, or codes "
                   "such as en_fr,fr_en (each pipeline holds some 75 MB)")
        ->capture_default_str();
    app.add_option("--skins-dir", skinsDir, "Folder of skin folders the skin gallery lists")
        ->capture_default_str();
    app.add_option("--read-timeout", readTimeout, "Seconds a client may stay silent before it is dropped")
        ->check(CLI::Range(0.1, 300.0))
        ->capture_default_str();
    app.add_option("--request-timeout", requestTimeout,
                   "Seconds a client may take to send its whole request before it is dropped")
        ->check(CLI::Range(0.1, 3600.0))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    ServerOptions options;
    if (!ParseListen(listen, options.host, options.port)) {
        std::cerr << "quillmar-service: --listen wants HOST:PORT, not \"" << listen << "\"\n";
        return kExitUsage;
    }
    options.ioThreads = ioThreads;
    options.skinsDir = skinsDir;
    options.readTimeout = std::chrono::milliseconds(static_cast<long long>(readTimeout * 1000));
    options.requestTimeout = std::chrono::milliseconds(static_cast<long long>(requestTimeout * 1000));

#ifdef _WIN32
    if (!userSettings.empty()) {
        quillmar::win32::WinSettingsStore store;
        quillmar::win32::WinSecretProtector protector;
        const quillmar::ServiceSettings stored =
            quillmar::LoadServiceSettings(store, protector, kSettingsApp, userSettings);
        TakeStoredSettings(engines, stored, [&app](const char* option) { return app.count(option) > 0; });
        sameUserOnly = true;
    }
    // Another user's process on this machine must not translate with this user's keys.
    if (sameUserOnly) options.acceptFilter = &FromThisUser;
#else
    if (!userSettings.empty() || sameUserOnly) {
        std::cerr << "quillmar-service: --user-settings and --same-user-only are Windows-only\n";
        return kExitUsage;
    }
#endif
    if (engines.libreTranslateUrl.empty()) engines.libreTranslateUrl = upstreamUrl;
    if (!engines.legacyUpstreamKey.empty())
        std::cerr << "quillmar-service: --upstream-key puts the key where other users can see it; use "
                     "--libretranslate-key-file or QUILLMAR_LIBRETRANSLATE_KEY\n";
    engines.reuseConnections = !noReuse;
    engines.cacheEntries = static_cast<std::size_t>(cache);

    ApertiumMaker makeApertium = [&](bool required,
                                     std::string& error) -> std::unique_ptr<TranslationEngine> {
#ifdef _WIN32
        (void)required;
        error = "the Apertium engine runs on Linux only";
        return nullptr;
#else
        ApertiumOptions apertiumOptions;
        apertiumOptions.maxPipelines = pipelines;
        if (warm != "all") {
            apertiumOptions.warmPairs.emplace();
            std::stringstream codes(warm == "none" ? std::string() : warm);
            for (std::string code; std::getline(codes, code, ',');) {
                if (!code.empty()) apertiumOptions.warmPairs->push_back(code);
            }
        }
        auto apertium = std::make_unique<ApertiumEngine>(apertiumOptions);
        if (apertium->Installed()) return apertium;
        if (required) error = "Apertium is not installed (apertium and its language pairs)";
        return nullptr;
#endif
    };
#ifndef _WIN32
    if (warm != "all" && warm != "none") {
        std::stringstream codes(warm);
        for (std::string code; std::getline(codes, code, ',');) {
            if (!code.empty() && ApertiumRoutes().count(code) == 0) {
                std::cerr << "quillmar-service: --warm: Apertium serves no pair \"" << code << "\"\n";
                return kExitUsage;
            }
        }
    }
#endif
    std::variant<EngineSetup, SetupFailure> made = SetUpEngines(
        engines,
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            return value ? std::optional<std::string>(value) : std::nullopt;
        },
        makeApertium);
    if (auto* failure = std::get_if<SetupFailure>(&made)) {
        std::cerr << "quillmar-service: " << failure->message << "\n";
        return failure->exitCode;
    }
    EngineSetup& setup = std::get<EngineSetup>(made);
    EngineChain& chain = *setup.chain;
    // Engines on the network spend their time waiting on a server, not on a core: they get as many
    // requests in flight as before the engines had their own pool.
    options.threads = threads == 0 && setup.waitsOnNetwork ? 16 : threads;
    const std::string chainNames = chain.Names().empty() ? "phrasebook" : chain.Names();

    CatchStopRequests();
#ifndef _WIN32
    RaiseDescriptorLimit();
#endif
    // Nothing is listening before the engines are warm: the first request costs no more than any other.
    if (Status warm = chain.Warm(); !warm)
        std::cerr << "quillmar-service: not every engine is ready: " << warm.Reason() << std::endl;

    TranslationServer server(options, chain,
                             // One write per line: standard error is unbuffered.
                             [](const std::string& line) { std::cerr << line + '\n'; });
    if (Status bound = server.Bind(); !bound) {
        std::cerr << "quillmar-service: " << bound.Reason() << "\n";
        return kExitUnavailable;
    }
    std::cerr << "quillmar-service: listening on " << options.host << ":" << server.Port() << " with engine "
              << chainNames << std::endl;
    if (options.acceptFilter)
        std::cerr << "quillmar-service: serving this user's processes only" << std::endl;

    std::thread signalWaiter([&server] {
        WaitForStopRequest();
        server.Stop();
    });
    server.Run();
    // Run() ends only through Stop(), which the signal thread calls.
    signalWaiter.join();
    std::cerr << "quillmar-service: stopped" << std::endl;
    return 0;
}

// quillmar-service: answers the translation program's request offline (or through a LibreTranslate server).
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#endif

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <semaphore>
#include <sstream>
#include <string>
#include <thread>

#ifndef _WIN32
#include "service/ApertiumEngine.h"
#endif
#include "service/EngineRouter.h"
#include "service/PhrasebookEngine.h"
#include "service/TranslationServer.h"
#include "service/UpstreamEngine.h"

namespace {

using namespace quillmar::service;

constexpr int kExitUsage = 64;
constexpr int kExitUnavailable = 69;

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
        "  upstream    forwards to a LibreTranslate-compatible server (--upstream-url, --upstream-key).\n"
        "  phrasebook  NOT a translator: a small built-in table of everyday chat words and phrases for each "
        "of\n"
        "              the 13 pairs; words it does not know pass through unchanged. Deterministic, for "
        "tests.\n"
        "Pairs the chosen engine does not cover (with apertium: en_de, de_en, ru_en, fr_de, de_fr) go to "
        "the\n"
        "phrase book.",
        "quillmar-service"};
    std::string listen = "127.0.0.1:80";
    std::string engineName;
    std::string upstreamUrl;
    std::string upstreamKey;
    int threads = 0;
    int ioThreads = 0;
    int pipelines = 0;
    double readTimeout = 5.0;
    double requestTimeout = 30.0;
    std::string skinsDir = DefaultSkinsDir();
    std::string warm = "all";
    app.add_option("--listen", listen,
                   "Address to listen on, HOST:PORT (loopback only unless you name another)")
        ->capture_default_str();
    app.add_option("--engine", engineName,
                   "apertium, phrasebook or upstream (default: apertium when installed, else phrasebook)")
        ->check(CLI::IsMember({"apertium", "phrasebook", "upstream"}));
    app.add_option("--upstream-url", upstreamUrl,
                   "LibreTranslate-compatible server, e.g. http://127.0.0.1:5000");
    app.add_option("--upstream-key", upstreamKey, "API key sent to the upstream server");
    app.add_option("--threads", threads,
                   "Threads that run the engines (0: one per core; 16 with the upstream engine)")
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
    // The upstream engine spends its time waiting on the network, not on a core: it gets as many
    // requests in flight as before the engines had their own pool.
    options.threads = threads == 0 && engineName == "upstream" ? 16 : threads;
    options.ioThreads = ioThreads;
    options.skinsDir = skinsDir;
    options.readTimeout = std::chrono::milliseconds(static_cast<long long>(readTimeout * 1000));
    options.requestTimeout = std::chrono::milliseconds(static_cast<long long>(requestTimeout * 1000));

    std::unique_ptr<TranslationEngine> chosen;
    if (engineName == "upstream") {
        if (!ParseUpstreamUrl(upstreamUrl)) {
            std::cerr
                << "quillmar-service: --engine upstream needs --upstream-url http://HOST[:PORT][/PATH]\n";
            return kExitUsage;
        }
#ifdef _WIN32
        if (upstreamUrl.rfind("https://", 0) == 0) {
            std::cerr << "quillmar-service: this Windows build reaches the upstream server over plain HTTP only\n";
            return kExitUsage;
        }
#endif
        chosen = std::make_unique<UpstreamEngine>(UpstreamOptions{upstreamUrl, upstreamKey});
    } else if (engineName != "phrasebook") {
#ifdef _WIN32
        if (engineName == "apertium") {
            std::cerr << "quillmar-service: the Apertium engine runs on Linux only\n";
            return kExitUnavailable;
        }
#else
        ApertiumOptions apertiumOptions;
        apertiumOptions.maxPipelines = pipelines;
        if (warm != "all") {
            apertiumOptions.warmPairs.emplace();
            std::stringstream codes(warm == "none" ? std::string() : warm);
            for (std::string code; std::getline(codes, code, ',');) {
                if (code.empty()) continue;
                if (ApertiumRoutes().count(code) == 0) {
                    std::cerr << "quillmar-service: --warm: Apertium serves no pair \"" << code << "\"\n";
                    return kExitUsage;
                }
                apertiumOptions.warmPairs->push_back(code);
            }
        }
        auto apertium = std::make_unique<ApertiumEngine>(apertiumOptions);
        if (apertium->Installed()) {
            chosen = std::move(apertium);
        } else if (engineName == "apertium") {
            std::cerr << "quillmar-service: Apertium is not installed (apertium and its language pairs)\n";
            return kExitUnavailable;
        }
#endif
    }
    std::string chosenName = chosen ? std::string(chosen->Name()) : "phrasebook";
    EngineRouter router(std::move(chosen), std::make_unique<PhrasebookEngine>());

    CatchStopRequests();
#ifndef _WIN32
    RaiseDescriptorLimit();
#endif
    // Nothing is listening before the engines are warm: the first request costs no more than any other.
    if (Status warm = router.Warm(); !warm)
        std::cerr << "quillmar-service: not every engine is ready: " << warm.Reason() << std::endl;

    TranslationServer server(options, router,
                             // One write per line: standard error is unbuffered.
                             [](const std::string& line) { std::cerr << line + '\n'; });
    if (Status bound = server.Bind(); !bound) {
        std::cerr << "quillmar-service: " << bound.Reason() << "\n";
        return kExitUnavailable;
    }
    std::cerr << "quillmar-service: listening on " << options.host << ":" << server.Port() << " with engine "
              << chosenName << std::endl;

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

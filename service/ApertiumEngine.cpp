#include "service/ApertiumEngine.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "service/ApertiumStream.h"

namespace quillmar::service {

namespace {

std::string ModeFile(const ApertiumOptions& options, const std::string& mode) {
    return options.modesDir + "/" + mode + ".mode";
}

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        std::size_t colon = rest.find(':');
        std::string dir(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (dir.empty()) continue;
        if (::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// The mode's pipeline with null-flush switched on in every program, as a shell script; none on failure.
std::optional<std::string> NullFlushScript(const std::string& modeFile) {
    std::string command = "apertium-wblank-mode -z '" + modeFile + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "re");
    if (!pipe) return std::nullopt;
    std::string script;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) script.append(buffer, n);
    int status = ::pclose(pipe);
    if (status != 0 || script.find_first_not_of(" \t\r\n") == std::string::npos) return std::nullopt;
    return script;
}

// A chat sentence in the mode's source language: once a pipeline has answered it, the data an everyday
// request needs has been read in.
std::string_view WarmTextFor(std::string_view mode) {
    std::string_view source = mode.substr(0, mode.find('-'));
    if (source == "spa" || source == "es")
        return "Buenos días, ¿cómo estás hoy? Enviaré los documentos mañana.";
    if (source == "fr") return "Bonjour, comment allez-vous aujourd'hui ? J'enverrai les documents demain.";
    if (source == "ita") return "Buongiorno, come stai oggi? Invierò i documenti domani.";
    if (source == "pt") return "Bom dia, como estás hoje? Enviarei os documentos amanhã.";
    return "Good morning, how are you today? I will send the documents tomorrow.";
}

int Cores() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

const std::map<std::string, std::vector<std::string>, std::less<>>& ApertiumRoutes() {
    static const std::map<std::string, std::vector<std::string>, std::less<>> routes{
        {"en_es", {"eng-spa"}},
        {"es_en", {"spa-eng"}},
        {"en_fr", {"eng-spa", "es-fr"}},
        {"fr_en", {"fr-es", "spa-eng"}},
        {"en_it", {"eng-spa", "spa-ita"}},
        {"it_en", {"ita-spa", "spa-eng"}},
        {"en_pt", {"eng-spa", "es-pt"}},
        {"pt_en", {"pt-es", "spa-eng"}},
    };
    return routes;
}

ApertiumEngine::ApertiumEngine(ApertiumOptions options)
    : m_options(std::move(options)),
      m_maxPipelines(m_options.maxPipelines > 0 ? m_options.maxPipelines : Cores()) {
    if (!OnPath("apertium-wblank-mode")) return;
    for (const auto& [pair, modes] : ApertiumRoutes()) {
        bool all = true;
        for (const std::string& mode : modes) all = all && std::filesystem::exists(ModeFile(m_options, mode));
        if (all) m_routes.emplace(pair, modes);
    }
}

ApertiumEngine::~ApertiumEngine() = default;

bool ApertiumEngine::Covers(std::string_view pairCode) const {
    return m_routes.find(pairCode) != m_routes.end();
}

bool ApertiumEngine::Installed() const {
    return !m_routes.empty();
}

std::vector<std::string> ApertiumEngine::ModesFor(std::string_view pairCode) const {
    auto it = m_routes.find(pairCode);
    return it == m_routes.end() ? std::vector<std::string>{} : it->second;
}

ApertiumPipelinePool* ApertiumEngine::PoolOf(const std::string& mode) {
    std::lock_guard lock(m_mutex);
    auto it = m_pools.find(mode);
    return it == m_pools.end() ? nullptr : it->second.get();
}

ApertiumPipeline* ApertiumEngine::PipelineOf(const std::string& mode) {
    ApertiumPipelinePool* pool = PoolOf(mode);
    return pool ? pool->At(0) : nullptr;
}

Result<ApertiumPipelinePool*> ApertiumEngine::Pool(const std::string& mode) {
    std::lock_guard lock(m_mutex);
    auto it = m_pools.find(mode);
    if (it != m_pools.end()) return it->second.get();
    std::optional<std::string> script = NullFlushScript(ModeFile(m_options, mode));
    if (!script) return Failure{"cannot read the mode " + mode};
    std::chrono::milliseconds deadline = m_options.deadline;
    // "-n" as the generator's switch leaves unknown words unmarked, as "apertium -u" does.
    auto factory = [argv = std::vector<std::string>{"bash", "-c", *script, "bash", "-n", ""}, deadline] {
        return std::make_unique<ApertiumPipeline>(argv, deadline);
    };
    auto pool = std::make_unique<ApertiumPipelinePool>(
        factory, m_maxPipelines, ToApertiumStream(WarmTextFor(mode)), m_options.deadline);
    ApertiumPipelinePool* raw = pool.get();
    m_pools.emplace(mode, std::move(pool));
    return raw;
}

Status ApertiumEngine::Warm() {
    std::set<std::string> modes;
    for (const auto& [pair, route] : m_routes) {
        if (m_options.warmPairs && std::find(m_options.warmPairs->begin(), m_options.warmPairs->end(),
                                             pair) == m_options.warmPairs->end())
            continue;
        modes.insert(route.begin(), route.end());
    }
    std::vector<std::string> pending(modes.begin(), modes.end());
    std::mutex mutex;
    std::string failures;
    std::size_t next = 0;
    auto warmer = [&] {
        for (;;) {
            std::string mode;
            {
                std::lock_guard lock(mutex);
                if (next == pending.size()) return;
                mode = pending[next++];
            }
            Result<ApertiumPipelinePool*> pool = Pool(mode);
            Status warm = pool ? pool.Value()->Warm() : Failure{pool.Reason()};
            if (warm) continue;
            std::lock_guard lock(mutex);
            if (!failures.empty()) failures += "; ";
            failures.append(mode).append(": ").append(warm.Reason());
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < std::min<int>(Cores(), static_cast<int>(pending.size())); ++i)
        threads.emplace_back(warmer);
    for (std::thread& thread : threads) thread.join();
    if (!failures.empty()) return Failure{failures};
    return {};
}

EngineHealth ApertiumEngine::Health() {
    std::vector<std::pair<std::string, ApertiumPipelinePool*>> pools;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [mode, pool] : m_pools) pools.emplace_back(mode, pool.get());
    }
    EngineHealth health;
    if (m_routes.empty()) return {false, "apertium: not installed\n"};
    if (pools.empty()) health.detail = "apertium: no pipeline started yet\n";
    for (const auto& [mode, pool] : pools) {
        ApertiumPipelinePool::Health pipes = pool->Check();
        health.up = health.up && pipes.up > 0;
        health.detail += "apertium " + mode + ": " + std::to_string(pipes.up) + " of " +
                         std::to_string(pipes.size) + " pipelines up (at most " +
                         std::to_string(pool->MaxPipelines()) + ")\n";
    }
    return health;
}

EngineResult ApertiumEngine::Translate(std::string_view pairCode, std::string_view text) {
    auto route = m_routes.find(pairCode);
    if (route == m_routes.end()) return EngineFailed("apertium does not cover " + std::string(pairCode));
    std::string current(text);
    for (const std::string& mode : route->second) {
        Result<ApertiumPipelinePool*> pool = Pool(mode);
        if (!pool) return EngineFailed(pool.Reason());
        Result<std::string> out = pool.Value()->Process(ToApertiumStream(current));
        if (!out) return EngineFailed(std::string(mode).append(": ").append(out.Reason()));
        current = FromApertiumStream(out.Value());
    }
    return Translated(TidyBlanks(text, std::move(current)));
}

}  // namespace quillmar::service

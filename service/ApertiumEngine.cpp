#include "service/ApertiumEngine.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

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

ApertiumEngine::ApertiumEngine(ApertiumOptions options) : m_options(std::move(options)) {
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

ApertiumPipeline* ApertiumEngine::PipelineOf(const std::string& mode) {
    std::lock_guard lock(m_mutex);
    auto it = m_pipelines.find(mode);
    return it == m_pipelines.end() ? nullptr : it->second.get();
}

ApertiumPipeline* ApertiumEngine::Pipeline(const std::string& mode, std::string* reason) {
    std::lock_guard lock(m_mutex);
    auto it = m_pipelines.find(mode);
    if (it != m_pipelines.end()) return it->second.get();
    std::optional<std::string> script = NullFlushScript(ModeFile(m_options, mode));
    if (!script) {
        *reason = "cannot read the mode " + mode;
        return nullptr;
    }
    // "-n" as the generator's switch leaves unknown words unmarked, as "apertium -u" does.
    auto pipeline = std::make_unique<ApertiumPipeline>(
        std::vector<std::string>{"bash", "-c", *script, "bash", "-n", ""}, m_options.deadline);
    ApertiumPipeline* raw = pipeline.get();
    m_pipelines.emplace(mode, std::move(pipeline));
    return raw;
}

EngineResult ApertiumEngine::Translate(std::string_view pairCode, std::string_view text) {
    auto route = m_routes.find(pairCode);
    if (route == m_routes.end()) return EngineFailed("apertium does not cover " + std::string(pairCode));
    std::string current(text);
    for (const std::string& mode : route->second) {
        std::string reason;
        ApertiumPipeline* pipeline = Pipeline(mode, &reason);
        if (!pipeline) return EngineFailed(reason);
        std::optional<std::string> out = pipeline->Process(ToApertiumStream(current), &reason);
        if (!out) return EngineFailed(std::string(mode).append(": ").append(reason));
        current = FromApertiumStream(*out);
    }
    return Translated(TidyBlanks(text, std::move(current)));
}

}  // namespace quillmar::service

#include "translate/CompanionService.h"

#include <charconv>
#include <string_view>
#include <utility>

#include "translate/AnswerText.h"
#include "translate/QueryText.h"
#include "translate/SockModule.h"
#include "translate/frmSocket.h"

namespace quillmar {

namespace {

// A literal address: "localhost" would be tried as ::1 first, where the service does not listen.
constexpr const char* kLoopback = "127.0.0.1";
constexpr std::string_view kListeningPrefix = "quillmar-service: listening on 127.0.0.1:";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool IsBuiltIn(const std::string& value) {
    if (value.empty()) return true;
    constexpr std::string_view kBuiltIn = "built-in";
    if (value.size() != kBuiltIn.size()) return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i] >= 'A' && value[i] <= 'Z' ? static_cast<char>(value[i] - 'A' + 'a') : value[i];
        if (c != kBuiltIn[i]) return false;
    }
    return true;
}

std::optional<ServiceAddress> StoredAddress(const std::string& value) {
    const std::string trimmed = Trimmed(value);
    if (IsBuiltIn(trimmed)) return std::nullopt;
    return ParseServiceAddress(trimmed);
}

std::string Sentence(std::string text) {
    if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
    return text;
}

}  // namespace

std::optional<std::uint16_t> ListeningPort(const std::string& line) {
    if (line.compare(0, kListeningPrefix.size(), kListeningPrefix) != 0) return std::nullopt;
    const char* begin = line.data() + kListeningPrefix.size();
    const char* end = line.data() + line.size();
    unsigned value = 0;
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest == begin || value == 0 || value > 65535) return std::nullopt;
    if (rest != end && *rest != ' ') return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::vector<std::string> CompanionArguments(const EngineSettings& engines, const std::string& section) {
    std::vector<std::string> arguments{"--listen", std::string(kLoopback) + ":0", "--user-settings", section,
                                       "--engine", engines.engines};
    // The values the service takes on its command line as well; never a key.
    const std::pair<const char*, const std::string*> open[] = {
        {"--libretranslate-url", &engines.libreTranslateUrl},
        {"--openai-url", &engines.openAIUrl},
        {"--openai-model", &engines.openAIModel},
        {"--mymemory-email", &engines.myMemoryEmail},
    };
    for (const auto& [option, value] : open) {
        if (value->empty()) continue;
        arguments.emplace_back(option);
        arguments.push_back(*value);
    }
    return arguments;
}

void ServiceChild::Start(const std::string& path, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit, Ready ready, std::function<void()> gone) {
    End();
    m_ready = std::move(ready);
    m_gone = std::move(gone);
    m_listening = false;
    m_lastLine.clear();
    ChildStart started = m_children.Start(path, arguments,
                                          {[this](const std::string& line) { Line(line); },
                                           [this](int exitCode) { Exited(exitCode); }});
    if (!started) {
        Fail("The translation service could not be started: " + Sentence(started.whyNot));
        return;
    }
    m_id = started.id;
    m_limit = m_timers.CreateTimer(limit, true, [this, seconds = limit.count() / 1000] {
        m_children.End(m_id);
        m_id = 0;
        Fail("The translation service did not start within " + std::to_string(seconds) + " seconds.");
    });
}

void ServiceChild::End() {
    if (m_id != 0) m_children.End(m_id);
    m_id = 0;
    m_listening = false;
    m_limit.reset();
    m_ready = nullptr;
    m_gone = nullptr;
}

void ServiceChild::Line(const std::string& line) {
    if (m_listening) return;
    if (const std::optional<std::uint16_t> port = ListeningPort(line)) {
        m_listening = true;
        m_limit.reset();
        Ready ready = std::exchange(m_ready, nullptr);
        if (ready) ready(port, "");
        return;
    }
    if (!Trimmed(line).empty()) m_lastLine = Trimmed(line);
}

void ServiceChild::Exited(int exitCode) {
    m_id = 0;
    m_limit.reset();
    if (m_listening) {
        m_listening = false;
        std::function<void()> gone = std::exchange(m_gone, nullptr);
        if (gone) gone();
        return;
    }
    // Its last words say why (a usage error, a port it could not take); the exit code is all else there is.
    Fail("The translation service stopped before it was ready: " +
         (m_lastLine.empty() ? "it ended with code " + std::to_string(exitCode) : Sentence(m_lastLine)));
}

void ServiceChild::Fail(const std::string& why) {
    m_limit.reset();
    m_gone = nullptr;
    Ready ready = std::exchange(m_ready, nullptr);
    if (ready) ready(std::nullopt, why);
}

CompanionService::CompanionService(const CompanionPorts& ports, CompanionSetup setup)
    : m_ports(ports),
      m_setup(std::move(setup)),
      m_companion(ports.children, ports.timers),
      m_testService(ports.children, ports.timers) {
    m_ports.testConnection.SetListener(this);
}

CompanionService::~CompanionService() {
    m_ports.testConnection.SetListener(nullptr);
    m_ports.testConnection.Close();
}

std::optional<ServiceAddress> CompanionService::ChosenAddress() {
    return StoredAddress(
        m_ports.settings.GetSetting(m_setup.appName, m_setup.section, "ServiceAddress", m_setup.defaultAddress));
}

void CompanionService::FindService(Found then) {
    if (std::optional<ServiceAddress> address = ChosenAddress()) {
        then(std::move(address), "");
        return;
    }
    if (m_port) {
        then(ServiceAddress{kLoopback, m_port, ""}, "");
        return;
    }
    m_waiting.push_back(std::move(then));
    if (!m_companion.Running()) StartCompanion();
}

void CompanionService::StartCompanion() {
    m_port.reset();
    const ServiceSettings settings =
        LoadServiceSettings(m_ports.settings, m_ports.secrets, m_setup.appName, m_setup.section);
    m_companion.Start(
        m_setup.servicePath, CompanionArguments(settings.engines, m_setup.section), kStartLimit,
        [this](std::optional<std::uint16_t> port, const std::string& whyNot) { CompanionReady(port, whyNot); },
        [this] { m_port.reset(); });  // the next request starts it again
}

void CompanionService::CompanionReady(std::optional<std::uint16_t> port, const std::string& whyNot) {
    m_port = port;
    std::vector<Found> waiting = std::exchange(m_waiting, {});
    for (Found& then : waiting) {
        if (port) {
            then(ServiceAddress{kLoopback, port, ""}, "");
        } else {
            then(std::nullopt, whyNot);
        }
    }
}

void CompanionService::Restart() {
    m_companion.End();
    m_port.reset();
    // Requests waiting for the old one go out through the new one.
    if (!ChosenAddress() || !m_waiting.empty()) StartCompanion();
}

void CompanionService::StartWithProgram() {
    if (!ChosenAddress() && !m_companion.Running()) StartCompanion();
}

void CompanionService::EndWithProgram() {
    m_companion.End();
    m_port.reset();
    m_testService.End();
    m_ports.testConnection.Close();
}

void CompanionService::TestTranslation(const ServiceSettings& settings, const std::string& text,
                                       std::function<void(EngineTestOutcome)> done) {
    if (m_testDone) FinishTest({false, "Another test took its place."});
    m_testDone = std::move(done);
    m_testAnswer.clear();
    // Every way out is later, on the UI thread, as the dialog expects.
    auto failLater = [this](std::string why) {
        m_testLimit = m_ports.timers.CreateTimer(std::chrono::milliseconds(1), true,
                                                 [this, why] { FinishTest({false, why}); });
    };
    const std::optional<std::string> query = PrepareQueryText(text);
    if (!query) {
        failLater("There is no text to translate.");
        return;
    }
    m_testQuery = *query;
    // The limit covers the start and the answer.
    m_testLimit = m_ports.timers.CreateTimer(kTestLimit, true,
                                             [this] { FinishTest({false, "No answer came in time."}); });
    if (std::optional<ServiceAddress> address = StoredAddress(settings.serviceAddress)) {
        m_testTarget = *address;
        TestReady(m_testTarget.Port());
        return;
    }
    // A service of its own, with the values not yet stored, so the running companion keeps translating.
    m_testTarget = ServiceAddress{kLoopback, std::nullopt, ""};
    ServiceSettings scratch = settings;
    scratch.serviceAddress.clear();
    m_testScratch = true;
    if (SystemResult saved = SaveServiceSettings(m_ports.settings, m_ports.secrets, m_setup.appName,
                                                 kTestSection, scratch);
        !saved) {
        failLater(saved.reason);
        return;
    }
    m_testService.Start(
        m_setup.servicePath, CompanionArguments(settings.engines, kTestSection), kStartLimit,
        [this, failLater](std::optional<std::uint16_t> port, const std::string& whyNot) {
            if (port) {
                m_testTarget.port = port;
                TestReady(*port);
            } else {
                failLater(whyNot);
            }
        },
        [this] { FinishTest({false, "The test service ended before it answered."}); });
}

void CompanionService::TestReady(std::uint16_t port) {
    m_testRequest = "GET " + m_testTarget.basePath + "/raging/translate.dyn?lp=en_fr&urltext=" + m_testQuery +
                    " HTTP/1.0\r\nHost: " + m_testTarget.Authority() + "\r\nUser-Agent: " + kUserAgent +
                    "\r\n\r\n";
    m_ports.testConnection.Close();
    m_ports.testConnection.Connect(m_testTarget.host, port);
}

void CompanionService::OnConnect() {
    if (!m_testDone) return;
    if (!m_ports.testConnection.SendData(m_testRequest)) FinishTest({false, "The request could not be sent."});
}

void CompanionService::OnDataArrival(std::size_t /*bytesWaiting*/) {
    if (!m_testDone) return;
    m_testAnswer += m_ports.testConnection.GetData();
    if (m_testAnswer.size() > kMaxTestAnswer) FinishTest({false, "The answer was too large."});
}

void CompanionService::OnClose() {
    if (!m_testDone) return;
    m_testAnswer += m_ports.testConnection.GetData();
    if (const std::optional<std::string> translation = TranslationFromAnswer(m_testAnswer)) {
        FinishTest({true, *translation});
        return;
    }
    if (const std::optional<std::string> reason = ServiceErrorReason(m_testAnswer)) {
        FinishTest({false, Sentence(*reason)});
        return;
    }
    FinishTest({false, m_testAnswer.empty() ? "The service closed the connection without an answer."
                                            : "The service's answer held no translation."});
}

void CompanionService::OnError(const ConnectionError& error) {
    if (!m_testDone) return;
    FinishTest({false, error.description.empty() ? "No connection to the service." : Sentence(error.description)});
}

void CompanionService::FinishTest(EngineTestOutcome outcome) {
    m_ports.testConnection.Close();
    m_testService.End();
    m_testLimit.reset();
    m_testAnswer.clear();
    if (m_testScratch) {
        // The store cannot delete a section: every scratch value is emptied, so no key of an unsaved
        // choice stays behind.
        ServiceSettings emptied;
        emptied.engines.engines.clear();
        SaveServiceSettings(m_ports.settings, m_ports.secrets, m_setup.appName, kTestSection, emptied);
        m_testScratch = false;
    }
    std::function<void(EngineTestOutcome)> done = std::exchange(m_testDone, nullptr);
    if (done) done(std::move(outcome));
}

}  // namespace quillmar

#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcesses.h"
#include "platform/Connection.h"
#include "platform/SecretProtector.h"
#include "platform/SettingsStore.h"
#include "platform/Timers.h"
#include "translate/ServiceSettings.h"

namespace quillmar {

// The port in the service's "quillmar-service: listening on 127.0.0.1:PORT with engine ..." line.
std::optional<std::uint16_t> ListeningPort(const std::string& line);

// The service's command line for these engines and settings section. Keys never go on it: the service
// reads them itself from the section.
std::vector<std::string> CompanionArguments(const EngineSettings& engines, const std::string& section);

// One service process from its start until it listens, or the reason it never will.
class ServiceChild {
public:
    // Once per start: the port it listens on, or none and why in plain words.
    using Ready = std::function<void(std::optional<std::uint16_t> port, const std::string& whyNot)>;

    ServiceChild(ChildProcesses& children, TimerFactory& timers) : m_children(children), m_timers(timers) {}
    ~ServiceChild() { End(); }
    ServiceChild(const ServiceChild&) = delete;
    ServiceChild& operator=(const ServiceChild&) = delete;

    // `ready` may come from inside this call, when the program cannot be started at all. `gone`: it ended
    // after it was ready.
    void Start(const std::string& path, const std::vector<std::string>& arguments, std::chrono::milliseconds limit,
               Ready ready, std::function<void()> gone);
    // Ends the process; nothing more is reported for it.
    void End();
    bool Running() const { return m_id != 0; }

private:
    void Line(const std::string& line);
    void Exited(int exitCode);
    void Fail(const std::string& why);

    ChildProcesses& m_children;
    TimerFactory& m_timers;
    ChildId m_id = 0;
    bool m_listening = false;
    std::string m_lastLine;
    Ready m_ready;
    std::function<void()> m_gone;
    std::unique_ptr<Timer> m_limit;
};

struct CompanionPorts {
    ChildProcesses& children;
    TimerFactory& timers;
    SettingsStore& settings;
    SecretProtector& secrets;
    Connection& testConnection;  // the Test's own: a translation may be on the program's connection
};

struct CompanionSetup {
    std::string servicePath;     // quillmar-service.exe in the program's own folder
    std::string defaultAddress;  // the build's HOST[:PORT] where no ServiceAddress is stored; "" for none
    std::string appName;
    std::string section;
};

// Chooses each request's service and runs the companion: quillmar-service.exe on a free loopback port,
// started with the program, again when it died, and ended with the program.
class CompanionService final : public Companion, private ConnectionListener {
public:
    static constexpr std::chrono::milliseconds kStartLimit{10000};
    static constexpr std::chrono::milliseconds kTestLimit{30000};
    static constexpr const char* kTestSection = "service-test";
    static constexpr std::size_t kMaxTestAnswer = 1 << 20;

    CompanionService(const CompanionPorts& ports, CompanionSetup setup);
    ~CompanionService() override;
    CompanionService(const CompanionService&) = delete;
    CompanionService& operator=(const CompanionService&) = delete;

    void FindService(Found then) override;
    void Restart() override;
    void TestTranslation(const ServiceSettings& settings, const std::string& text,
                         std::function<void(EngineTestOutcome)> done) override;
    void StartWithProgram() override;
    void EndWithProgram() override;

private:
    // The stored (or built-in) HOST[:PORT]; none when the companion is chosen.
    std::optional<ServiceAddress> ChosenAddress();
    void StartCompanion();
    void CompanionReady(std::optional<std::uint16_t> port, const std::string& whyNot);

    void TestReady(std::uint16_t port);
    void FinishTest(EngineTestOutcome outcome);
    void OnConnect() override;
    void OnDataArrival(std::size_t bytesWaiting) override;
    void OnClose() override;
    void OnError(const ConnectionError& error) override;

    CompanionPorts m_ports;
    CompanionSetup m_setup;

    ServiceChild m_companion;
    std::optional<std::uint16_t> m_port;
    std::vector<Found> m_waiting;  // requests that go out once the companion listens

    ServiceChild m_testService;
    std::function<void(EngineTestOutcome)> m_testDone;
    ServiceAddress m_testTarget;
    std::string m_testQuery;
    std::string m_testRequest;
    bool m_testScratch = false;  // values stored under kTestSection, to be emptied
    std::string m_testAnswer;
    std::unique_ptr<Timer> m_testLimit;
};

}  // namespace quillmar

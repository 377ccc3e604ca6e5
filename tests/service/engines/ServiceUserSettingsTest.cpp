// The Windows service program on the user's stored settings: a key the program sealed with DPAPI reaches
// the engine and nowhere else, and only this user's processes are served. Runs under Wine.
#include <gtest/gtest.h>
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "FakeEngines.h"
#include "service/PhrasebookEngine.h"
#include "service/SameUserFilter.h"
#include "service/TranslationServer.h"
#include "translate/ServiceSettings.h"
#include "win32/WinSecretProtector.h"
#include "win32/WinSettingsStore.h"
#include "win32/WinText.h"

namespace quillmar::service {
namespace {

using testing::Session;
using testing::Str;
using testing::TheFakes;
using namespace std::chrono_literals;

constexpr const char* kKey = "lt-secret-4711";

// A path of the build machine as Windows programs name it.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

// One request on a fresh connection; everything the server sent until it closed.
std::string Get(int port, const std::string& target) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        DWORD limit = 10000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
        char buffer[4096];
        for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
    }
    closesocket(s);
    return answer;
}

// quillmar-service.exe with its output in a file, ended at the end of the test.
class ServiceProgram {
public:
    explicit ServiceProgram(const std::string& arguments) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_log = std::wstring(folder) + L"quillmar-user-settings-" + std::to_wstring(GetCurrentProcessId()) +
                L".log";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE log = CreateFileW(m_log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = log;
        startup.hStdError = log;
        std::wstring line = L"\"" + win32::Utf8ToWide(WindowsPath(QUILLMAR_SERVICE_PROGRAM)) + L"\" " +
                            win32::Utf8ToWide(arguments);
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                           &startup, &m_process)) {
            CloseHandle(m_process.hThread);
        } else {
            m_process = {};
        }
        CloseHandle(log);
        for (int i = 0; i < 1000 && m_process.hProcess && port == 0; ++i) {
            const std::string text = Log();
            const std::size_t at = text.find("listening on 127.0.0.1:");
            if (at != std::string::npos && text.find(' ', at + 23) != std::string::npos)
                port = std::stoi(text.substr(at + 23));
            else
                std::this_thread::sleep_for(10ms);
        }
    }
    ~ServiceProgram() {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, 5000);
            CloseHandle(m_process.hProcess);
        }
        DeleteFileW(m_log.c_str());
    }
    std::string Log() const {
        std::ifstream in(std::filesystem::path(m_log), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int port = 0;

private:
    std::wstring m_log;
    PROCESS_INFORMATION m_process{};
};

// The stored value exactly as the registry holds it.
std::wstring RawValue(const std::string& section, const wchar_t* name) {
    const std::wstring key = win32::Utf8ToWide(win32::WinSettingsStore::KeyFor("QUILLMAR", section));
    wchar_t value[4096] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return {};
    LONG status = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
}

TEST(ServiceUserSettings, TakesTheKeyTheProgramSealedForThisUserAndSendsItToTheEngineOnly) {
    ASSERT_FALSE(TheFakes().url.empty()) << "the fake engines are not running";
    Winsock winsock;
    Session session;
    const std::string section = "test-" + session.Name();
    win32::WinSettingsStore store;
    win32::WinSecretProtector protector;
    ServiceSettings settings;
    settings.engines.engines = "libretranslate";
    settings.engines.libreTranslateUrl = session.Base();
    settings.engines.libreTranslateKey = kKey;
    ASSERT_TRUE(SaveServiceSettings(store, protector, "QUILLMAR", section, settings));

    const std::wstring raw = RawValue(section, L"LibreTranslateKey");
    EXPECT_EQ(raw.rfind(L"dpapi:", 0), 0u) << win32::WideToUtf8(raw);
    EXPECT_EQ(raw.find(L"lt-secret"), std::wstring::npos) << win32::WideToUtf8(raw);

    ServiceProgram service("--listen 127.0.0.1:0 --user-settings " + section + " --ca-file \"" +
                           WindowsPath(TheFakes().ca) + "\" --engine-timeout 5");
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   win32::Utf8ToWide(win32::WinSettingsStore::KeyFor("QUILLMAR", section)).c_str());
    ASSERT_GT(service.port, 0) << service.Log();

    // Asked from this process, the same user's: served.
    const std::string answer = Get(service.port, "/raging/translate.dyn?lp=en_fr&urltext=hello");
    EXPECT_NE(answer.find("[fr] hello"), std::string::npos) << answer << service.Log();
    EXPECT_EQ(Str(session.Last("libretranslate")["json"], "api_key"), kKey);
    EXPECT_EQ(answer.find("lt-secret"), std::string::npos);
    const std::string log = service.Log();
    EXPECT_NE(log.find("serving this user's processes only"), std::string::npos) << log;
    EXPECT_EQ(log.find("lt-secret"), std::string::npos) << log;
}

TEST(SameUserFilter, FindsThisProcessBehindItsOwnConnectionAndRefusesEndsNoProcessHolds) {
    Winsock winsock;
    std::mutex seenMutex;
    ConnectionEnds seen;
    std::optional<unsigned long> owner;
    bool admitted = false;
    ServerOptions options;
    options.port = 0;
    options.threads = 1;
    options.ioThreads = 1;
    options.acceptFilter = [&](const ConnectionEnds& ends) {
        std::lock_guard lock(seenMutex);
        seen = ends;
        owner = ClientProcess(ends);
        admitted = FromThisUser(ends);
        return admitted;
    };
    EngineChain chain(std::vector<std::unique_ptr<TranslationEngine>>{}, std::make_unique<PhrasebookEngine>(),
                      0);
    TranslationServer server(options, chain, nullptr);
    ASSERT_TRUE(server.Bind());
    std::thread running([&server] { server.Run(); });
    const std::string answer = Get(server.Port(), "/raging/translate.dyn?lp=en_fr&urltext=hello");
    server.Stop();
    running.join();

    std::lock_guard lock(seenMutex);
    EXPECT_EQ(owner, GetCurrentProcessId());
    EXPECT_TRUE(admitted);
    EXPECT_NE(answer.find("200"), std::string::npos) << answer;
    EXPECT_TRUE(RunsAsThisUser(GetCurrentProcessId()));
    // The table has no row for a client end nobody holds: refused.
    ConnectionEnds nobody = seen;
    nobody.peerPort = seen.peerPort == 1 ? 2 : 1;
    EXPECT_EQ(ClientProcess(nobody), std::nullopt);
    EXPECT_FALSE(FromThisUser(nobody));
    EXPECT_FALSE(RunsAsThisUser(0xFFFFFFF0));
}

}  // namespace
}  // namespace quillmar::service

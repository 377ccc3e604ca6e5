#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TestChatWindow.h"
#include "win32/DesktopInput.h"
#include "win32/WinEventLoop.h"
#include "win32/program/RunningProgram.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmar::testing;
namespace fs = std::filesystem;

constexpr const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\QUILLMAR\\settings";
constexpr const wchar_t* kOriginal = L"thank you very much, my friend!";
constexpr const wchar_t* kPhrasebookFrench = L"merci beaucoup, mon ami!";

fs::path WindowsPath(const std::string& path) {
    std::string windows = path;
    if (!windows.empty() && windows.front() == '/') windows = "Z:" + windows;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return fs::path(windows);
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return quillmar::win32::RunMessageLoopUntil(done, limit);
}

std::optional<std::wstring> ReadSetting(const wchar_t* name) {
    wchar_t value[512] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

void WriteSetting(const wchar_t* name, const std::optional<std::wstring>& value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name);
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, value->c_str(),
                    static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
}

// The ids of the quillmar-service.exe processes the program with that id started.
std::vector<DWORD> CompanionsOf(DWORD parent) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, L"quillmar-service.exe") == 0)
            found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

// A service that answers one request with a page holding `translation` and keeps what it was asked.
class ScriptedService {
public:
    explicit ScriptedService(std::string translation) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(m_listener, 1);
        int length = sizeof(address);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        m_thread = std::thread([this, translation] {
            SOCKET client = accept(m_listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string received;
            char buffer[2048];
            int got = 0;
            while (received.find("\r\n\r\n") == std::string::npos &&
                   (got = recv(client, buffer, sizeof(buffer), 0)) > 0)
                received.append(buffer, static_cast<std::size_t>(got));
            request = received;
            const std::string page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<textarea rows=3 name=q\">" +
                                     translation + "\r\n</textarea><p>";
            send(client, page.data(), static_cast<int>(page.size()), 0);
            shutdown(client, SD_SEND);
            closesocket(client);
        });
    }
    ~ScriptedService() {
        Received();
        WSACleanup();
    }
    // What it was asked; it answers no more afterwards.
    std::string Received() {
        closesocket(m_listener);  // ends a wait for a request that never came
        if (m_thread.joinable()) m_thread.join();
        return request;
    }
    unsigned short port = 0;

private:
    SOCKET m_listener = INVALID_SOCKET;
    std::string request;
    std::thread m_thread;
};

// Quillmar.exe and quillmar-service.exe side by side in a folder of their own, as the zip lays them out;
// the settings this test changes are put back afterwards.
class CompanionProgram : public ::testing::Test {
protected:
    void SetUp() override {
        // A pair remembered for the test's chat by an earlier run would change the translation.
        for (const wchar_t* name : kChangedSettings) m_saved.emplace_back(name, ReadSetting(name));
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_folder = fs::path(temp) / ("quillmar-companion-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::copy_file(WindowsPath(QUILLMAR_EXE_PATH), m_folder / "Quillmar.exe");
        fs::copy_file(WindowsPath(QUILLMAR_SERVICE_EXE_PATH), m_folder / "quillmar-service.exe");
        WriteSetting(L"Engines", L"phrasebook");
        WriteSetting(L"ServiceAddress", std::nullopt);
        WriteSetting(L"ChatPairs", std::nullopt);
    }
    void TearDown() override {
        m_chat.reset();
        m_program.reset();
        for (const auto& [name, value] : m_saved) WriteSetting(name, value);
        std::this_thread::sleep_for(300ms);  // the job's end lets go of the service's program file
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    void StartWithChat() {
        m_program = std::make_unique<RunningProgram>((m_folder / "Quillmar.exe").string());
        ASSERT_TRUE(m_program->started);
        m_main = MainWindowOf(*m_program, 10000ms);
        ASSERT_NE(m_main, nullptr);
        m_chat = std::make_unique<TestChatWindow>(L"john - Send Message", kOriginal, 150, 120, 560, 220);
        m_chat->BringToFront();
        ASSERT_TRUE(PumpUntil([&] { return Toolbar() != nullptr && IsWindowVisible(Toolbar()); }, 5000ms))
            << "the toolbar never showed";
    }

    HWND Toolbar() const { return ToolbarOf(*m_program); }

    // TRANSLATE on the toolbar with the original text typed; true once `expected` is written back.
    bool TranslateTo(const std::wstring& expected) {
        m_chat->SetTypedText(kOriginal);
        m_chat->BringToFront();
        PumpUntil([] { return false; }, 300ms);
        const LPARAM onTranslate = MAKELPARAM(30, 7);
        PostMessageW(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, onTranslate);
        PostMessageW(Toolbar(), WM_LBUTTONUP, 0, onTranslate);
        const bool written = PumpUntil([&] { return m_chat->TypedText() == expected; }, 15000ms);
        if (!written) ADD_FAILURE() << "the chat holds \"" << fs::path(m_chat->TypedText()).string() << "\"";
        return written;
    }

    // The companions running now, waited for while the program starts them.
    std::vector<DWORD> Companions(std::chrono::milliseconds limit) {
        std::vector<DWORD> found;
        PumpUntil([&] { return !(found = CompanionsOf(m_program->Id())).empty(); }, limit);
        return found;
    }

    std::unique_ptr<RunningProgram> m_program;
    std::unique_ptr<TestChatWindow> m_chat;
    HWND m_main = nullptr;

private:
    static constexpr const wchar_t* kChangedSettings[] = {L"ServiceAddress", L"Engines", L"ChatPairs"};
    std::vector<std::pair<const wchar_t*, std::optional<std::wstring>>> m_saved;
    fs::path m_folder;
};

// The built-in service: started with the program, translating with the stored engine, started again
// after it was ended by hand, and gone soon after the tray menu's Exit.
TEST_F(CompanionProgram, TheCompanionTranslatesComesBackWhenKilledAndEndsWithTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartWithChat());
    const std::vector<DWORD> first = Companions(5000ms);
    ASSERT_EQ(first.size(), 1u) << "one companion runs while the program runs";
    EXPECT_TRUE(TranslateTo(kPhrasebookFrench));

    HANDLE killed = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, first[0]);
    ASSERT_NE(killed, nullptr);
    TerminateProcess(killed, 9);
    EXPECT_EQ(WaitForSingleObject(killed, 3000), WAIT_OBJECT_0);
    CloseHandle(killed);
    PumpUntil([] { return false; }, 500ms);  // the program hears of the end
    EXPECT_TRUE(TranslateTo(kPhrasebookFrench)) << "the next TRANSLATE starts it again and still translates";
    const std::vector<DWORD> second = CompanionsOf(m_program->Id());
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second[0], first[0]);

    HANDLE companion = OpenProcess(SYNCHRONIZE, FALSE, second[0]);
    ASSERT_NE(companion, nullptr);
    PostMessageW(m_main, 512, 1, WM_RBUTTONUP);
    // Waited for with this thread's chat window answering: the program may ask it something meanwhile.
    ASSERT_TRUE(PumpUntil([] { return OpenMenu(0ms) != nullptr; }, 3000ms)) << "the tray menu never opened";
    PressKey(VK_UP);  // from nothing chosen, up is the last item: "E&xit"
    PressKey(VK_RETURN);
    EXPECT_TRUE(m_program->EndsWithin(3000ms));
    EXPECT_EQ(WaitForSingleObject(companion, 2000), WAIT_OBJECT_0) << "the companion outlived the program";
    CloseHandle(companion);
}

// Another service chosen: the request goes there as it always did, and no companion is started.
TEST_F(CompanionProgram, AStoredServiceAddressGetsTheRequestAndNoCompanionStarts) {
    ScriptedService service("scripted answer");
    WriteSetting(L"ServiceAddress", L"127.0.0.1:" + std::to_wstring(service.port));
    ASSERT_NO_FATAL_FAILURE(StartWithChat());
    EXPECT_TRUE(TranslateTo(L"scripted answer"));
    const std::string request = service.Received();
    EXPECT_EQ(request.rfind("GET /raging/translate.dyn?lp=en_fr&urltext=thank+you+very+much", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(service.port) + "\r\n"),
              std::string::npos);
    EXPECT_TRUE(CompanionsOf(m_program->Id()).empty());
}

}  // namespace

// winsock2.h must come before windows.h.
#include <winsock2.h>
//
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DesktopInput.h"
#include "FocusTargets.h"
#include "TestChatWindow.h"
#include "connection/WinLoopbackServer.h"
#include "follow/FollowMod.h"
#include "follow/frmFollow.h"
#include "translate/OptionsMenu.h"
#include "follow/frmStatus.h"
#include "skins/frmSettings.h"
#include "translate/AnswerText.h"
#include "win32/WinEventLoop.h"
#include "win32/WinForeignWindows.h"
#include "win32/WinPictures.h"
#include "win32/WinProgram.h"
#include "win32/WinText.h"

namespace quillmar {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ClickAt;
using testing::MoveMouseTo;
using testing::ScreenPixel;
using testing::PressKeysInMenu;
using testing::TestChatWindow;
using testing::WinLoopbackServer;

std::string AnswerPage(const std::string& translation) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
           "<html><form><textarea name=q\">" +
           translation + "  </textarea></form></html>";
}

// A service that answers every request with the same translation and keeps what it was asked.
WinLoopbackServer::Session Answering(std::string translation) {
    return [translation](WinLoopbackServer& server, SOCKET client) {
        server.Record(server.ReadRequest(client));
        WinLoopbackServer::SendAll(client, AnswerPage(translation));
    };
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return win32::RunMessageLoopUntil(done, limit);
}
void Pump(std::chrono::milliseconds time) {
    win32::RunMessageLoopUntil([] { return false; }, time);
}

RECT RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// Answers every message box of the program (title "QUILLMAR") from another thread and keeps its text,
// so a box nobody expected fails the test instead of hanging it.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() {
        m_thread = std::thread([this] {
            while (!m_stop) {
                std::this_thread::sleep_for(50ms);
                HWND box = FindWindowW(L"#32770", L"QUILLMAR");
                if (box == nullptr) continue;
                wchar_t text[512] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                {
                    std::lock_guard lock(m_mutex);
                    m_texts.push_back(text);
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                std::this_thread::sleep_for(200ms);
            }
        });
    }
    ~MessageBoxWatcher() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::wstring> Texts() {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};

// One of the focus test programs: a window no follow rule matches, one focused text control; closed at
// the end.
class FocusTarget {
public:
    FocusTarget(const std::wstring& mode, const std::wstring& text) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path);
        program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"follow_focus_target.exe";
        std::wstring commandLine = L"\"" + program + L"\" " + mode + L" \"" + text + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info)) {
            return;
        }
        CloseHandle(info.hThread);
        m_process = info.hProcess;
        const DWORD processId = info.dwProcessId;
        PumpUntil(
            [&] {
                for (HWND w = FindWindowW(test::kFocusTopClass, nullptr); w != nullptr;
                     w = FindWindowExW(nullptr, w, test::kFocusTopClass, nullptr)) {
                    DWORD owner = 0;
                    GetWindowThreadProcessId(w, &owner);
                    if (owner == processId) top = w;
                }
                // The control comes after its window: only both together are the program ready.
                control = top != nullptr ? GetWindow(top, GW_CHILD) : nullptr;
                return control != nullptr;
            },
            10000ms);
    }
    ~FocusTarget() {
        if (m_process == nullptr) return;
        if (top != nullptr) PostMessageW(top, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process, 10000) != WAIT_OBJECT_0) TerminateProcess(m_process, 1);
        CloseHandle(m_process);
    }
    FocusTarget(const FocusTarget&) = delete;
    FocusTarget& operator=(const FocusTarget&) = delete;

    bool BringToFront() {
        SetForegroundWindow(top);
        return PumpUntil([&] { return GetForegroundWindow() == top; }, 2000ms);
    }
    // The control's text: an edit's own, else as the program shows it in its title.
    std::wstring Text() const {
        wchar_t buffer[512] = {};
        DWORD_PTR copied = 0;
        const bool edit = GetClassNameW(control, buffer, 512) > 0 && std::wstring(buffer) == L"Edit";
        buffer[0] = L'\0';
        SendMessageTimeoutW(edit ? control : top, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 1000,
                            &copied);
        std::wstring text(buffer);
        const std::wstring prefix = test::kTitlePrefix;
        return edit || text.rfind(prefix, 0) != 0 ? text : text.substr(prefix.size());
    }

    HWND top = nullptr;
    HWND control = nullptr;

private:
    HANDLE m_process = nullptr;
};

// Ctrl+Shift+Space pressed and let go, through the input queue as the user types it.
void PressHotkey() {
    const WORD keys[] = {VK_CONTROL, VK_SHIFT, VK_SPACE};
    INPUT inputs[6] = {};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

bool PutOnClipboard(const std::wstring& text, UINT extraFormat) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* target = static_cast<wchar_t*>(GlobalLock(memory));
    text.copy(target, text.size());
    target[text.size()] = L'\0';
    GlobalUnlock(memory);
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    HGLOBAL extra = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(extra), "\x01\x02\x03", 3);
    GlobalUnlock(extra);
    const bool putExtra = SetClipboardData(extraFormat, extra) != nullptr;
    CloseClipboard();
    return put && putExtra;
}

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) return L"(clipboard not opened)";
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// Every change of the clipboard as a clipboard listener on its own thread sees it: the process of the
// owner, and whether the history, cloud and monitor marks were on it. It never asks for the text, which
// would render what the program only offers.
class ClipboardWatch {
public:
    struct Change {
        DWORD ownerProcess = 0;
        bool excludedFromMonitors = false;
        bool notInHistory = false;
        bool notInCloud = false;
    };

    ClipboardWatch() {
        m_thread = std::thread([this] { Run(); });
        while (!m_ready) std::this_thread::sleep_for(5ms);
    }
    ~ClipboardWatch() {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    std::vector<Change> Changes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_changes;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ClipboardWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_CLIPBOARDUPDATE && self != nullptr) {
            self->Record();
            return 0;
        }
        if (message == WM_CLOSE) {
            RemoveClipboardFormatListener(window);
            DestroyWindow(window);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // A mark is there with the value 0 (for the two yes/no ones).
    static bool Marked(const wchar_t* name, bool zero) {
        const UINT format = RegisterClipboardFormatW(name);
        HANDLE data = GetClipboardData(format);
        if (data == nullptr) return false;
        if (!zero) return true;
        const void* bytes = GlobalLock(data);
        DWORD value = 1;
        if (bytes != nullptr && GlobalSize(data) >= sizeof(value)) std::memcpy(&value, bytes, sizeof(value));
        GlobalUnlock(data);
        return value == 0;
    }
    void Record() {
        bool opened = false;
        for (int attempt = 0; attempt < 100 && !opened; ++attempt) {
            opened = OpenClipboard(m_window) != FALSE;
            if (!opened) Sleep(2);
        }
        if (!opened) return;
        Change change;
        if (HWND owner = GetClipboardOwner(); owner != nullptr) GetWindowThreadProcessId(owner, &change.ownerProcess);
        change.excludedFromMonitors = Marked(L"ExcludeClipboardContentFromMonitorProcessing", false);
        change.notInHistory = Marked(L"CanIncludeInClipboardHistory", true);
        change.notInCloud = Marked(L"CanUploadToCloudClipboard", true);
        CloseClipboard();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_changes.push_back(change);
    }
    void Run() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuillmarTestClipboardWatch";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        AddClipboardFormatListener(m_window);
        m_ready = true;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    }

    std::thread m_thread;
    std::atomic<bool> m_ready{false};
    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::vector<Change> m_changes;
};

class FollowWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { win32::EnsureGdiplus(); }
    // Pairs chosen for a chat are stored for good: every test starts with none remembered,
    void SetUp() override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\QUILLMAR\\settings", 0,
                          KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"ChatPairs");
            RegDeleteValueW(key, L"FollowRules");  // and no rule but the chat titles
            RegCloseKey(key);
        }
    }
    void TearDown() override {
        program.reset();
        if (!m_boxExpected) {
            const auto texts = boxes.Texts();
            std::string shown;
            for (const auto& text : texts) shown += " [" + std::string(text.begin(), text.end()) + "]";
            EXPECT_TRUE(texts.empty()) << "a message box came up:" << shown;
        }
    }
    void ExpectMessageBox() { m_boxExpected = true; }

    void StartProgram(std::uint16_t port) {
        program = std::make_unique<win32::WinProgram>("127.0.0.1:" + std::to_string(port));
        program->Start();
    }
    frmFollow& Follow() { return program->App().FollowForm(); }
    HWND Toolbar() { return reinterpret_cast<HWND>(Follow().Hwnd()); }

    // Brings the chat window up and waits for the toolbar on its title bar; the time it took, or -1.
    long long ShowChat(TestChatWindow& chat) {
        chat.BringToFront();
        const auto start = Clock::now();
        const bool shown = PumpUntil(
            [&] {
                return IsWindowVisible(Toolbar()) &&
                       program->State().TargetHwnd == (WindowHandle)chat.Handle();
            },
            2000ms);
        if (!shown) return -1;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }

    // A click on the toolbar at x (client pixels) as the window receives it.
    void PostClick(int x) {
        PostMessageW(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 7));
        PostMessageW(Toolbar(), WM_LBUTTONUP, 0, MAKELPARAM(x, 7));
    }

    // A real mouse click at x (client pixels) of the toolbar, through the input queue.
    void MouseClick(int x) {
        const RECT r = RectOf(Toolbar());
        // Only once the toolbar is on the screen: a press on the title bar beneath would start moving
        // the chat window instead.
        const COLORREF titleBar = ScreenPixel(r.left - 4, r.top + 7);
        ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 1, r.top + 7) != titleBar; }, 2000ms));
        ClickAt(r.left + x, r.top + 7);
    }

    std::string StatusText() {
        return program->App().IsStatusLoaded() ? program->App().StatusForm().Label1() : std::string{};
    }

    MessageBoxWatcher boxes;
    std::unique_ptr<win32::WinProgram> program;
    bool m_boxExpected = false;
};

TEST_F(FollowWindowsTest, TheToolbarSitsOnTheChatTitleBarAndHidesForOtherWindows) {
    StartProgram(testing::UnusedLoopbackPort());
    EXPECT_FALSE(IsWindowVisible(Toolbar()));
    TestChatWindow chat(L"john - Send Message", L"good morning", 150, 120, 560, 220);
    const long long took = ShowChat(chat);
    ASSERT_GE(took, 0) << "the toolbar never showed";
    std::printf("toolbar shown %lld ms after the chat window came to the front\n", took);
    EXPECT_LE(took, 300);

    const RECT c = RectOf(chat.Handle());
    const RECT t = RectOf(Toolbar());
    EXPECT_EQ(t.left, c.right - 241 - 60);
    EXPECT_EQ(t.top, c.top + 5);
    EXPECT_EQ(t.right - t.left, 241);
    EXPECT_EQ(t.bottom - t.top, 15);
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());
    EXPECT_NE(GetWindowLongW(Toolbar(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // Moving the chat window takes the toolbar along.
    SetWindowPos(chat.Handle(), nullptr, 60, 300, 500, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(PumpUntil([&] { return RectOf(Toolbar()).left == 60 + 500 - 241 - 60; }, 1000ms));

    TestChatWindow other(L"notes.txt - Notepad", L"", 40, 40, 300, 200);
    other.BringToFront();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Toolbar()); }, 300ms));
    EXPECT_EQ(program->State().TargetHwnd, 0u);
}

TEST_F(FollowWindowsTest, TranslateReplacesTheTypedTextAndTheStatusWindowShowsUnderTheToolbar) {
    WinLoopbackServer service(Answering("bonjour tout le monde"));
    StartProgram(service.Port());
    TestChatWindow chat(L"john - Send Message", L"good morning", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);

    PostClick(20);  // on "TRANSLATE"
    ASSERT_TRUE(PumpUntil(
        [&] { return program->App().IsStatusLoaded() && program->App().StatusForm().Visible(); }, 1000ms));
    const HWND status = reinterpret_cast<HWND>(program->App().StatusForm().Hwnd());
    const RECT t = RectOf(Toolbar());
    const RECT s = RectOf(status);
    EXPECT_EQ(s.right, t.right - 17);  // ends where the menu button begins
    EXPECT_EQ(s.top, t.bottom);
    EXPECT_EQ(s.right - s.left, 123);
    EXPECT_EQ(s.bottom - s.top, 25);
    EXPECT_TRUE(IsWindowVisible(status));

    ASSERT_TRUE(PumpUntil([&] { return chat.TypedText() == L"bonjour tout le monde"; }, 5000ms));
    const auto done = Clock::now();
    EXPECT_EQ(StatusText(), "Operation Successfull !");
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].find("good+morning"), std::string::npos);
    EXPECT_NE(service.Requests()[0].find("en_fr"), std::string::npos);
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());

    ASSERT_TRUE(PumpUntil([&] { return !program->App().IsStatusLoaded(); }, 3000ms));
    const auto closedAfter =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - done).count();
    std::printf("status window closed %lld ms after \"Operation Successfull !\"\n", closedAfter);
    EXPECT_GE(closedAfter, 650);
    EXPECT_FALSE(IsWindow(status));
}

TEST_F(FollowWindowsTest, UndoInTheChatBringsBackTheTypedTextAndRestoreThenLeavesItAlone) {
    WinLoopbackServer service(Answering("bonjour tout le monde"));
    StartProgram(service.Port());
    TestChatWindow chat(L"john - Send Message", L"good morning", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    PostClick(20);
    ASSERT_TRUE(PumpUntil([&] { return chat.TypedText() == L"bonjour tout le monde"; }, 5000ms));
    EXPECT_EQ(StatusText(), "Operation Successfull !");

    SendMessageW(chat.Typed(), EM_UNDO, 0, 0);
    EXPECT_EQ(chat.TypedText(), L"good morning");
    // The control no longer shows the translation: nothing the user has now is overwritten.
    program->App().WriteBack().RestoreTypedText();
    EXPECT_EQ(StatusText(), "Text has changed !");
    EXPECT_EQ(chat.TypedText(), L"good morning");
}

TEST_F(FollowWindowsTest, EachChatGetsBackItsPairWhenItReturnsAndAfterARestart) {
    StartProgram(testing::UnusedLoopbackPort());
    TestChatWindow alice(L"Alice - Send Message", L"hello", 150, 120, 560, 220);
    TestChatWindow bob(L"Bob - Incoming Message", L"hi", 200, 160, 560, 220);
    ASSERT_GE(ShowChat(alice), 0);
    program->App().OptionsMenuOfSocket().Click("mnuGermantoFrench");
    ASSERT_GE(ShowChat(bob), 0);
    program->App().OptionsMenuOfSocket().Click("mnuRussiantoEnglish");
    ASSERT_GE(ShowChat(alice), 0);
    EXPECT_EQ(Follow().Label1(), "GERMAN TO FRENCH");

    program.reset();
    StartProgram(testing::UnusedLoopbackPort());
    ASSERT_GE(ShowChat(bob), 0);
    EXPECT_EQ(Follow().Label1(), "RUSSIAN TO ENGLISH");
}

TEST_F(FollowWindowsTest, RussianTextGoesOutEncodedAndTheRussianAnswerComesBackWhole) {
    WinLoopbackServer service(Answering("Здравствуй, мир 😀"));
    StartProgram(service.Port());
    TestChatWindow chat(L"Incoming Message", L"Привет мир", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    Follow().SetPair(9);  // Russian to English
    PostClick(20);
    ASSERT_TRUE(PumpUntil([&] { return chat.TypedText() == L"Здравствуй, мир 😀"; }, 5000ms))
        << "chat text: " << chat.TypedText().size() << " units, status: " << StatusText();
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].find("%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82+%D0%BC%D0%B8%D1%80"),
              std::string::npos);
    EXPECT_NE(service.Requests()[0].find("ru_en"), std::string::npos);
}

TEST_F(FollowWindowsTest, AnEmptyEditShowsNoMessageAndSendsNothing) {
    WinLoopbackServer service(Answering("never"));
    StartProgram(service.Port());
    TestChatWindow chat(L"john - Send Message", L"", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    PostClick(20);
    ASSERT_TRUE(PumpUntil([&] { return StatusText() == "No message !"; }, 1000ms));
    EXPECT_TRUE(program->App().StatusForm().Visible());
    EXPECT_TRUE(PumpUntil([&] { return !program->App().IsStatusLoaded(); }, 2000ms));
    Pump(200ms);
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(chat.TypedText(), L"");
}

TEST_F(FollowWindowsTest, ARefusedConnectionLeavesTheChatTextUntouched) {
    StartProgram(testing::UnusedLoopbackPort());
    TestChatWindow chat(L"john - Send Message", L"good morning", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    ExpectMessageBox();  // the failure is also reported in a message box
    PostClick(20);
    const bool reported = PumpUntil([&] { return StatusText() == "Erros Occured ..."; }, 5000ms);
    ASSERT_TRUE(reported) << StatusText();
    EXPECT_TRUE(PumpUntil([&] { return !boxes.Texts().empty(); }, 2000ms));
    Pump(300ms);
    EXPECT_EQ(chat.TypedText(), L"good morning");
    EXPECT_TRUE(program->App().IsStatusLoaded());  // no closing word: it stays
}

TEST_F(FollowWindowsTest, AMouseClickOnTheToolbarLeavesTheChatWindowInFront) {
    WinLoopbackServer service(Answering("salut"));
    StartProgram(service.Port());
    TestChatWindow chat(L"john - Send Message", L"hello there", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    MouseClick(30);
    ASSERT_TRUE(PumpUntil([&] { return chat.TypedText() == L"salut"; }, 5000ms)) << StatusText();
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());
    EXPECT_TRUE(IsWindowVisible(Toolbar()));
}

// A chat window on a thread of its own that stops answering messages for `hang` when told to.
class HangingChat {
public:
    explicit HangingChat(std::chrono::milliseconds hang) : m_hang(hang) {
        m_thread = std::thread([this] {
            TestChatWindow chat(L"john - Send Message", L"good morning", 150, 120, 560, 220);
            m_window = chat.Handle();
            m_typed = chat.Typed();
            chat.BringToFront();
            m_ready = true;
            MSG message;
            while (!m_stop) {
                if (m_hangNow.exchange(false)) std::this_thread::sleep_for(m_hang);  // not answering
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            }
        });
        while (!m_ready) std::this_thread::sleep_for(10ms);
    }
    ~HangingChat() {
        m_stop = true;
        m_thread.join();
    }
    HWND Window() const { return m_window; }
    void Hang() { m_hangNow = true; }
    std::wstring TypedText() const {
        wchar_t text[256] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(m_typed, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                            &ignored);
        return text;
    }

private:
    std::chrono::milliseconds m_hang;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_hangNow{false};
    HWND m_window = nullptr;
    HWND m_typed = nullptr;
    std::thread m_thread;
};

TEST_F(FollowWindowsTest, AnAnswerForAChatWindowThatStoppedAnsweringIsDroppedAndTheTextKept) {
    HangingChat chat(2500ms);
    // The service answers only once the chat window has stopped answering.
    WinLoopbackServer service([&chat](WinLoopbackServer& server, SOCKET client) {
        server.Record(server.ReadRequest(client));
        chat.Hang();
        std::this_thread::sleep_for(200ms);
        WinLoopbackServer::SendAll(client, AnswerPage("bonjour"));
    });
    StartProgram(service.Port());
    ASSERT_TRUE(
        PumpUntil([&] { return program->State().TargetHwnd == (WindowHandle)chat.Window(); }, 2000ms));
    PostClick(20);
    const auto start = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return StatusText() == "Erros Occured ..."; }, 6000ms)) << StatusText();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::printf("write to the hung chat window given up %lld ms after the click\n", took);
    Pump(2500ms);  // the chat window answers again; nothing queued may overwrite its text now
    EXPECT_EQ(chat.TypedText(), L"good morning");
    EXPECT_EQ(service.Requests().size(), 1u);
}

TEST_F(FollowWindowsTest, AClickInTheChatWindowLeavesTheToolbarDrawnOnTop) {
    StartProgram(testing::UnusedLoopbackPort());
    TestChatWindow chat(L"john - Send Message", L"hello", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    const RECT t = RectOf(Toolbar());
    const COLORREF titleBar = ScreenPixel(t.left - 4, t.top + 7);
    Pump(200ms);
    ASSERT_NE(ScreenPixel(t.left + 1, t.top + 7), titleBar);  // the toolbar's edge, not the title bar

    const RECT typed = RectOf(chat.Typed());
    ClickAt(typed.left + 20, typed.top + 10);
    Pump(400ms);
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());
    EXPECT_NE(ScreenPixel(t.left + 1, t.top + 7), titleBar);
}

TEST_F(FollowWindowsTest, ThePairMenuOpensAtTheMenuButtonAndAChosenPairShowsOnTheToolbar) {
    StartProgram(testing::UnusedLoopbackPort());
    TestChatWindow chat(L"john - Send Message", L"hello", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    // The menu's own loop runs inside the click; the keys come from another thread once it is open.
    std::thread keys([] {
        // "English to German": the seventh item that can be chosen, separators skipped.
        PressKeysInMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    });
    PostClick(241 - 8);
    const bool chosen = PumpUntil([&] { return Follow().Label1() == "ENGLISH TO GERMAN"; }, 3000ms);
    keys.join();
    EXPECT_TRUE(chosen) << Follow().Label1();
    Pump(300ms);
    EXPECT_TRUE(IsWindowVisible(Toolbar()));
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());
}

// Chooses a pair from the options menu with real input (click on the menu button, keys in the menu),
// then clicks TRANSLATE once: that first click must translate, with the chat window still in front.
TEST_F(FollowWindowsTest, TheFirstClickAfterThePairMenuClosesTranslates) {
    WinLoopbackServer service(Answering("hallo"));
    StartProgram(service.Port());
    TestChatWindow chat(L"john - Send Message", L"hello", 150, 120, 560, 220);
    ASSERT_GE(ShowChat(chat), 0);
    std::thread keys([] {
        // "English to German": the seventh item that can be chosen, separators skipped.
        PressKeysInMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    });
    MouseClick(241 - 8);  // the menu button
    const bool chosen = PumpUntil([&] { return Follow().Label1() == "ENGLISH TO GERMAN"; }, 4000ms);
    keys.join();
    ASSERT_TRUE(chosen) << Follow().Label1();
    Pump(300ms);
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());

    MouseClick(30);  // "TRANSLATE", once
    ASSERT_TRUE(PumpUntil([&] { return chat.TypedText() == L"hallo"; }, 5000ms)) << StatusText();
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].find("en_de"), std::string::npos);
    EXPECT_EQ(GetForegroundWindow(), chat.Handle());
    EXPECT_TRUE(IsWindowVisible(Toolbar()));
}

// The settings dialog comes up titled, in front, once however often it is asked for; Esc unloads it.
TEST_F(FollowWindowsTest, TheSettingsDialogOpensOnceAndEscClosesIt) {
    StartProgram(testing::UnusedLoopbackPort());
    program->App().ShowSettings();
    program->App().ShowSettings();
    const HWND dialog = reinterpret_cast<HWND>(program->App().SettingsDialog().Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == dialog; }, 2000ms));
    EXPECT_EQ(FindWindowW(L"QuillmarDialogWindow", L"QUILLMAR SETTINGS"), dialog);
    EXPECT_EQ(FindWindowExW(nullptr, dialog, L"QuillmarDialogWindow", nullptr), nullptr);  // one copy
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = VK_ESCAPE;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return !program->App().IsSettingsLoaded(); }, 2000ms));
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(FollowWindowsTest, CaptureFindsTheEditBehind2000ControlsOfAnotherWindow) {
    TestChatWindow chat(L"big - Send Message", L"", 150, 120, 560, 220);
    chat.SetTypedText(L"");
    HWND panel =
        CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, chat.Handle(), nullptr, nullptr, nullptr);
    for (int i = 0; i < 2000; ++i) {
        CreateWindowExW(0, L"Static", L"x", WS_CHILD, 0, 0, 5, 5, panel, nullptr, nullptr, nullptr);
    }
    HWND edit =
        CreateWindowExW(0, L"Edit", L"last one", WS_CHILD, 0, 0, 50, 20, panel, nullptr, nullptr, nullptr);
    SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_NE(GetWindow(panel, GW_CHILD), edit);  // the walk meets the 2000 others first
    win32::WinForeignWindows windows;
    FollowMod mod(windows);
    const auto start = Clock::now();
    const CapturedText captured = mod.CaptureEditText(reinterpret_cast<WindowHandle>(chat.Handle()));
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    std::printf("CaptureEditText over 2000 child controls: %.1f ms\n", took / 1000.0);
    EXPECT_EQ(captured.text, "last one");
    EXPECT_EQ(captured.control, reinterpret_cast<WindowHandle>(edit));
}

TEST_F(FollowWindowsTest, TheHotkeyTranslatesTheFocusedEditOfAProgramNoRuleFollowsAndUndoBringsItBack) {
    WinLoopbackServer service(Answering("bonjour tout le monde"));
    StartProgram(service.Port());
    EXPECT_EQ(program->Hotkey().Problem(), "");
    FocusTarget target(L"edit", L"good morning");
    ASSERT_NE(target.control, nullptr);
    ASSERT_TRUE(target.BringToFront());
    PressHotkey();
    ASSERT_TRUE(PumpUntil([&] { return target.Text() == L"bonjour tout le monde"; }, 5000ms))
        << "status: " << StatusText();
    EXPECT_EQ(StatusText(), "Operation Successfull !");
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].find("good+morning"), std::string::npos);
    EXPECT_FALSE(IsWindowVisible(Toolbar()));
    // Under the control the text came from.
    const RECT status = RectOf(reinterpret_cast<HWND>(program->App().StatusForm().Hwnd()));
    EXPECT_EQ(status.top, RectOf(target.control).bottom);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target.control, EM_UNDO, 0, 0, SMTO_BLOCK, 1000, &ignored);
    EXPECT_EQ(target.Text(), L"good morning");
}

TEST_F(FollowWindowsTest, AControlKnowingOnlyCtrlACVIsTranslatedThroughTheClipboardWhichKeepsItsContent) {
    WinLoopbackServer service(Answering("bonjour tout le monde"));
    StartProgram(service.Port());
    FocusTarget target(L"canvas", L"good morning");
    ASSERT_NE(target.control, nullptr);
    const UINT privateFormat = RegisterClipboardFormatW(L"QuillmarTestPrivate");
    ASSERT_TRUE(PutOnClipboard(L"the user's clipboard", privateFormat));
    ClipboardWatch watch;
    ASSERT_TRUE(target.BringToFront());
    PressHotkey();
    ASSERT_TRUE(PumpUntil([&] { return target.Text() == L"bonjour tout le monde"; }, 5000ms))
        << "status: " << StatusText();
    EXPECT_EQ(StatusText(), "Operation Successfull !");
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(service.Requests()[0].find("good+morning"), std::string::npos);
    EXPECT_EQ(ClipboardText(), L"the user's clipboard");
    EXPECT_TRUE(IsClipboardFormatAvailable(privateFormat));
    // Every content this program put up (the copies' and the paste's restores, the offered translation)
    // carried the marks; the target's own copies are the target's business.
    Pump(300ms);  // the last notices reach the listener
    int own = 0;
    for (const ClipboardWatch::Change& change : watch.Changes()) {
        if (change.ownerProcess != GetCurrentProcessId()) continue;
        ++own;
        EXPECT_TRUE(change.excludedFromMonitors && change.notInHistory && change.notInCloud) << "change " << own;
    }
    EXPECT_GE(own, 2);
}

TEST_F(FollowWindowsTest, AStoredProgramRuleMakesTheToolbarFollowAWindowOfThatProgram) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\QUILLMAR\\settings", 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring rules = L"title:nothing like it; program:TEST_WIN32_FOLLOW.EXE";
    RegSetValueExW(key, L"FollowRules", 0, REG_SZ, reinterpret_cast<const BYTE*>(rules.c_str()),
                   static_cast<DWORD>((rules.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    StartProgram(testing::UnusedLoopbackPort());
    TestChatWindow notes(L"Team notes", L"good morning", 150, 120, 560, 220);  // this very program's window
    EXPECT_GE(ShowChat(notes), 0) << "the toolbar never followed it";
}

// What this process gets of the control's own accessible object: its value, or the step that failed.
std::string ProbeAccessibleValue(HWND control) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string result;
    IAccessible* object = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                     reinterpret_cast<void**>(&object));
    char text[160];
    if (FAILED(found) || object == nullptr) {
        std::snprintf(text, sizeof text, "AccessibleObjectFromWindow failed: 0x%08lx", static_cast<unsigned long>(found));
        result = text;
    } else {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR value = nullptr;
        const HRESULT got = object->get_accValue(self, &value);
        if (got != S_OK || value == nullptr) {
            std::snprintf(text, sizeof text, "get_accValue returned 0x%08lx", static_cast<unsigned long>(got));
            result = text;
        } else {
            result = "value: " + win32::WideToUtf8(std::wstring_view(value, SysStringLen(value)));
        }
        if (value != nullptr) SysFreeString(value);
        object->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

TEST_F(FollowWindowsTest, AControlServingItsOwnAccessibleValueIsTranslatedThroughIt) {
    WinLoopbackServer service(Answering("bonjour tout le monde"));
    StartProgram(service.Port());
    FocusTarget target(L"accessible", L"good morning");
    ASSERT_NE(target.control, nullptr);
    const std::string probe = ProbeAccessibleValue(target.control);
    if (probe != "value: good morning") {
        GTEST_SKIP() << "the control's own IAccessible does not reach another process here: " << probe;
    }
    ASSERT_TRUE(PutOnClipboard(L"the user's clipboard", RegisterClipboardFormatW(L"QuillmarTestPrivate")));
    ASSERT_TRUE(target.BringToFront());
    const DWORD clipboardBefore = GetClipboardSequenceNumber();
    PressHotkey();
    ASSERT_TRUE(PumpUntil([&] { return target.Text() == L"bonjour tout le monde"; }, 5000ms))
        << "status: " << StatusText();
    EXPECT_EQ(StatusText(), "Operation Successfull !");
    EXPECT_EQ(GetClipboardSequenceNumber(), clipboardBefore);  // the clipboard was never touched
}

}  // namespace
}  // namespace quillmar

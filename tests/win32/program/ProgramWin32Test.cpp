#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The program, started as the user starts it; ended by the test if it is still running at the end.
class RunningProgram {
public:
    RunningProgram() {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + std::string(QUILLMAR_EXE_PATH) + "\"";
        started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &m_info) != FALSE;
        startedAt = Clock::now();
    }
    ~RunningProgram() {
        if (!started) return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_info.hProcess, 1);
            WaitForSingleObject(m_info.hProcess, 5000);
        }
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    bool EndsWithin(std::chrono::milliseconds limit) const {
        return WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
    }
    bool Running() const { return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Id() const { return m_info.dwProcessId; }

    bool started = false;
    Clock::time_point startedAt;

private:
    PROCESS_INFORMATION m_info{};
};

// The hidden window of the program with that process id (class "QuillmarMain"), once it is there.
HWND MainWindowOf(const RunningProgram& program, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, L"QuillmarMain", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == program.Id()) return window;
        }
        std::this_thread::sleep_for(5ms);
    }
    return nullptr;
}

HWND OpenMenu(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu != nullptr && IsWindowVisible(menu)) return menu;
        std::this_thread::sleep_for(20ms);
    }
    return nullptr;
}

void PressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    std::this_thread::sleep_for(100ms);
}

TEST(Program, StartsHiddenWithItsTrayWindowAndASecondStartEndsByItself) {
    RunningProgram first;
    ASSERT_TRUE(first.started);
    HWND main = MainWindowOf(first, 10000ms);
    ASSERT_NE(main, nullptr);
    std::printf("start to main window: %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - first.startedAt).count()));
    EXPECT_FALSE(IsWindowVisible(main));

    RunningProgram second;
    ASSERT_TRUE(second.started);
    EXPECT_TRUE(second.EndsWithin(10000ms));
    EXPECT_TRUE(first.Running());
}

// The icon's right-button release (517) comes as its callback message 512; the menu offers the three
// items; Exit ends the process at once. Left clicks and moves on the icon open nothing.
TEST(Program, TheTrayMenuOpensOnARightButtonReleaseAndExitEndsTheProgram) {
    RunningProgram program;
    ASSERT_TRUE(program.started);
    HWND main = MainWindowOf(program, 10000ms);
    ASSERT_NE(main, nullptr);
    std::this_thread::sleep_for(300ms);  // start-up finished

    for (LPARAM mouse : {LPARAM{WM_MOUSEMOVE}, LPARAM{WM_LBUTTONUP}, LPARAM{WM_RBUTTONDOWN}}) {
        PostMessageW(main, 512, 1, mouse);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(OpenMenu(0ms), nullptr);

    PostMessageW(main, 512, 1, WM_RBUTTONUP);
    HWND menuWindow = OpenMenu(3000ms);
    ASSERT_NE(menuWindow, nullptr);
    // Windows hands out the menu of another process; Wine keeps menus inside their process, so there the
    // items are known only from the logic tests, and here by Exit being the last of them.
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    if (menu != nullptr && GetMenuItemCount(menu) > 0) {
        std::vector<std::wstring> items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            if (GetMenuStringW(menu, i, text, 64, MF_BYPOSITION) == 0) wcscpy(text, L"-");
            items.push_back(text);
        }
        EXPECT_EQ(items, (std::vector<std::wstring>{L"&About", L"-", L"&Settings", L"-", L"E&xit"}));
    } else {
        std::printf("the tray menu's items cannot be read from another process here\n");
    }

    PressKey(VK_UP);  // from nothing chosen, up is the last item: "E&xit"
    const auto chosenAt = Clock::now();
    PressKey(VK_RETURN);
    ASSERT_TRUE(program.EndsWithin(3000ms));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - chosenAt).count();
    std::printf("exit chosen to process end: %lld ms\n", static_cast<long long>(took));
    EXPECT_LT(took, 1000);
}

}  // namespace

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "win32/DesktopInput.h"
#include "win32/program/RunningProgram.h"

namespace {

using namespace std::chrono_literals;
using quillmar::testing::Clock;
using quillmar::testing::MainWindowOf;
using quillmar::testing::OpenMenu;
using quillmar::testing::PressKey;

// The program as the build made it, started as the user starts it.
class RunningProgram : public quillmar::testing::RunningProgram {
public:
    RunningProgram() : quillmar::testing::RunningProgram(QUILLMAR_EXE_PATH) {}
};

// The program's visible about boxes (dialog windows captioned " About QUILLMAR").
std::vector<HWND> AboutBoxesOf(const RunningProgram& program) {
    std::vector<HWND> boxes;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"QuillmarDialogWindow", L" About QUILLMAR")) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == program.Id() && IsWindowVisible(window)) boxes.push_back(window);
    }
    return boxes;
}

HWND AboutBoxWithin(const RunningProgram& program, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    do {
        const std::vector<HWND> boxes = AboutBoxesOf(program);
        if (!boxes.empty()) return boxes.front();
        std::this_thread::sleep_for(20ms);
    } while (Clock::now() < end);
    return nullptr;
}

bool HasChildWithText(HWND parent, const std::wstring& text) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[128] = {};
        SendMessageTimeoutW(child, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000,
                            nullptr);
        if (text == buffer) return true;
    }
    return false;
}

// The program's hidden window once its start-up has finished; nullptr when it never came.
HWND MainWindowOnceStarted(const RunningProgram& program) {
    HWND main = MainWindowOf(program, 10000ms);
    if (main != nullptr) std::this_thread::sleep_for(300ms);
    return main;
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
    HWND main = MainWindowOnceStarted(program);
    ASSERT_NE(main, nullptr);

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

// WM_CLOSE to the hidden window, as the uninstaller and task managers send it, ends the whole process, not
// just that window: a copy left running would keep its program file from being removed.
TEST(Program, ACloseMessageToItsHiddenWindowEndsTheProgram) {
    RunningProgram program;
    ASSERT_TRUE(program.started);
    HWND main = MainWindowOnceStarted(program);
    ASSERT_NE(main, nullptr);

    SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr);
    EXPECT_TRUE(program.EndsWithin(3000ms));
}

// About, the first item of the tray menu, opens the about box; a second About brings up the same box
// instead of a second one; Esc (the OK button's cancel role) closes it.
TEST(Program, TheTrayMenusAboutShowsOneAboutBoxAndEscClosesIt) {
    RunningProgram program;
    ASSERT_TRUE(program.started);
    HWND main = MainWindowOf(program, 10000ms);
    ASSERT_NE(main, nullptr);
    std::this_thread::sleep_for(300ms);
    auto chooseAbout = [&] {
        PostMessageW(main, 512, 1, WM_RBUTTONUP);
        ASSERT_NE(OpenMenu(3000ms), nullptr);
        PressKey(VK_DOWN);  // from nothing chosen, down is the first item: "&About"
        PressKey(VK_RETURN);
    };

    chooseAbout();
    HWND box = AboutBoxWithin(program, 3000ms);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(HasChildWithText(box, L"Version 1.0.1"));
    EXPECT_TRUE(HasChildWithText(box, L"OK"));
    // No taskbar button: an unowned window without the tool-window style would get one.
    EXPECT_NE(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    chooseAbout();
    std::this_thread::sleep_for(500ms);
    const std::vector<HWND> boxes = AboutBoxesOf(program);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], box);

    EXPECT_EQ(GetForegroundWindow(), box);
    PressKey(VK_ESCAPE);
    const auto end = Clock::now() + 3000ms;
    while (IsWindow(box) && Clock::now() < end) std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(program.Running());
}

}  // namespace

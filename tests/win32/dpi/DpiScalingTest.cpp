// winsock2.h must come before windows.h.
#include <winsock2.h>
//
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "TestChatWindow.h"
#include "connection/WinLoopbackServer.h"
#include "fakes/FakeDialogs.h"
#include "win32/WinDpi.h"
#include "win32/WinEventLoop.h"
#include "win32/WinPictures.h"
#include "win32/WinProgram.h"

namespace quillmar {
namespace {

using namespace std::chrono_literals;

// Wine takes the DPI from the user's LogPixels when a process starts: the test sets it, runs the checks
// in a child process of its own, and puts the old value back for every other test.
constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
constexpr const wchar_t* kChildVariable = L"QUILLMAR_DPI_CHILD";

std::optional<DWORD> LogPixels() {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void SetLogPixels(std::optional<DWORD> value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (value) {
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
    } else {
        RegDeleteValueW(key, L"LogPixels");
    }
    RegCloseKey(key);
}

// Every label's text, in the font the label has, fits in the label.
void ExpectNoLabelCut(HWND dialog) {
    int labels = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        const LONG_PTR type = GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK;
        if (lstrcmpiW(className, L"Static") != 0 || (type != SS_LEFT && type != SS_LEFTNOWORDWRAP) ||
            !IsWindowVisible(child))
            continue;
        wchar_t text[256] = {};
        const int length = GetWindowTextW(child, text, 256);
        if (length == 0) continue;
        RECT client{};
        GetClientRect(child, &client);
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT needed{0, 0, client.right, 0};
        DrawTextW(dc, text, length, &needed,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (type == SS_LEFT ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        EXPECT_NE(metrics.tmPitchAndFamily & TMPF_TRUETYPE, 0) << "label " << GetDlgCtrlID(child);
        EXPECT_LE(needed.right, client.right) << "label " << GetDlgCtrlID(child);
        EXPECT_LE(needed.bottom, client.bottom) << "label " << GetDlgCtrlID(child);
        ++labels;
    }
    EXPECT_GT(labels, 0);
}

void RunChecksAt144Dpi() {
    win32::EnsureGdiplus();
    fakes::FakeCommonDialogs commonDialogs;
    win32::WinProgram program("127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()), &commonDialogs);
    program.Start();
    Application& app = program.App();
    testing::TestChatWindow chat(L"john - Send Message", L"hello", 60, 10, 560, 120);
    chat.BringToFront();
    HWND toolbar = reinterpret_cast<HWND>(app.FollowForm().Hwnd());
    ASSERT_EQ(win32::WindowDpi(toolbar), 144u) << "this Wine did not take LogPixels";
    ASSERT_TRUE(win32::RunMessageLoopUntil([&] { return IsWindowVisible(toolbar) != FALSE; }, 3000ms));
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    EXPECT_EQ(bar.right - bar.left, 362);  // 241 x 15 at 96 DPI
    EXPECT_EQ(bar.bottom - bar.top, 23);

    app.ShowSettings();
    HWND settings = reinterpret_cast<HWND>(app.SettingsDialog().Hwnd());
    ASSERT_TRUE(win32::RunMessageLoopUntil([&] { return IsWindowVisible(settings) != FALSE; }, 2000ms));
    RECT client{};
    GetClientRect(settings, &client);
    EXPECT_EQ(client.right, 567);  // 378 x 428 at 96 DPI
    EXPECT_EQ(client.bottom, 642);
    ExpectNoLabelCut(settings);

    app.ShowAbout();
    HWND about = reinterpret_cast<HWND>(app.AboutForm().Hwnd());
    ASSERT_TRUE(win32::RunMessageLoopUntil([&] { return IsWindowVisible(about) != FALSE; }, 2000ms));
    ExpectNoLabelCut(about);
}

TEST(DpiScaling, At150PercentTheToolbarAndDialogsScaleAndNoLabelIsCut) {
    if (GetEnvironmentVariableW(kChildVariable, nullptr, 0) != 0) {
        RunChecksAt144Dpi();
        return;
    }
    const std::optional<DWORD> before = LogPixels();
    SetLogPixels(144);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=DpiScaling.*";
    SetEnvironmentVariableW(kChildVariable, L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    DWORD code = 1;
    if (started) {
        if (WaitForSingleObject(child.hProcess, 90000) != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 2);
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    SetLogPixels(before);
    ASSERT_TRUE(started);
    EXPECT_EQ(code, 0u) << "the checks at 144 DPI failed (their output is above)";
}

}  // namespace
}  // namespace quillmar

// The user32 foreign-windows port against a real second program (the stand-in chat program).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "TestChatWindows.h"
#include "follow/ToolbarPlacement.h"
#include "win32/WinForeignWindows.h"

namespace quillmar::win32 {
namespace {

using quillmar::test::kHangMessage;

// Runs the queue of this thread while waiting, so our own windows stay responsive.
void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() >= end) return false;
        PumpFor(20);
    }
    return true;
}

std::wstring RawGetText(HWND window) {
    wchar_t buffer[512] = {};
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer, copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void RawSetText(HWND window, const wchar_t* text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// A window of this test process (a second "program" for the foreground, or a toolbar to place).
HWND CreateOwnWindow(DWORD style, DWORD extendedStyle) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuillmarTestOwn";
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(extendedStyle, L"QuillmarTestOwn", L"other program", style, 300, 400, 200, 100,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Starts the stand-in chat program, learns its window handles from its output, and closes it at the
// end: the program keeps its windows until this side has finished reading them.
class ChatProgram {
public:
    ChatProgram() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path);
        program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"windows_test_chat.exe";

        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        PROCESS_INFORMATION info{};
        std::wstring commandLine = L"\"" + program + L"\"";
        const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &info);
        CloseHandle(writeEnd);
        if (started) {
            CloseHandle(info.hThread);
            m_process = info.hProcess;
            ReadHandles(readEnd);
        }
        CloseHandle(readEnd);
    }

    ~ChatProgram() {
        if (m_process == nullptr) return;
        if (top != nullptr) PostMessageW(top, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process, 15000) != WAIT_OBJECT_0) TerminateProcess(m_process, 1);
        CloseHandle(m_process);
    }

    ChatProgram(const ChatProgram&) = delete;
    ChatProgram& operator=(const ChatProgram&) = delete;

    bool Ready() const { return top && pane && edit && rich && refuser; }

    HWND top = nullptr;
    HWND pane = nullptr;
    HWND edit = nullptr;
    HWND rich = nullptr;
    HWND refuser = nullptr;

private:
    void ReadHandles(HANDLE pipe) {
        std::string line;
        const ULONGLONG end = GetTickCount64() + 20000;
        while (line.find('\n') == std::string::npos && GetTickCount64() < end) {
            DWORD available = 0;
            if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return;  // program ended
            if (available == 0) {
                Sleep(10);
                continue;
            }
            char chunk[256];
            DWORD got = 0;
            if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr)) return;
            line.append(chunk, got);
        }
        unsigned long long values[5] = {};
        if (std::sscanf(line.c_str(), "%llx %llx %llx %llx %llx", &values[0], &values[1], &values[2],
                        &values[3], &values[4]) != 5) {
            return;
        }
        HWND* targets[5] = {&top, &pane, &edit, &rich, &refuser};
        for (int i = 0; i < 5; ++i) *targets[i] = reinterpret_cast<HWND>(static_cast<UINT_PTR>(values[i]));
    }

    HANDLE m_process = nullptr;
};

class ForeignWindowsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(chat.Ready()) << "the stand-in chat program did not start"; }

    ChatProgram chat;
    WinForeignWindows port;
};

TEST_F(ForeignWindowsTest, FollowsTheForegroundWindowAcrossPrograms) {
    SetForegroundWindow(chat.top);
    EXPECT_TRUE(WaitUntil([&] { return port.ForegroundWindow() == ToWindowHandle(chat.top); }, 5000));

    HWND other = CreateOwnWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil([&] { return port.ForegroundWindow() == ToWindowHandle(other); }, 5000));
    DestroyWindow(other);
}

TEST_F(ForeignWindowsTest, ReportsRectanglesVisibilityAndClassNames) {
    const std::optional<Rect> rect = port.WindowRect(ToWindowHandle(chat.top));
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->left, test::kTopLeft);
    EXPECT_EQ(rect->top, test::kTopTop);
    EXPECT_EQ(rect->right, test::kTopLeft + test::kTopWidth);
    EXPECT_EQ(rect->bottom, test::kTopTop + test::kTopHeight);

    EXPECT_TRUE(port.IsWindowVisible(ToWindowHandle(chat.top)));
    EXPECT_TRUE(port.IsWindowVisible(ToWindowHandle(chat.edit)));
    EXPECT_FALSE(port.IsWindowVisible(ToWindowHandle(chat.refuser)));  // created without WS_VISIBLE

    EXPECT_EQ(port.ClassName(ToWindowHandle(chat.top)), "QuillmarTestChat");
    EXPECT_EQ(port.ClassName(ToWindowHandle(chat.pane)), test::kPaneClassUtf8);
    EXPECT_EQ(port.ClassName(ToWindowHandle(chat.edit)), "Edit");
    EXPECT_EQ(port.ClassName(ToWindowHandle(chat.rich)), "RichEdit20W");
    EXPECT_EQ(port.ClassName(ToWindowHandle(chat.refuser)), "QuillmarTestRefuser");
}

// Wine has no compositor frame: the toolbar falls back to the classic place, inside the work area; and a
// program at our own level is not taken for one run as administrator.
TEST_F(ForeignWindowsTest, WithoutACompositorTheToolbarGoesToTheClassicPlaceOnTheMonitor) {
    const WindowHandle top = ToWindowHandle(chat.top);
    const std::optional<Rect> area = port.WorkArea(top);
    ASSERT_TRUE(area.has_value());
    EXPECT_LE(area->left, test::kTopLeft);
    EXPECT_GE(area->right, test::kTopLeft + test::kTopWidth);
    const std::optional<WindowFrame> frame = port.Frame(top);
    EXPECT_FALSE(frame.has_value());
    const ToolbarSpot spot = PlaceToolbar({*port.WindowRect(top), frame, area}, 241, 15);
    EXPECT_EQ(spot, (ToolbarSpot{test::kTopLeft + test::kTopWidth - 241 - 60, test::kTopTop + 5}));
    EXPECT_FALSE(port.RunsAboveUs(top));
    EXPECT_EQ(port.WindowTitle(0), "");
}

TEST_F(ForeignWindowsTest, WalksChildrenFirstChildThenSiblingsInZOrder) {
    const auto first = [&](HWND window) {
        return port.RelatedWindow(ToWindowHandle(window), WindowRelation::FirstChild);
    };
    const auto next = [&](HWND window) {
        return port.RelatedWindow(ToWindowHandle(window), WindowRelation::NextSibling);
    };
    // Child windows are linked below their earlier siblings: creation order is Z order.
    EXPECT_EQ(first(chat.top), ToWindowHandle(chat.pane));
    EXPECT_EQ(next(chat.pane), ToWindowHandle(chat.rich));
    EXPECT_EQ(next(chat.rich), ToWindowHandle(chat.refuser));
    EXPECT_EQ(next(chat.refuser), 0u);
    EXPECT_EQ(first(chat.pane), ToWindowHandle(chat.edit));
    EXPECT_EQ(first(chat.edit), 0u);
    EXPECT_EQ(next(chat.edit), 0u);
}

TEST_F(ForeignWindowsTest, RussianTextAndEmojiCrossToAndFromAnotherProgramUnharmed) {
    const std::string russian =
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80 "
        "\xF0\x9F\x91\x8B";  // "Привет, мир " and a waving hand
    const std::wstring russianWide = L"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440 \U0001F44B";

    ASSERT_TRUE(port.SendSetText(ToWindowHandle(chat.edit), russian));
    EXPECT_EQ(RawGetText(chat.edit), russianWide);  // what the other program really holds
    EXPECT_EQ(port.SendGetTextLength(ToWindowHandle(chat.edit)),
              std::optional<std::size_t>(14));  // UTF-16 units
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 15), std::optional<std::string>(russian));

    // Written by the other side, read by the port.
    RawSetText(chat.rich, L"Gr\u00FC\u00DFe \u2014 \u0451\u043B\u043A\u0430 \U0001F384");
    const std::string german =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x80\x94 \xD1\x91\xD0\xBB\xD0\xBA\xD0\xB0 \xF0\x9F\x8E\x84";
    const std::optional<std::size_t> length = port.SendGetTextLength(ToWindowHandle(chat.rich));
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.rich), *length + 1), std::optional<std::string>(german));

    // Line breaks are text like any other.
    ASSERT_TRUE(port.SendSetText(ToWindowHandle(chat.edit), "line one\r\nline two"));
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 64),
              std::optional<std::string>("line one\r\nline two"));
    ASSERT_TRUE(port.SendSetText(ToWindowHandle(chat.edit), ""));
    EXPECT_EQ(port.SendGetTextLength(ToWindowHandle(chat.edit)), std::optional<std::size_t>(0));
}

TEST_F(ForeignWindowsTest, ShortBufferTakesWholeCharactersOnly) {
    RawSetText(chat.edit, L"\u041F\u0440\u0438\u0432\u0435\u0442");  // Привет
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 5),
              std::optional<std::string>("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"));  // Прив

    RawSetText(chat.edit, L"ab\U0001F44B");  // the emoji is two UTF-16 units
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 4), std::optional<std::string>("ab"));
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 5),
              std::optional<std::string>("ab\xF0\x9F\x91\x8B"));
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 1), std::optional<std::string>(""));
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.edit), 0), std::optional<std::string>(""));
}

TEST_F(ForeignWindowsTest, WriteRefusedByTheWindowIsReportedAndItsTextKept) {
    EXPECT_FALSE(port.SendSetText(ToWindowHandle(chat.refuser), "new text"));
    EXPECT_EQ(port.SendGetText(ToWindowHandle(chat.refuser), 16), std::optional<std::string>("keep"));
}

TEST_F(ForeignWindowsTest, PlacesAWindowTopmostWithoutTakingTheForeground) {
    SetForegroundWindow(chat.top);
    ASSERT_TRUE(WaitUntil([&] { return port.ForegroundWindow() == ToWindowHandle(chat.top); }, 5000));

    HWND toolbar = CreateOwnWindow(WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
    ASSERT_NE(toolbar, nullptr);
    port.PlaceTopmost(ToWindowHandle(toolbar), 399, 55, 241, 15);
    PumpFor(300);

    EXPECT_TRUE(port.IsWindowVisible(ToWindowHandle(toolbar)));
    EXPECT_TRUE(GetWindowLongW(toolbar, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const std::optional<Rect> rect = port.WindowRect(ToWindowHandle(toolbar));
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->left, 399);
    EXPECT_EQ(rect->top, 55);
    EXPECT_EQ(rect->right, 640);
    EXPECT_EQ(rect->bottom, 70);
    EXPECT_EQ(port.ForegroundWindow(), ToWindowHandle(chat.top));
    DestroyWindow(toolbar);
}

TEST(ForeignWindows, VanishedOrZeroWindowGivesEmptyAnswersAndRefusesWrites) {
    WinForeignWindows port;
    HWND gone = CreateOwnWindow(WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    for (const WindowHandle window : {ToWindowHandle(gone), WindowHandle{0}}) {
        SCOPED_TRACE(window);
        EXPECT_EQ(port.SendGetTextLength(window), std::optional<std::size_t>(0));
        EXPECT_EQ(port.SendGetText(window, 16), std::optional<std::string>(""));
        EXPECT_FALSE(port.SendSetText(window, "text"));
        EXPECT_FALSE(port.IsWindowVisible(window));
        EXPECT_EQ(port.ClassName(window), "");
        EXPECT_FALSE(port.WindowRect(window).has_value());
        EXPECT_EQ(port.RelatedWindow(window, WindowRelation::FirstChild), 0u);
        EXPECT_EQ(port.RelatedWindow(window, WindowRelation::NextSibling), 0u);
    }
}

// A program whose UI thread sleeps far longer than the port waits: every message gives up within about
// a second instead of freezing the caller, and the dropped write is not applied once the program wakes.
TEST_F(ForeignWindowsTest, HungProgramIsGivenUpQuicklyAndTheUsersTextSurvives) {
    constexpr DWORD kHangMs = 7000;
    constexpr ULONGLONG kGiveUpWithinMs =
        2500;  // one second of waiting plus generous slack, far below the hang
    const WindowHandle edit = ToWindowHandle(chat.edit);
    RawSetText(chat.edit, L"typed by the user");
    PostMessageW(chat.top, kHangMessage, kHangMs, 0);
    Sleep(300);  // let the program pick the message up and fall asleep

    // The title is the system's copy: read at once, without a message the sleeping program would hold.
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(port.WindowTitle(ToWindowHandle(chat.top)), "john - Send Message");
    EXPECT_LT(GetTickCount64() - start, 200u);

    start = GetTickCount64();
    EXPECT_FALSE(port.SendGetTextLength(edit).has_value());
    EXPECT_LT(GetTickCount64() - start, kGiveUpWithinMs);

    start = GetTickCount64();
    EXPECT_FALSE(port.SendGetText(edit, 64).has_value());
    EXPECT_LT(GetTickCount64() - start, kGiveUpWithinMs);

    start = GetTickCount64();
    EXPECT_FALSE(port.SendSetText(edit, "translation"));
    EXPECT_LT(GetTickCount64() - start, kGiveUpWithinMs);

    // Once awake, the program answers again and still holds the user's text.
    EXPECT_TRUE(WaitUntil([&] { return port.SendGetTextLength(edit).has_value(); }, 20000));
    PumpFor(200);
    EXPECT_EQ(port.SendGetText(edit, 64), std::optional<std::string>("typed by the user"));
}

}  // namespace
}  // namespace quillmar::win32

// QuillmarProbe.exe: looks at Quillmar and a chat window from the outside, for the demo, the end-to-end
// tests and the figures. Each command prints one result and exits 0, or 1 when what it waits for never
// comes.
//   text TITLE                    the chat's message box (its Edit child), read by WM_GETTEXT
//   rect toolbar|menu             "left top right bottom" of the visible window, once it is there
//   rect window TITLE             the same of a visible top-level window with this title
//   rect child TITLE TEXT         the same of its visible child with this text (a button's caption)
//   watch-status MS               follows the next status window from the click to its close
//   tray-menu                     sends the icon's right-button release to the program's hidden window
//   gone MS                       waits until the program's hidden window is gone
//   start EXE                     starts the program, times its hidden window and its tray icon
//   translate-loop N TITLE TEXT   N times: TEXT into the chat, a click on TRANSLATE, wait for write-back
//   list                          every window, for finding one
//   end TITLE                     closes the chat window, ends a Quillmar.exe still running
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kTrayCallbackMessage = 512;  // the icon's callback message, as the program registers it
constexpr const wchar_t* kToolbarTitle = L"Quillmar toolbar";

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

// Another process's window text: GetWindowText does not ask other processes' controls.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        2000, &copied);
    text.resize(copied);
    return text;
}

template <typename Find>
HWND WaitFor(Find find, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    do {
        if (HWND window = find()) return window;
        std::this_thread::sleep_for(2ms);
    } while (Clock::now() < end);
    return nullptr;
}

HWND ProgramWindow() {
    return FindWindowW(L"QuillmarMain", L"QUILLMAR");
}

enum class Shown { Yes, No, Either };

// The program's tool windows share a class: the toolbar keeps its title, the status window shows its line.
HWND FormWindow(bool toolbar, Shown shown = Shown::Yes) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"QuillmarFormWindow", nullptr)) != nullptr) {
        if (shown != Shown::Either && (IsWindowVisible(window) != FALSE) != (shown == Shown::Yes)) continue;
        wchar_t title[128] = {};
        GetWindowTextW(window, title, 128);  // the program's own top-level title, kept by the system
        if ((std::wcscmp(title, kToolbarTitle) == 0) == toolbar) return window;
    }
    return nullptr;
}

HWND VisibleMenu() {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

HWND ChatEdit(const std::wstring& title) {
    HWND chat = FindWindowW(nullptr, title.c_str());
    return chat != nullptr ? FindWindowExW(chat, nullptr, L"Edit", nullptr) : nullptr;
}

void PrintRect(const char* what, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%s%s%ld %ld %ld %ld\n", what, *what ? " " : "", r.left, r.top, r.right, r.bottom);
}

// A real click through the input queue, at absolute screen coordinates.
void ClickAt(int x, int y) {
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

// The process id of the running Quillmar.exe, or 0.
DWORD ProgramProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"Quillmar.exe") == 0) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

// The pixels of the taskbar's notification area: Wine's desktop paints icons straight into the taskbar
// window, at its right end, so a new icon shows as a change there. Only that end is compared: the
// taskbar's buttons on the left change too as windows come and go, and grabbing the whole bar every
// millisecond would slow down the start it times.
constexpr int kNotificationAreaWidth = 96;
std::vector<std::uint32_t> TaskbarPixels() {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT r{};
    if (tray == nullptr || !GetWindowRect(tray, &r)) return {};
    r.left = std::max(r.left, r.right - kNotificationAreaWidth);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void PrintWindow(HWND window, const char* indent) {
    wchar_t name[64] = {};
    wchar_t title[128] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, title, 128);
    std::printf("%s%s \"%s\"%s\n", indent, Utf8(name).c_str(), Utf8(title).c_str(),
                IsWindowVisible(window) ? " visible" : "");
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    PrintWindow(child, "  ");
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND top, LPARAM) {
    PrintWindow(top, "");
    EnumChildWindows(top, PrintChild, 0);
    return TRUE;
}

// Every window with its class, title and visibility, children indented: to see what a desktop shows.
int List() {
    EnumWindows(PrintTopLevel, 0);
    return 0;
}

int Text(const std::wstring& title) {
    HWND edit = WaitFor([&] { return ChatEdit(title); }, 5000ms);
    if (edit == nullptr) {
        std::fprintf(stderr, "probe: no window \"%s\" with an edit box\n", Utf8(title).c_str());
        return 1;
    }
    std::printf("%s\n", Utf8(TextOf(edit)).c_str());
    return 0;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The toolbar on the screen, not only shown: Wine can leave its surface under the chat window a moment,
// and a click there would land on the title bar beneath.
HWND ToolbarOnScreen() {
    HWND toolbar = FormWindow(true);
    RECT r{};
    if (toolbar == nullptr || !GetWindowRect(toolbar, &r)) return nullptr;
    return ScreenPixel(r.left + 1, r.top + 7) != ScreenPixel(r.left - 4, r.top + 7) ? toolbar : nullptr;
}

// A visible top-level window with this title (the program's hidden window shares the message boxes' title).
HWND VisibleWindow(const std::wstring& title) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, title.c_str())) != nullptr)
        if (IsWindowVisible(window)) return window;
    return nullptr;
}

int Rect(const std::string& what, const std::wstring& title, const std::wstring& child) {
    HWND window = WaitFor(
        [&]() -> HWND {
            if (what == "toolbar") return ToolbarOnScreen();
            if (what == "menu") return VisibleMenu();
            HWND top = VisibleWindow(title);
            if (what != "child" || top == nullptr) return top;
            HWND control = FindWindowExW(top, nullptr, nullptr, child.c_str());
            return control != nullptr && IsWindowVisible(control) ? control : nullptr;
        },
        5000ms);
    if (window == nullptr) {
        std::fprintf(stderr, "probe: no visible %s\n", what.c_str());
        return 1;
    }
    PrintRect("", window);
    return 0;
}

// Prints where the status window showed (and the toolbar then), each line it took with the time since
// the watch began, and how long after its last line it closed. The window is followed by its handle from
// before the click, since the program may set a line before the window is first seen on the screen. A busy
// machine can hold this process off the processor between two looks, so the close is given as the
// shortest and longest interval the looks allow: each change happened after the look before the one that
// saw it.
int WatchStatus(std::chrono::milliseconds limit) {
    const auto begun = Clock::now();
    // The next translation's status window: the program keeps it made and hidden, or makes it at the
    // click. Before the click, one that is up belongs to the translation before.
    HWND status = FormWindow(false, Shown::No);
    // Found now, while it stands still: a look while the program restacks it can miss it.
    HWND toolbar = WaitFor([] { return FormWindow(true); }, 2000ms);
    std::printf("watching\n");  // a Wine process takes a while to start: the caller clicks after this
    std::fflush(stdout);
    wchar_t last[128] = {};
    bool shown = false;
    auto changeSeen = begun, lookBeforeChange = begun, lookBefore = begun;
    const auto end = begun + limit;
    while (Clock::now() < end) {
        const auto look = Clock::now();
        if (status == nullptr) status = FormWindow(false, Shown::Either);
        const bool exists = status != nullptr && IsWindow(status);
        const bool visible = exists && IsWindowVisible(status);
        if (shown && !visible) {
            using std::chrono::duration_cast;
            const auto shortest = duration_cast<std::chrono::milliseconds>(lookBefore - changeSeen).count();
            const auto longest = duration_cast<std::chrono::milliseconds>(look - lookBeforeChange).count();
            std::printf("closed %lld-%lld ms after \"%s\"\n", static_cast<long long>(shortest),
                        static_cast<long long>(longest), Utf8(last).c_str());
            return 0;
        }
        if (status != nullptr && !exists) {
            std::printf("status closed unseen after \"%s\"\n", Utf8(last).c_str());
            return 1;
        }
        if (visible && !shown) {
            shown = true;
            PrintRect("shown", status);
            if (toolbar != nullptr && IsWindow(toolbar)) PrintRect("toolbar", toolbar);
        }
        if (status != nullptr) {
            wchar_t now[128] = {};
            GetWindowTextW(status, now, 128);
            if (std::wcscmp(now, last) != 0) {
                changeSeen = look;
                lookBeforeChange = lookBefore;
                std::wcscpy(last, now);
                std::printf("line %lld ms \"%s\"\n", static_cast<long long>(MsSince(begun)), Utf8(now).c_str());
            }
        }
        std::fflush(stdout);
        lookBefore = look;
        std::this_thread::sleep_for(1ms);
    }
    if (!shown) {
        std::printf("status never shown\n");
        return 1;
    }
    std::printf("open \"%s\"\n", Utf8(last).c_str());
    return 0;
}

int TrayMenu() {
    HWND main = WaitFor(ProgramWindow, 5000ms);
    if (main == nullptr) {
        std::fprintf(stderr, "probe: the program is not running\n");
        return 1;
    }
    PostMessageW(main, kTrayCallbackMessage, 1, WM_RBUTTONUP);
    if (WaitFor(VisibleMenu, 3000ms) == nullptr) {
        std::fprintf(stderr, "probe: the tray menu did not open\n");
        return 1;
    }
    return 0;
}

int Gone(std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    while (ProgramWindow() != nullptr || ProgramProcess() != 0) {
        if (Clock::now() - start > limit) {
            std::printf("still running after %lld ms\n", static_cast<long long>(limit.count()));
            return 1;
        }
        std::this_thread::sleep_for(5ms);
    }
    std::printf("ended within %lld ms\n", static_cast<long long>(MsSince(start)));
    return 0;
}

// Tidies up after a run: closes the chat window and ends a Quillmar.exe that is still running.
int End(const std::wstring& chatTitle) {
    if (HWND chat = FindWindowW(nullptr, chatTitle.c_str())) PostMessageW(chat, WM_CLOSE, 0, 0);
    if (const DWORD pid = ProgramProcess()) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    return 0;
}

int Start(const std::wstring& exe) {
    const std::vector<std::uint32_t> taskbarBefore = TaskbarPixels();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + exe + L"\"";
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "probe: cannot start %s\n", Utf8(exe).c_str());
        return 1;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    long long window = -1;
    long long icon = -1;
    const auto end = start + 10s;
    while (Clock::now() < end && icon < 0) {
        if (window < 0 && ProgramWindow() != nullptr) window = MsSince(start);
        if (window >= 0 && TaskbarPixels() != taskbarBefore) icon = MsSince(start);
        std::this_thread::sleep_for(1ms);
    }
    std::printf("start to hidden window %lld ms, start to tray icon %lld ms\n", window, icon);
    return window >= 0 && icon >= 0 ? 0 : 1;
}

// Each translation starts as a user's would, with no status window up: the previous one has closed
// (700-800 ms after its success, not counted) and the toolbar has made its hidden successor. The time
// runs from the click to the first read that shows the chat's text changed, read every half millisecond.
// Every time is printed, in order, so the caller can take off the service's own time request by request.
int TranslateLoop(int count, const std::wstring& title, const std::wstring& text) {
    HWND edit = WaitFor([&] { return ChatEdit(title); }, 5000ms);
    HWND toolbar = WaitFor([] { return FormWindow(true); }, 5000ms);
    if (edit == nullptr || toolbar == nullptr) {
        std::fprintf(stderr, "probe: no chat window or no toolbar\n");
        return 1;
    }
    std::vector<double> times;
    int stuck = 0;
    for (int i = 0; i < count; ++i) {
        // Followed by its handle: a look through the top-level windows can miss one that is being
        // restacked at that moment, which would end the wait early.
        const auto closing = Clock::now();
        HWND status = FormWindow(false);
        while (status != nullptr && IsWindow(status) && IsWindowVisible(status) && Clock::now() - closing < 5s)
            std::this_thread::sleep_for(5ms);
        // A success line that is still up after 5 s is a fault of the program; it is counted and the
        // translation goes ahead with the window up.
        if (status != nullptr && IsWindow(status) && IsWindowVisible(status)) {
            wchar_t line[128] = {};
            GetWindowTextW(status, line, 128);
            ++stuck;
            std::fprintf(stderr, "probe: before translation %d the status window still showed \"%s\" after 5 s\n",
                         i + 1, Utf8(line).c_str());
        }
        std::this_thread::sleep_for(200ms);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        RECT r{};
        GetWindowRect(toolbar, &r);
        const auto clicked = Clock::now();
        ClickAt(r.left + 20, r.top + 7);
        bool written = false;
        while (Clock::now() - clicked < 10s) {
            if (TextOf(edit) != text) {
                written = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        if (!written) {
            std::fprintf(stderr, "probe: translation %d was never written back\n", i + 1);
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - clicked).count());
    }
    std::printf("each ms:");
    for (const double time : times) std::printf(" %.1f", time);
    std::printf("\n");
    std::sort(times.begin(), times.end());
    std::printf("%d translations, click to write-back: median %.1f ms, 90th %.1f ms, max %.1f ms\n", count,
                times[times.size() / 2], times[times.size() * 9 / 10], times.back());
    if (stuck > 0) std::printf("status windows that did not close within 5 s: %d\n", stuck);
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arg(args, args + count);
    const std::string command = count > 1 ? Utf8(arg[1]) : "";
    const auto number = [&](int i, int fallback) { return count > i ? _wtoi(arg[i].c_str()) : fallback; };
    if (command == "text" && count > 2) return Text(arg[2]);
    if (command == "rect" && count > 2)
        return Rect(Utf8(arg[2]), count > 3 ? arg[3] : L"", count > 4 ? arg[4] : L"");
    if (command == "watch-status") return WatchStatus(std::chrono::milliseconds(number(2, 10000)));
    if (command == "tray-menu") return TrayMenu();
    if (command == "gone") return Gone(std::chrono::milliseconds(number(2, 5000)));
    if (command == "start" && count > 2) return Start(arg[2]);
    if (command == "translate-loop" && count > 4) return TranslateLoop(number(2, 1), arg[3], arg[4]);
    if (command == "list") return List();
    if (command == "end" && count > 2) return End(arg[2]);
    std::fprintf(stderr, "usage: QuillmarProbe text|rect|watch-status|tray-menu|gone|start|translate-loop|"
                         "list|end ...\n");
    return 2;
}

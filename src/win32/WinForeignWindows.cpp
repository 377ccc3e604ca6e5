#include "win32/WinForeignWindows.h"

#include <algorithm>
#include <vector>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

constexpr int kClassNameUnits = 256;  // 255 characters and the terminator
// A foreign window may report any length; a buffer for more than this is never allocated.
constexpr std::size_t kMaxTextUnits = std::size_t{1} << 24;

// Sends a message that must not hang the caller; nullopt when the window did not answer in time.
std::optional<LRESULT> SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   unsigned timeoutMs) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs,
                            &result) == 0) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

bool IsHighSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

WindowHandle WinForeignWindows::ForegroundWindow() {
    return ToWindowHandle(GetForegroundWindow());
}

WindowHandle WinForeignWindows::FocusedWindow(WindowHandle topLevel) {
    if (topLevel == 0) return 0;
    const DWORD thread = GetWindowThreadProcessId(ToHwnd(topLevel), nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (thread == 0 || !GetGUIThreadInfo(thread, &info)) return 0;
    return ToWindowHandle(info.hwndFocus);
}

std::string WinForeignWindows::ProgramFileName(WindowHandle window) {
    DWORD processId = 0;
    if (window == 0 || GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return {};
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return {};
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    const BOOL found = QueryFullProcessImageNameW(process, 0, path.data(), &length);
    CloseHandle(process);
    if (!found) return {};
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    return WideToUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

std::optional<Rect> WinForeignWindows::WindowRect(WindowHandle window) {
    RECT rect{};
    if (window == 0 || !GetWindowRect(ToHwnd(window), &rect)) return std::nullopt;
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

bool WinForeignWindows::IsWindowVisible(WindowHandle window) {
    return window != 0 && ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

std::string WinForeignWindows::ClassName(WindowHandle window) {
    if (window == 0) return {};
    wchar_t name[kClassNameUnits] = {};
    const int length = GetClassNameW(ToHwnd(window), name, kClassNameUnits);
    if (length <= 0) return {};
    return WideToUtf8(std::wstring_view(name, static_cast<std::size_t>(length)));
}

WindowHandle WinForeignWindows::RelatedWindow(WindowHandle window, WindowRelation relation) {
    if (window == 0) return 0;
    const UINT command = relation == WindowRelation::FirstChild ? GW_CHILD : GW_HWNDNEXT;
    return ToWindowHandle(GetWindow(ToHwnd(window), command));
}

// Tracking asks the foreground window's title ten times a second, so the messages are sent without asking
// first whether the window exists (one more round trip each); only a failed one asks, to tell a window
// that is gone (no text) from one that did not answer.
std::optional<std::size_t> WinForeignWindows::SendGetTextLength(WindowHandle window) {
    if (window == 0) return 0;
    const auto length = SendBounded(ToHwnd(window), WM_GETTEXTLENGTH, 0, 0, m_timeoutMs);
    if (!length) return IsWindow(ToHwnd(window)) ? std::nullopt : std::optional<std::size_t>(0);
    if (*length <= 0) return 0;
    return std::min(static_cast<std::size_t>(*length), kMaxTextUnits - 1);
}

std::optional<std::string> WinForeignWindows::SendGetText(WindowHandle window, std::size_t bufferUnits) {
    if (window == 0 || bufferUnits == 0) return std::string();
    bufferUnits = std::min(bufferUnits, kMaxTextUnits);
    std::vector<wchar_t> buffer(bufferUnits, L'\0');
    const auto copied = SendBounded(ToHwnd(window), WM_GETTEXT, static_cast<WPARAM>(bufferUnits),
                                    reinterpret_cast<LPARAM>(buffer.data()), m_timeoutMs);
    if (!copied) return IsWindow(ToHwnd(window)) ? std::nullopt : std::optional<std::string>(std::string());
    // Never trust the count beyond the buffer: a foreign window procedure may report anything.
    std::size_t count = *copied > 0 ? static_cast<std::size_t>(*copied) : 0;
    if (count > bufferUnits - 1) count = bufferUnits - 1;
    if (count > 0 && IsHighSurrogate(buffer[count - 1])) --count;
    return WideToUtf8(std::wstring_view(buffer.data(), count));
}

bool WinForeignWindows::SendSetText(WindowHandle window, const std::string& text) {
    if (window == 0 || !IsWindow(ToHwnd(window))) return false;
    // Ask first whether the window answers at all. A text message that times out may still be
    // delivered when the program wakes up (Windows keeps it queued), which would replace the user's
    // text after the caller has already reported the write as failed; a timed-out WM_NULL is harmless.
    if (!SendBounded(ToHwnd(window), WM_NULL, 0, 0, m_timeoutMs)) return false;
    const std::wstring wide = Utf8ToWide(text);
    const auto accepted =
        SendBounded(ToHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), m_timeoutMs);
    return accepted && *accepted > 0;
}

bool WinForeignWindows::SendReplaceAll(WindowHandle window, const std::string& text) {
    if (window == 0 || !IsWindow(ToHwnd(window))) return false;
    // As for WM_SETTEXT: a window that does not answer now gets no text message that could land later.
    if (!SendBounded(ToHwnd(window), WM_NULL, 0, 0, m_timeoutMs)) return false;
    if (!SendBounded(ToHwnd(window), EM_SETSEL, 0, -1, m_timeoutMs)) return false;
    const std::wstring wide = Utf8ToWide(text);
    return SendBounded(ToHwnd(window), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()), m_timeoutMs)
        .has_value();
}

void WinForeignWindows::PlaceTopmost(WindowHandle window, int x, int y, int width, int height) {
    SetWindowPos(ToHwnd(window), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace quillmar::win32

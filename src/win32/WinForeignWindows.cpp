#include "win32/WinForeignWindows.h"

#include <dwmapi.h>

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

// Titles longer than this are cut; no title bar shows a tenth of it.
constexpr int kMaxTitleUnits = 1 << 15;
constexpr int kFirstTitleUnits = 256;

// The integrity level (the token's mandatory label RID) of a process; none when it cannot be read.
std::optional<DWORD> IntegrityLevel(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::optional<DWORD> level;
    if (size >= sizeof(TOKEN_MANDATORY_LABEL) &&
        GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
        const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
        const PUCHAR count = GetSidSubAuthorityCount(label->Label.Sid);
        if (count != nullptr && *count > 0) level = *GetSidSubAuthority(label->Label.Sid, *count - 1);
    }
    CloseHandle(token);
    return level;
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

std::optional<WindowFrame> WinForeignWindows::Frame(WindowHandle window) {
    RECT windowRect{};
    RECT visible{};
    RECT buttons{};
    if (window == 0 || !GetWindowRect(ToHwnd(window), &windowRect)) return std::nullopt;
    // Both fail without a compositor (and under Wine); the caller then keeps to the window rectangle.
    if (FAILED(DwmGetWindowAttribute(ToHwnd(window), DWMWA_EXTENDED_FRAME_BOUNDS, &visible, sizeof(visible))) ||
        FAILED(DwmGetWindowAttribute(ToHwnd(window), DWMWA_CAPTION_BUTTON_BOUNDS, &buttons, sizeof(buttons)))) {
        return std::nullopt;
    }
    if (visible.right <= visible.left || visible.bottom <= visible.top) return std::nullopt;
    // The extended frame is in screen pixels; the button bounds are relative to the window rectangle.
    WindowFrame frame;
    frame.visible = {visible.left, visible.top, visible.right, visible.bottom};
    if (buttons.right > buttons.left && buttons.bottom > buttons.top) {
        frame.captionButtons = {windowRect.left + buttons.left, windowRect.top + buttons.top,
                                windowRect.left + buttons.right, windowRect.top + buttons.bottom};
    }
    return frame;
}

std::optional<Rect> WinForeignWindows::WorkArea(WindowHandle window) {
    if (window == 0) return std::nullopt;
    const HMONITOR monitor = MonitorFromWindow(ToHwnd(window), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return std::nullopt;
    return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

// GetWindowTextW sends no message for another program's window: it copies the title the system keeps,
// so a busy chat program cannot hold up the toolbar's twice-a-second look at it.
std::string WinForeignWindows::WindowTitle(WindowHandle window) {
    if (window == 0) return {};
    std::vector<wchar_t> buffer;
    for (int units = kFirstTitleUnits;; units *= 2) {
        buffer.assign(static_cast<std::size_t>(units), L'\0');
        const int copied = GetWindowTextW(ToHwnd(window), buffer.data(), units);
        // A title that left room for more than a split surrogate pair was not cut.
        if (copied + 2 < units || units >= kMaxTitleUnits) {
            std::size_t count = copied > 0 ? static_cast<std::size_t>(copied) : 0;
            if (count > 0 && count + 2 >= static_cast<std::size_t>(units) && IsHighSurrogate(buffer[count - 1]))
                --count;
            return WideToUtf8(std::wstring_view(buffer.data(), count));
        }
    }
}

bool WinForeignWindows::RunsAboveUs(WindowHandle window) {
    DWORD processId = 0;
    if (window == 0 || GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return false;
    if (processId == GetCurrentProcessId()) return false;
    const std::optional<DWORD> own = IntegrityLevel(GetCurrentProcess());
    // Without a level of our own (a system without integrity levels) nothing can be compared or refused.
    if (!own) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return true;  // protected or elevated beyond what we may even ask
    const std::optional<DWORD> theirs = IntegrityLevel(process);
    CloseHandle(process);
    return !theirs || *theirs > *own;
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

// quillmar-cli on Windows: a console program on the Win32 connection and timers and the message loop.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <algorithm>
#include <string>
#include <vector>

#include "tools/cli/CliApp.h"
#include "win32/WinConnection.h"
#include "win32/WinEventLoop.h"
#include "win32/WinText.h"
#include "win32/WinTimers.h"

namespace {

using quillmar::win32::Utf8ToWide;
using quillmar::win32::WideToUtf8;

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// A console takes UTF-16 whatever its code page; a file or pipe takes the UTF-8 bytes as they are.
bool Write(DWORD which, std::string_view text) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    if (IsConsole(handle)) {
        const std::wstring wide = Utf8ToWide(text);
        std::wstring_view rest = wide;
        while (!rest.empty()) {
            DWORD written = 0;
            const DWORD count = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
            if (WriteConsoleW(handle, rest.data(), count, &written, nullptr) == 0 || written == 0)
                return false;
            rest.remove_prefix(written);
        }
        return true;
    }
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1 << 20));
        if (WriteFile(handle, text.data(), count, &written, nullptr) == 0 || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

class WinCliPlatform final : public quillmar::cli::CliPlatform {
public:
    quillmar::Connection& GetConnection() override { return m_connection; }
    quillmar::TimerFactory& GetTimers() override { return m_timers; }

    std::string ReadInput() override {
        const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};
        if (IsConsole(handle)) {  // typed text, up to Ctrl+Z: read wide to keep every character
            std::wstring wide;
            wchar_t buffer[4096];
            DWORD read = 0;
            while (ReadConsoleW(handle, buffer, 4096, &read, nullptr) != 0 && read > 0) {
                wide.append(buffer, read);
                if (const auto eof = wide.find(L'\x1a'); eof != std::wstring::npos) {
                    wide.resize(eof);
                    break;
                }
            }
            return WideToUtf8(wide);
        }
        std::string bytes;
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) != 0 && read > 0)
            bytes.append(buffer, read);
        return bytes;
    }
    bool WriteOut(std::string_view text) override { return Write(STD_OUTPUT_HANDLE, text); }
    void WriteErr(std::string_view text) override { Write(STD_ERROR_HANDLE, text); }
    void RunUntil(const std::function<bool()>& done) override { quillmar::win32::RunMessageLoopUntil(done); }

private:
    quillmar::win32::WinConnection m_connection;
    quillmar::win32::WinTimers m_timers;
};

}  // namespace

int main() {
    // The wide command line: the ANSI argv would lose what the code page cannot hold.
    int argc = 0;
    LPWSTR* wideArgv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(WideToUtf8(wideArgv[i]));
    LocalFree(wideArgv);
    WinCliPlatform platform;
    return quillmar::cli::RunCli(args, platform);
}

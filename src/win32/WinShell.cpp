#include "win32/WinShell.h"

#include <windows.h>
#include <shellapi.h>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

SystemResult LastError() {
    const DWORD code = GetLastError();
    return SystemResult::Failure(static_cast<long>(code), SystemErrorText(static_cast<int>(code)));
}

}  // namespace

SystemResult WinShell::OpenAddress(const std::string& address) {
    if (address.empty()) return SystemResult::Failure(ERROR_INVALID_PARAMETER, "No address to open.");
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Utf8ToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // Values up to 32 are errors, mostly the old error codes themselves.
    if (result <= 32) {
        const long code = result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : static_cast<long>(result);
        return SystemResult::Failure(code, SystemErrorText(static_cast<int>(code)));
    }
    return SystemResult::Success();
}

SystemResult WinShell::StartProgram(const std::string& path) {
    if (path.empty()) return SystemResult::Failure(ERROR_FILE_NOT_FOUND, SystemErrorText(ERROR_FILE_NOT_FOUND));
    const std::wstring program = Utf8ToWide(path);
    // The program is named on its own, so a path with blanks is never split; its command line is the
    // quoted path, as programs expect in argv[0].
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return LastError();
    }
    // The started program may take the foreground even though this one holds it now.
    AllowSetForegroundWindow(process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return SystemResult::Success();
}

}  // namespace quillmar::win32

#include "win32/WinChildProcesses.h"

#include <memory>
#include <thread>
#include <utility>

#include "win32/WinText.h"

namespace quillmar::win32 {

namespace {

constexpr UINT kLineMessage = WM_APP + 1;  // wParam: the child's id; lParam: a std::string* to take
constexpr UINT kExitMessage = WM_APP + 2;  // wParam: the child's id; lParam: its exit code

void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each is doubled, and the quote escaped.
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

void PostLine(HWND window, ChildId id, std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto posted = std::make_unique<std::string>(std::move(line));
    if (PostMessageW(window, kLineMessage, id, reinterpret_cast<LPARAM>(posted.get())) != FALSE) posted.release();
}

// The reader thread: every line until the pipe breaks, then the exit code. It owns both handles.
void ReadChild(HWND window, ChildId id, HANDLE pipe, HANDLE process) {
    std::string pending;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) != FALSE && read > 0) {
        pending.append(buffer, read);
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            PostLine(window, id, pending.substr(0, end));
            pending.erase(0, end + 1);
        }
        // A line without an end that keeps growing is cut, not kept without limit.
        if (pending.size() > 64 * 1024) PostLine(window, id, std::exchange(pending, {}));
    }
    if (!pending.empty()) PostLine(window, id, std::move(pending));
    CloseHandle(pipe);
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    PostMessageW(window, kExitMessage, id, static_cast<LPARAM>(code));
}

std::string WhyNotStarted(const std::string& path, DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return path + " is missing";
    return SystemErrorText(static_cast<int>(error));
}

}  // namespace

std::wstring CommandLineOf(const std::wstring& path, const std::vector<std::string>& arguments) {
    std::wstring line;
    AppendQuoted(line, path);
    for (const std::string& argument : arguments) {
        line += L' ';
        AppendQuoted(line, Utf8ToWide(argument));
    }
    return line;
}

WinChildProcesses::WinChildProcesses() = default;

WinChildProcesses::~WinChildProcesses() {
    for (auto& [id, child] : m_children) CloseHandle(child.job);  // the last handle: the job ends them
}

ChildStart WinChildProcesses::Start(const std::string& path, const std::vector<std::string>& arguments,
                                    ChildEvents events) {
    const std::wstring widePath = Utf8ToWide(path);
    if (GetFileAttributesW(widePath.c_str()) == INVALID_FILE_ATTRIBUTES) return {0, path + " is missing"};

    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return {0, SystemErrorText(static_cast<int>(GetLastError()))};
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) == FALSE) {
        const DWORD error = GetLastError();
        CloseHandle(job);
        return {0, SystemErrorText(static_cast<int>(error))};
    }

    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, nullptr);
    if (CreatePipe(&readEnd, &writeEnd, &inheritable, 0) == FALSE) {
        const DWORD error = GetLastError();
        if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
        CloseHandle(job);
        return {0, SystemErrorText(static_cast<int>(error))};
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);  // the child gets the write end only

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = writeEnd;
    std::wstring commandLine = CommandLineOf(widePath, arguments);
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so nothing it starts can escape the job.
    const BOOL created = CreateProcessW(widePath.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    const DWORD createError = GetLastError();
    CloseHandle(writeEnd);  // the child's copy is the only one left: its end breaks the pipe
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (created == FALSE) {
        CloseHandle(readEnd);
        CloseHandle(job);
        return {0, WhyNotStarted(path, createError)};
    }
    if (AssignProcessToJobObject(job, process.hProcess) == FALSE) {
        const DWORD error = GetLastError();
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        CloseHandle(readEnd);
        CloseHandle(job);
        return {0, SystemErrorText(static_cast<int>(error))};
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    const ChildId id = ++m_last;
    try {
        std::thread(ReadChild, m_window.Hwnd(), id, readEnd, process.hProcess).detach();
    } catch (...) {  // no thread to be had: the child could never be heard, so it does not run
        CloseHandle(job);
        CloseHandle(readEnd);
        CloseHandle(process.hProcess);
        return {0, "no thread could be started to read its messages"};
    }
    m_children[id] = Child{job, std::move(events)};
    return {id, ""};
}

void WinChildProcesses::End(ChildId id) {
    auto found = m_children.find(id);
    if (found == m_children.end()) return;
    TerminateJobObject(found->second.job, 1);
    CloseHandle(found->second.job);
    m_children.erase(found);  // its reader thread's last messages find no child and are dropped
}

bool WinChildProcesses::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kLineMessage) {
        const std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(lParam));
        auto found = m_children.find(static_cast<ChildId>(wParam));
        if (found != m_children.end() && found->second.events.errorLine) {
            const auto onLine = found->second.events.errorLine;  // the handler may end the child
            onLine(*line);
        }
        return true;
    }
    if (message == kExitMessage) {
        auto found = m_children.find(static_cast<ChildId>(wParam));
        if (found == m_children.end()) return true;
        const ChildEvents events = std::move(found->second.events);
        CloseHandle(found->second.job);
        m_children.erase(found);
        if (events.exited) events.exited(static_cast<int>(lParam));
        return true;
    }
    return false;
}

}  // namespace quillmar::win32

#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace quillmar::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The program, started as the user starts it; ended by the test if it is still running at the end.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& exePath) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + exePath + "\"";
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
inline HWND MainWindowOf(const RunningProgram& program, std::chrono::milliseconds limit) {
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

// The program's toolbar window (class "QuillmarFormWindow", title "Quillmar toolbar"), when it has one.
inline HWND ToolbarOf(const RunningProgram& program) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"QuillmarFormWindow", L"Quillmar toolbar")) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == program.Id()) return window;
    }
    return nullptr;
}

// A pop-up menu on the screen, once one is there. Other programs keep hidden menu windows of their own,
// so every menu window is looked at, not just the first.
inline HWND OpenMenu(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    for (;;) {
        HWND menu = nullptr;
        while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
            if (IsWindowVisible(menu)) return menu;
        }
        if (Clock::now() >= end) return nullptr;
        std::this_thread::sleep_for(20ms);
    }
}

}  // namespace quillmar::testing

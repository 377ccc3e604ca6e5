#pragma once

#include <windows.h>

#include <string>

#include "win32/WinText.h"

namespace quillmar::win32 {

// Answers the next message box of this thread as soon as it is up, found through a thread-local CBT
// hook, and keeps its title and text: boxes of other programs on the same desktop are never touched.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int command) : m_command(command) {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxAnswerer() {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    int found = 0;  // boxes seen
    std::string title;
    std::string text;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        MessageBoxAnswerer* self = s_current;
        if (code == HCBT_ACTIVATE && self != nullptr) {
            self->m_box = reinterpret_cast<HWND>(wParam);
            // The label is filled in after activation: read and answer from the box's own modal loop.
            self->m_timer = SetTimer(nullptr, 0, 10, &Answer);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static void CALLBACK Answer(HWND /*hwnd*/, UINT /*message*/, UINT_PTR /*id*/, DWORD /*time*/) {
        MessageBoxAnswerer* self = s_current;
        if (self == nullptr || self->m_box == nullptr) return;
        KillTimer(nullptr, self->m_timer);
        wchar_t buffer[256] = {};
        GetWindowTextW(self->m_box, buffer, 256);
        self->title = WideToUtf8(buffer);
        buffer[0] = L'\0';
        GetDlgItemTextW(self->m_box, 0xFFFF, buffer, 256);  // the box's message label
        self->text = WideToUtf8(buffer);
        ++self->found;
        PostMessageW(self->m_box, WM_COMMAND, MAKEWPARAM(self->m_command, BN_CLICKED), 0);
        self->m_box = nullptr;
    }

    static inline MessageBoxAnswerer* s_current = nullptr;
    int m_command;
    HHOOK m_hook = nullptr;
    HWND m_box = nullptr;
    UINT_PTR m_timer = 0;
};

}  // namespace quillmar::win32

#pragma once

#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <thread>

#include "win32/WinEventLoop.h"

namespace quillmar::testing {

// What the screen shows at a point, read back from the desktop.
inline COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Moves the pointer through the input queue and waits until it is there (a bare SetCursorPos can be
// overtaken under Wine by the pointer position the X server reports).
inline void MoveMouseTo(int x, int y) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &move, sizeof(INPUT));
        SetCursorPos(x, y);
        const bool there = win32::RunMessageLoopUntil(
            [&] {
                POINT at{};
                GetCursorPos(&at);
                return at.x == x && at.y == y;
            },
            std::chrono::milliseconds(50));
        if (there) return;
    }
}

// A real left click at a screen point. The press and release carry the point themselves: a bare
// press goes wherever the X server last put the pointer, which under load can still be where an
// earlier test left it (on "TRANSLATE", say).
inline void ClickAt(int x, int y) {
    MoveMouseTo(x, y);
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// One key pressed and released, then a moment for whoever reads it.
inline void PressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// For a pop-up menu's own loop, which runs inside the click that opened it: from another thread, waits
// until a menu (class #32768) is up, then presses the keys one by one. Any menu window counts, as the
// first one listed can be a hidden one of another program.
inline void PressKeysInMenu(std::initializer_list<WORD> keys) {
    using namespace std::chrono_literals;
    auto menuShown = [] {
        for (HWND menu = FindWindowW(L"#32768", nullptr); menu != nullptr;
             menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
            if (IsWindowVisible(menu)) return true;
        }
        return false;
    };
    for (int i = 0; i < 100 && !menuShown(); ++i) std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(200ms);
    for (WORD key : keys) {
        PressKey(key);
        std::this_thread::sleep_for(50ms);
    }
}

}  // namespace quillmar::testing

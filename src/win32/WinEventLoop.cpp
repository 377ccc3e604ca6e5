#include "win32/WinEventLoop.h"

#include "win32/WinDialogWindow.h"

#include <windows.h>

namespace quillmar::win32 {

bool RunMessageLoopUntil(const std::function<bool()>& done, std::optional<std::chrono::milliseconds> limit) {
    using Clock = std::chrono::steady_clock;
    const auto end = limit ? Clock::now() + *limit : Clock::time_point::max();
    while (!done()) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (DispatchToDialog(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        DWORD wait = INFINITE;
        if (limit) {
            const auto now = Clock::now();
            if (now >= end) break;
            wait = static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count());
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return done();
}

}  // namespace quillmar::win32

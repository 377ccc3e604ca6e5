#include <windows.h>

#include "win32/WinDialogWindow.h"
#include "win32/WinPictures.h"
#include "win32/WinProgram.h"
#include "translate/SockModule.h"

// Starts the program in the notification area; it runs until ExitProgram ends the process. A second
// start while one runs in this session ends at once and leaves the running one alone.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HANDLE instance = CreateMutexW(nullptr, FALSE, L"Local\\QuillmarSingleInstance");
    if (instance == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    quillmar::win32::EnsureGdiplus();
    quillmar::win32::WinProgram program(quillmar::ServiceHost());
    program.Start();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (quillmar::win32::DispatchToDialog(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

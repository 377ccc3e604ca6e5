#include <windows.h>

#include "translate/SockModule.h"
#include "win32/WinPictures.h"
#include "win32/WinProgram.h"

// The toolbar follows the chat window in front and translates on a click; the program runs until its
// message loop ends.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    quillmar::win32::EnsureGdiplus();
    quillmar::win32::WinProgram program(quillmar::ServiceHost());
    program.Start();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

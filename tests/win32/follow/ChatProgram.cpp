// A stand-alone chat-like window for trying the program by hand: ChatProgram.exe [title] [text].
#include <windows.h>

#include <shellapi.h>  // after windows.h

#include "TestChatWindow.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring title = count > 1 ? args[1] : L"john - Send Message";
    const std::wstring text = count > 2 ? args[2] : L"good morning";
    quillmar::testing::TestChatWindow chat(title, text, 150, 120, 560, 220);
    chat.BringToFront();
    MSG message;
    while (IsWindow(chat.Handle()) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

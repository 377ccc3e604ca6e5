// A stand-in chat program for the foreign-windows tests: a top-level window titled like a chat message
// window, a non-edit pane holding an Edit, a RichEdit, and a hidden window that refuses WM_SETTEXT.
// It writes its window handles as one line to its standard output, runs until WM_CLOSE, and makes its
// UI thread sleep for wParam milliseconds on kHangMessage so the tests can meet a hung program.
#include <windows.h>

#include <cstdio>

#include "TestChatWindows.h"

namespace {

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == quillmar::test::kHangMessage) {
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK RefuserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) return FALSE;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(const wchar_t* className, WNDPROC procedure, HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace quillmar::test;
    if (!Register(kTopClass, TopProc, instance) || !Register(kPaneClass, DefWindowProcW, instance) ||
        !Register(kRefuserClass, RefuserProc, instance) || LoadLibraryW(L"riched20.dll") == nullptr) {
        return 2;
    }
    HWND top = CreateWindowExW(0, kTopClass, kTopTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, kTopLeft, kTopTop,
                               kTopWidth, kTopHeight, nullptr, nullptr, instance, nullptr);
    HWND pane = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE, 10, 10, 280, 200, top, nullptr,
                                instance, nullptr);
    HWND edit =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                        5, 5, 260, 180, pane, nullptr, instance, nullptr);
    HWND rich = CreateWindowExW(0, kRichClass, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 300, 10, 280, 200,
                                top, nullptr, instance, nullptr);
    HWND refuser = CreateWindowExW(0, kRefuserClass, kRefuserText, WS_CHILD, 0, 220, 100, 20, top, nullptr,
                                   instance, nullptr);
    if (!top || !pane || !edit || !rich || !refuser) return 3;

    char line[256];
    const int length = std::snprintf(line, sizeof line, "%llx %llx %llx %llx %llx\n",
                                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)),
                                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(pane)),
                                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(edit)),
                                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(rich)),
                                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(refuser)));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

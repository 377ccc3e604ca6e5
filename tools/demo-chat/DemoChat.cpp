// A small chat program to show Quillmar with: DemoChat.exe [title] [x y].
// A history pane above, the message being typed below it, and a Send button that moves the message into
// the history. The history is a list box, not an edit control, so the text Quillmar captures is always
// the message being typed.
#include <windows.h>

#include <shellapi.h>  // after windows.h

#include <string>

namespace {

constexpr int kHistoryId = 101;
constexpr int kTypedId = 102;
constexpr int kSendId = 103;

HWND g_history = nullptr;
HWND g_typed = nullptr;
HWND g_send = nullptr;

void Send() {
    const int length = GetWindowTextLengthW(g_typed);
    if (length == 0) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(g_typed, text.data(), length + 1)));
    const std::wstring line = L"me: " + text;
    const LRESULT row = SendMessageW(g_history, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(g_history, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    SetWindowTextW(g_typed, L"");
    SetFocus(g_typed);
}

void Layout(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int width = client.right - 10;
    const int typedTop = client.bottom - 65;
    MoveWindow(g_history, 5, 5, width, typedTop - 10, TRUE);
    MoveWindow(g_typed, 5, typedTop, width - 80, 60, TRUE);
    MoveWindow(g_send, client.right - 80, typedTop, 75, 60, TRUE);
}

LRESULT CALLBACK ChatProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        g_history = CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, hwnd,
                                    reinterpret_cast<HMENU>(kHistoryId), instance, nullptr);
        g_typed = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 0, 0,
                                  hwnd, reinterpret_cast<HMENU>(kTypedId), instance, nullptr);
        g_send = CreateWindowExW(0, L"Button", L"&Send", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                                 0, 0, 0, hwnd, reinterpret_cast<HMENU>(kSendId), instance, nullptr);
        const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
        for (HWND child : {g_history, g_typed, g_send}) SendMessageW(child, WM_SETFONT, font, TRUE);
        return 0;
    }
    case WM_SIZE:
        Layout(hwnd);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_typed);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSendId) Send();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring title = count > 1 ? args[1] : L"Alice - Send Message";
    const int x = count > 3 ? _wtoi(args[2]) : 150;
    const int y = count > 3 ? _wtoi(args[3]) : 120;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ChatProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"QuillmarDemoChat";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 560,
                                300, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(hwnd);
    SetFocus(g_typed);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Enter sends, as in chat programs; Ctrl+Enter starts a new line.
        if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd == g_typed &&
            (GetKeyState(VK_CONTROL) & 0x8000) == 0) {
            Send();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

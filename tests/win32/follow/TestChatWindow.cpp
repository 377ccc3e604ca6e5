#include "TestChatWindow.h"

#include <richedit.h>

namespace quillmar::testing {

namespace {

LRESULT CALLBACK ChatProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* ChatClass() {
    static const wchar_t* name = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ChatProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = L"QuillmarTestChat";
        RegisterClassExW(&wc);
        return L"QuillmarTestChat";
    }();
    return name;
}

}  // namespace

TestChatWindow::TestChatWindow(const std::wstring& title, const std::wstring& text, int x, int y, int width,
                               int height) {
    LoadLibraryW(L"riched20.dll");
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_hwnd = CreateWindowExW(0, ChatClass(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                             height, nullptr, nullptr, instance, nullptr);
    m_history = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 5, 5,
                                width - 30, 60, m_hwnd, nullptr, instance, nullptr);
    m_panel = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 5, 70, width - 30, 60, m_hwnd,
                              nullptr, instance, nullptr);
    m_typed =
        CreateWindowExW(0, RICHEDIT_CLASSW, text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 0,
                        0, width - 30, 50, m_panel, nullptr, instance, nullptr);
    if (m_typed == nullptr) {  // no RichEdit here: a plain Edit holds the message instead
        m_typed = CreateWindowExW(0, L"Edit", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE,
                                  0, 0, width - 30, 50, m_panel, nullptr, instance, nullptr);
    }
}

TestChatWindow::~TestChatWindow() {
    DestroyWindow(m_hwnd);
}

std::wstring TestChatWindow::TypedText() const {
    const int length = GetWindowTextLengthW(m_typed);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(m_typed, text.data(), length + 1)));
    return text;
}

void TestChatWindow::SetTypedText(const std::wstring& text) {
    SetWindowTextW(m_typed, text.c_str());
}

void TestChatWindow::BringToFront() {
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
}

}  // namespace quillmar::testing

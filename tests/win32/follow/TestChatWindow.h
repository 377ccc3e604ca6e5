#pragma once

#include <windows.h>

#include <string>

namespace quillmar::testing {

// A chat-like top-level window: a title, a panel holding a RichEdit (the message being typed) and,
// beside it, an Edit holding nothing (the history the capture must skip when it is empty).
class TestChatWindow {
public:
    TestChatWindow(const std::wstring& title, const std::wstring& text, int x, int y, int width, int height);
    ~TestChatWindow();
    TestChatWindow(const TestChatWindow&) = delete;
    TestChatWindow& operator=(const TestChatWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    HWND Typed() const { return m_typed; }
    std::wstring TypedText() const;
    void SetTypedText(const std::wstring& text);
    void BringToFront();

private:
    HWND m_hwnd = nullptr;
    HWND m_panel = nullptr;
    HWND m_history = nullptr;
    HWND m_typed = nullptr;
};

}  // namespace quillmar::testing

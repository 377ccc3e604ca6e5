#pragma once

#include <windows.h>

// What the stand-in chat program and the tests that drive it agree on.
namespace quillmar::test {

inline constexpr const wchar_t* kTopClass = L"QuillmarTestChat";
// A class name outside ASCII: class names must come back as UTF-8 unharmed.
inline constexpr const wchar_t* kPaneClass = L"QuillmarPane\u041F\u0430\u043D\u0435\u043B\u044C";
inline constexpr const char* kPaneClassUtf8 = "QuillmarPane\xD0\x9F\xD0\xB0\xD0\xBD\xD0\xB5\xD0\xBB\xD1\x8C";
inline constexpr const wchar_t* kRichClass = L"RichEdit20W";
inline constexpr const wchar_t* kRefuserClass = L"QuillmarTestRefuser";
inline constexpr const wchar_t* kTopTitle = L"john - Send Message";
inline constexpr const wchar_t* kRefuserText = L"keep";

inline constexpr int kTopLeft = 100;
inline constexpr int kTopTop = 50;
inline constexpr int kTopWidth = 600;
inline constexpr int kTopHeight = 300;

// Posted to the top window: its UI thread sleeps for wParam milliseconds.
inline constexpr UINT kHangMessage = WM_APP + 1;

}  // namespace quillmar::test

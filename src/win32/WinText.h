#pragma once

#include <string>
#include <string_view>

namespace quillmar::win32 {

// Text is UTF-8 inside the program and UTF-16 at every Win32 call. Invalid input (broken UTF-8,
// lone surrogates) becomes U+FFFD rather than failing, so a conversion never loses the rest of a text.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's description of a Windows or Winsock error code, UTF-8, without the trailing line break.
std::string SystemErrorText(int code);

}  // namespace quillmar::win32

#include "win32/WinProfileFiles.h"

#include <windows.h>

#include <climits>

#include "win32/WinText.h"

namespace quillmar::win32 {

bool IsFullWindowsPath(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
        path[1] == ':' && separator(path[2])) {
        return true;
    }
    return path.size() >= 3 && separator(path[0]) && separator(path[1]);
}

std::string WinProfileFiles::ReadString(const std::string& path, const std::string& section,
                                        const std::string& key, const std::string& fallback,
                                        std::size_t bufferChars) {
    if (bufferChars == 0) return "";
    const DWORD size = bufferChars > INT_MAX ? INT_MAX : static_cast<DWORD>(bufferChars);
    if (!IsFullWindowsPath(path)) {
        // What Windows gives for a missing file: the fallback without trailing blanks, cut.
        std::wstring text = Utf8ToWide(fallback);
        while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
        if (text.size() > size - 1) text.resize(size - 1);
        return WideToUtf8(text);
    }
    const std::wstring widePath = Utf8ToWide(path);
    std::wstring buffer(size, L'\0');
    const DWORD copied =
        GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                 Utf8ToWide(fallback).c_str(), buffer.data(), size, widePath.c_str());
    return WideToUtf8(std::wstring_view(buffer.data(), copied < size ? copied : size - 1));
}

SystemResult WinProfileFiles::WriteString(const std::string& path, const std::string& section,
                                          const std::string& key, const std::optional<std::string>& value) {
    const auto breaks = [](const std::string& text) {
        return text.find_first_of("\r\n") != std::string::npos;
    };
    // A key written as "[name=value" would be read back as a section line.
    const std::size_t keyStart = key.find_first_not_of(" \t\v\f\x1a");
    const bool opensSection = keyStart != std::string::npos && key[keyStart] == '[';
    if (breaks(section) || breaks(key) || key.find('=') != std::string::npos || opensSection ||
        (value && breaks(*value))) {
        return SystemResult::Failure(
            ERROR_INVALID_PARAMETER,
            "A profile entry cannot hold a line break, nor a key an \"=\" or a \"[\" at its start.");
    }
    if (!IsFullWindowsPath(path))
        return SystemResult::Failure(ERROR_INVALID_NAME, "Not a full path: " + path);
    const std::wstring wideValue = value ? Utf8ToWide(*value) : std::wstring();
    if (!WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                    value ? wideValue.c_str() : nullptr, Utf8ToWide(path).c_str())) {
        const DWORD code = GetLastError();
        return SystemResult::Failure(static_cast<long>(code), SystemErrorText(static_cast<int>(code)));
    }
    return SystemResult::Success();
}

}  // namespace quillmar::win32

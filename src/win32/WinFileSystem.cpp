#include "win32/WinFileSystem.h"

#include <windows.h>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

SystemResult LastErrorResult() {
    const DWORD code = GetLastError();
    return SystemResult::Failure(static_cast<long>(code), SystemErrorText(static_cast<int>(code)));
}

}  // namespace

std::vector<DirectoryEntry> WinFileSystem::ListDirectory(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    if (folder.empty()) return entries;
    std::wstring pattern = Utf8ToWide(folder);
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({WideToUtf8(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

bool WinFileSystem::FileExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

SystemResult WinFileSystem::Copy(const std::string& from, const std::string& to) {
    if (!CopyFileW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), FALSE)) return LastErrorResult();
    return SystemResult::Success();
}

SystemResult WinFileSystem::Remove(const std::string& path) {
    if (!DeleteFileW(Utf8ToWide(path).c_str())) return LastErrorResult();
    return SystemResult::Success();
}

}  // namespace quillmar::win32

#include "win32/WinProgramInfo.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

std::wstring OwnProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::string StringValue(std::vector<BYTE>& block, const wchar_t* language, const wchar_t* name) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\") + language + L"\\" + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &text, &length) || text == nullptr || length == 0) return "";
    // The length counts characters and, from some writers, the terminating null.
    const auto* chars = static_cast<const wchar_t*>(text);
    return WideToUtf8(std::wstring_view(chars, wcsnlen(chars, length)));
}

}  // namespace

WinProgramInfo::WinProgramInfo(std::string programFile) : m_file(std::move(programFile)) {}

ProgramVersion WinProgramInfo::Version() {
    ProgramVersion version;
    const std::wstring file = m_file.empty() ? OwnProgramFile() : Utf8ToWide(m_file);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return version;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return version;

    void* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueW(block.data(), L"\\", &fixed, &fixedSize) && fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        version.major = HIWORD(info->dwFileVersionMS);
        version.minor = LOWORD(info->dwFileVersionMS);
        version.revision = LOWORD(info->dwFileVersionLS);
    }

    // The texts are in the first language the record lists; US English in Unicode when it lists none.
    wchar_t language[9] = L"040904B0";
    void* translations = nullptr;
    UINT translationsSize = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translations, &translationsSize) &&
        translationsSize >= 2 * sizeof(WORD)) {
        const auto* pair = static_cast<const WORD*>(translations);
        swprintf(language, 9, L"%04X%04X", pair[0], pair[1]);
    }
    version.description = StringValue(block, language, L"FileDescription");
    version.copyright = StringValue(block, language, L"LegalCopyright");
    return version;
}

}  // namespace quillmar::win32

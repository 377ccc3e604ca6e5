#include "win32/WinRegistry.h"

#include <windows.h>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

SystemResult Failed(LONG code) {
    return SystemResult::Failure(code, SystemErrorText(static_cast<int>(code)));
}

}  // namespace

std::optional<RegistryKey> WinRegistry::OpenKey(RegistryRoot root, const std::string& path,
                                                std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(RootKey(root), Utf8ToWide(path).c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return reinterpret_cast<RegistryKey>(key);
}

std::optional<RegistryKey> WinRegistry::CreateKey(RegistryRoot root, const std::string& path,
                                                  SystemResult* why) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyExW(RootKey(root), Utf8ToWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        if (why != nullptr) *why = Failed(rc);
        return std::nullopt;
    }
    if (why != nullptr) *why = SystemResult::Success();
    return reinterpret_cast<RegistryKey>(key);
}

std::optional<RegistryValue> WinRegistry::QueryValue(RegistryKey key, const std::string& name,
                                                     std::size_t bufferSize) {
    const std::wstring wideName = Utf8ToWide(name);
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    // The size is asked first; a value that grows between the two calls is asked for again.
    for (int attempt = 0;; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        data.assign(size, 0);
        const LONG rc = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &type,
                                         data.empty() ? nullptr : data.data(), &size);
        if (rc == ERROR_MORE_DATA && attempt < 3) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        data.resize(size);
        break;
    }
    RegistryValue value;
    value.type = static_cast<RegistryType>(type);
    if (IsText(type)) {
        const std::string text = WideToUtf8(
            std::wstring_view(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)));
        value.bytes.assign(text.begin(), text.end());
    } else {
        value.bytes.assign(data.begin(), data.end());
    }
    if (value.bytes.size() > bufferSize) return std::nullopt;
    return value;
}

SystemResult WinRegistry::SetStringValue(RegistryKey key, const std::string& name, const std::string& data) {
    const std::wstring wide = Utf8ToWide(data);
    const LONG rc = RegSetValueExW(ToHkey(key), Utf8ToWide(name).c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(wide.c_str()),
                                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    return rc == ERROR_SUCCESS ? SystemResult::Success() : Failed(rc);
}

void WinRegistry::CloseKey(RegistryKey key) {
    if (key != 0) RegCloseKey(ToHkey(key));
}

}  // namespace quillmar::win32

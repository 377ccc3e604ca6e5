#include "win32/WinSecretProtector.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <string_view>
#include <vector>

namespace quillmar::win32 {

namespace {

constexpr std::string_view kPrefix = "dpapi:";
constexpr char kEntropy[] = "Quillmar engine key";

DATA_BLOB Entropy() {
    return DATA_BLOB{static_cast<DWORD>(sizeof kEntropy - 1),
                     reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
}

// Frees a blob DPAPI allocated, wiping it first when it held the clear key.
struct LocalBlob {
    DATA_BLOB blob{};
    bool secret = false;
    ~LocalBlob() {
        if (!blob.pbData) return;
        if (secret) SecureZeroMemory(blob.pbData, blob.cbData);
        LocalFree(blob.pbData);
    }
};

std::optional<std::string> Base64(const BYTE* data, DWORD size) {
    constexpr DWORD kFlags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD length = 0;
    if (!CryptBinaryToStringA(data, size, kFlags, nullptr, &length)) return std::nullopt;
    std::string text(length, '\0');
    if (!CryptBinaryToStringA(data, size, kFlags, text.data(), &length)) return std::nullopt;
    text.resize(length);  // without the terminating zero
    return text;
}

std::optional<std::vector<BYTE>> FromBase64(std::string_view text) {
    if (text.empty() ||
        text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") !=
            std::string_view::npos)
        return std::nullopt;
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, nullptr,
                              &size, nullptr, nullptr))
        return std::nullopt;
    std::vector<BYTE> bytes(size);
    if (!CryptStringToBinaryA(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, bytes.data(),
                              &size, nullptr, nullptr))
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

}  // namespace

std::optional<std::string> WinSecretProtector::Protect(const std::string& clear) {
    // DPAPI wants somewhere to read from even for an empty key.
    char none = 0;
    DATA_BLOB in{static_cast<DWORD>(clear.size()),
                 reinterpret_cast<BYTE*>(clear.empty() ? &none : const_cast<char*>(clear.data()))};
    DATA_BLOB entropy = Entropy();
    LocalBlob out;
    if (!CryptProtectData(&in, L"Quillmar", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return std::nullopt;
    std::optional<std::string> text = Base64(out.blob.pbData, out.blob.cbData);
    if (!text) return std::nullopt;
    return std::string(kPrefix) + *text;
}

std::optional<std::string> WinSecretProtector::Unprotect(const std::string& stored) {
    if (stored.rfind(kPrefix, 0) != 0) return std::nullopt;
    std::optional<std::vector<BYTE>> sealed = FromBase64(std::string_view(stored).substr(kPrefix.size()));
    if (!sealed) return std::nullopt;
    DATA_BLOB in{static_cast<DWORD>(sealed->size()), sealed->data()};
    DATA_BLOB entropy = Entropy();
    LocalBlob out;
    out.secret = true;
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(out.blob.pbData), out.blob.cbData);
}

}  // namespace quillmar::win32

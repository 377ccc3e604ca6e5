#pragma once

// Files, resources and a drawing surface for the picture tests.
#include <gtest/gtest.h>
#include <windows.h>

// gdiplus.h needs IStream, which WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>
// clang-format off: the order matters
#include <gdiplus.h>
// clang-format on

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "win32/WinPictures.h"
#include "win32/WinText.h"

namespace quillmar::win32 {

using Pixel = std::uint32_t;  // 0x00RRGGBB

constexpr Pixel kBackground = 0xFF00FF;
// Colours the picture script uses: the frame, the menu arrow, the menu button's face near the top.
constexpr Pixel kFrame = 0x6B7D92;
constexpr Pixel kArrow = 0x2B3A4C;
constexpr Pixel kMenuFaceAt3x3 = 0xF2F4F7;

// A folder of its own for the files of one test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"quillmar-pictures-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    std::wstring File(const std::wstring& name) {
        m_files.push_back(m_path + name);
        return m_files.back();
    }
    std::string Utf8() const { return WideToUtf8(m_path); }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

inline bool WriteBytes(const std::wstring& path, const void* bytes, std::size_t size) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

// A 24-bit BMP whose pixel (x, y) is colourAt(x, y).
template <typename ColourAt>
inline bool WriteBmp(const std::wstring& path, int width, int height, ColourAt colourAt) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fileHeader{};
    BITMAPINFOHEADER info{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof info;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<unsigned char> bytes(fileHeader.bfSize, 0);
    std::memcpy(bytes.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(bytes.data() + sizeof fileHeader, &info, sizeof info);
    for (int y = 0; y < height; ++y) {
        unsigned char* row = bytes.data() + fileHeader.bfOffBits + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Pixel colour = colourAt(x, y);
            row[x * 3] = colour & 0xFF;
            row[x * 3 + 1] = (colour >> 8) & 0xFF;
            row[x * 3 + 2] = (colour >> 16) & 0xFF;
        }
    }
    return WriteBytes(path, bytes.data(), bytes.size());
}

inline bool WriteBuiltinGif(const std::wstring& path, int resourceId) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));
    if (found == nullptr) return false;
    return WriteBytes(path, LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found));
}

// A picture of one format written by GDI+'s own encoder ("image/jpeg", "image/png").
inline bool WriteEncoded(const std::wstring& path, const std::wstring& mimeType, int width, int height) {
    if (!EnsureGdiplus()) return false;
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> storage(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == mimeType) {
            Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
            Gdiplus::Graphics(&bitmap).Clear(Gdiplus::Color(255, 0x20, 0x40, 0x60));
            return bitmap.Save(path.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
        }
    }
    return false;
}

// A top-down 32-bit drawing surface filled with one colour.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap =
            CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i) m_pixels[i] = kBackground;
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    Pixel At(int x, int y) {
        GdiFlush();
        return m_pixels[y * m_width + x] & 0xFFFFFF;
    }

private:
    int m_width;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    Pixel* m_pixels = nullptr;
};

inline void ExpectSize(const Picture& picture, const std::string& source, int width, int height) {
    EXPECT_EQ(picture.source, source);
    EXPECT_EQ(picture.width, width) << source;
    EXPECT_EQ(picture.height, height) << source;
}

// The bytes of a file, empty when it cannot be read.
inline std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart < (1 << 26)) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
            got != bytes.size()) {
            bytes.clear();
        }
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace quillmar::win32

// The GDI+ picture loader against the program's own resources and real files of each format skins use.
#include <gtest/gtest.h>
#include <windows.h>

// gdiplus.h needs IStream, which WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>
// clang-format off: the order matters
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "win32/WinPictures.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {
namespace {

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

bool WriteBytes(const std::wstring& path, const void* bytes, std::size_t size) {
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
bool WriteBmp(const std::wstring& path, int width, int height, ColourAt colourAt) {
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

bool WriteBuiltinGif(const std::wstring& path, int resourceId) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));
    if (found == nullptr) return false;
    return WriteBytes(path, LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found));
}

bool WriteJpeg(const std::wstring& path, int width, int height) {
    if (!EnsureGdiplus()) return false;
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> storage(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/jpeg") {
            Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
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

void ExpectSize(const Picture& picture, const std::string& source, int width, int height) {
    EXPECT_EQ(picture.source, source);
    EXPECT_EQ(picture.width, width) << source;
    EXPECT_EQ(picture.height, height) << source;
}

TEST(WinPictures, EveryBuiltinPictureLoadsFromTheResourcesAtItsExactSize) {
    WinPictures pictures;
    ExpectSize(pictures.LoadPicture(kBuiltinTranslate), "builtin:translate", 71, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinSelect), "builtin:select", 153, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinMenu), "builtin:menu", 17, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinStatus), "builtin:status", 123, 25);
}

// The icon group in the resources: a 16- and a 32-pixel image in 256 colours, each loadable.
TEST(WinPictures, ProgramIconCarries16And32PixelImagesIn256Colours) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colourCount, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    HRSRC group =
        FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_QUILLMAR), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_EQ(header[2], 2);  // reserved, type, count
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 3);
    std::vector<int> widths;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i].width, entries[i].height);
        EXPECT_EQ(entries[i].bitCount, 8);
        widths.push_back(entries[i].width);
    }
    std::sort(widths.begin(), widths.end());
    EXPECT_EQ(widths, (std::vector<int>{16, 32}));

    for (const int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLMAR), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(WinPictures, UnknownBuiltinOrEmptySourceHasNoPicture) {
    WinPictures pictures;
    ExpectSize(pictures.LoadPicture("builtin:nothing"), "builtin:nothing", 0, 0);
    ExpectSize(pictures.LoadPicture("builtin:"), "builtin:", 0, 0);
    ExpectSize(pictures.LoadPicture(""), "", 0, 0);
}

TEST(WinPictures, FilePicturesLoadAsGifBmpAndJpegFromUnicodePaths) {
    TempFolder folder;
    const std::wstring gif =
        folder.File(L"\u043A\u0430\u0440\u0442\u0438\u043D\u043A\u0430.gif");  // картинка
    const std::wstring bmp = folder.File(L"status.bmp");
    const std::wstring jpeg = folder.File(L"photo.jpg");
    ASSERT_TRUE(WriteBuiltinGif(gif, IDR_PICTURE_SELECT));
    ASSERT_TRUE(WriteBmp(bmp, 5, 3, [](int, int) { return Pixel{0x123456}; }));
    ASSERT_TRUE(WriteJpeg(jpeg, 8, 6));

    WinPictures pictures;
    ExpectSize(pictures.LoadPicture(WideToUtf8(gif)), WideToUtf8(gif), 153, 15);
    ExpectSize(pictures.LoadPicture(WideToUtf8(bmp)), WideToUtf8(bmp), 5, 3);
    ExpectSize(pictures.LoadPicture(WideToUtf8(jpeg)), WideToUtf8(jpeg), 8, 6);
}

TEST(WinPictures, UnreadableFilesHaveNoPicture) {
    TempFolder folder;
    const std::wstring text = folder.File(L"notes.gif");
    const std::wstring empty = folder.File(L"empty.gif");
    ASSERT_TRUE(WriteBytes(text, "not a picture at all", 20));
    ASSERT_TRUE(WriteBytes(empty, "", 0));

    WinPictures pictures;
    EXPECT_EQ(pictures.LoadPicture(folder.Utf8() + "missing.gif").width, 0);
    EXPECT_EQ(pictures.LoadPicture(folder.Utf8()).width,
              0);  // the folder itself, as an empty skin value gives
    EXPECT_EQ(pictures.LoadPicture(WideToUtf8(text)).width, 0);
    EXPECT_EQ(pictures.LoadPicture(WideToUtf8(empty)).width, 0);
}

TEST(WinPictures, DrawsEveryPixelInPlaceWithoutSmoothing) {
    WinPictures pictures;
    Canvas canvas(40, 30);
    ASSERT_TRUE(pictures.Draw(kBuiltinMenu, canvas.Dc(), 10, 5));  // never loaded before: loads on demand
    EXPECT_EQ(canvas.At(10, 5), kFrame);
    EXPECT_EQ(canvas.At(26, 19), kFrame);
    EXPECT_EQ(canvas.At(18, 12), kArrow);
    EXPECT_EQ(canvas.At(13, 8), kMenuFaceAt3x3);
    EXPECT_EQ(canvas.At(9, 5), kBackground);
    EXPECT_EQ(canvas.At(27, 5), kBackground);
    EXPECT_EQ(canvas.At(10, 4), kBackground);
    EXPECT_EQ(canvas.At(10, 20), kBackground);

    // A picture of distinct pixels lands one to one.
    TempFolder folder;
    const std::wstring bmp = folder.File(L"checker.bmp");
    const auto colourAt = [](int x, int y) {
        return Pixel(0x102030 + x * 0x200000 + y * 0x000500 + (x ^ y) * 7);
    };
    ASSERT_TRUE(WriteBmp(bmp, 6, 4, colourAt));
    ASSERT_TRUE(pictures.Draw(WideToUtf8(bmp), canvas.Dc(), 30, 20));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(canvas.At(30 + x, 20 + y), colourAt(x, y)) << x << "," << y;
    }
}

TEST(WinPictures, ReloadReadsTheFileAfreshAndAFailedReloadKeepsTheLastPicture) {
    TempFolder folder;
    const std::wstring path = folder.File(L"skin.bmp");
    const std::string source = WideToUtf8(path);
    WinPictures pictures;

    ASSERT_TRUE(WriteBmp(path, 3, 2, [](int, int) { return Pixel{0xFF0000}; }));
    ExpectSize(pictures.LoadPicture(source), source, 3, 2);
    // Replaced on disk while loaded: the loader holds no lock, and the next load sees the new file.
    ASSERT_TRUE(WriteBmp(path, 5, 4, [](int, int) { return Pixel{0x0000FF}; }));
    ExpectSize(pictures.LoadPicture(source), source, 5, 4);

    ASSERT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_EQ(pictures.LoadPicture(source).width, 0);
    Canvas canvas(8, 8);
    ASSERT_TRUE(pictures.Draw(source, canvas.Dc(), 1, 1));
    EXPECT_EQ(canvas.At(5, 4), Pixel{0x0000FF});
    EXPECT_EQ(canvas.At(6, 5), kBackground);
}

TEST(WinPictures, NothingToDrawOrNowhereToDrawFails) {
    WinPictures pictures;
    Canvas canvas(4, 4);
    EXPECT_FALSE(pictures.Draw("builtin:nothing", canvas.Dc(), 0, 0));
    EXPECT_FALSE(pictures.Draw("", canvas.Dc(), 0, 0));
    EXPECT_FALSE(pictures.Draw(kBuiltinMenu, nullptr, 0, 0));
    EXPECT_EQ(canvas.At(0, 0), kBackground);
}

}  // namespace
}  // namespace quillmar::win32

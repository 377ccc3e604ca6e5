#include "win32/WinPictures.h"

#include "forms/Twips.h"

// GDI+ needs IStream and friends, which WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>
#include <shlwapi.h>
// Order matters: gdiplus.h expects the declarations above.
#include <gdiplus.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "win32/PictureHeader.h"
#include "win32/WinText.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {
namespace {

constexpr std::string_view kBuiltinPrefix = "builtin:";
// Picture files beyond this are not read into memory; no toolbar picture comes near it.
constexpr LONGLONG kMaxFileBytes = 64LL * 1024 * 1024;

struct BuiltinPicture {
    std::string_view name;
    int resourceId;
};
constexpr BuiltinPicture kBuiltinPictures[] = {
    {"translate", IDR_PICTURE_TRANSLATE},
    {"select", IDR_PICTURE_SELECT},
    {"menu", IDR_PICTURE_MENU},
    {"status", IDR_PICTURE_STATUS},
    {"folder", IDR_PICTURE_FOLDER},  // the designer's image pickers
    {"palette", IDR_PICTURE_PALETTE},  // and its colour pickers
};

// Decodes an image held in memory and copies its pixels into a bitmap of its own, so that nothing
// refers to the stream (or the file) afterwards: GDI+ otherwise decodes lazily from its source.
std::unique_ptr<Gdiplus::Bitmap> DecodeBytes(const void* bytes, std::size_t size) {
    if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(kMaxFileBytes)) return nullptr;
    // The decoders trust what a file claims; a broken or hostile one never reaches them.
    if (!InspectPicture(static_cast<const unsigned char*>(bytes), size)) return nullptr;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size));
    if (stream == nullptr) return nullptr;

    std::unique_ptr<Gdiplus::Bitmap> copy;
    {
        Gdiplus::Bitmap decoded(stream);
        const UINT width = decoded.GetWidth();
        const UINT height = decoded.GetHeight();
        if (decoded.GetLastStatus() == Gdiplus::Ok && width > 0 && height > 0 &&
            width <= static_cast<UINT>(kMaxPictureSide) && height <= static_cast<UINT>(kMaxPictureSide)) {
            copy = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                     PixelFormat32bppPARGB);
            const Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
            Gdiplus::BitmapData target{};
            bool copied = false;
            if (copy->GetLastStatus() == Gdiplus::Ok &&
                copy->LockBits(&whole, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) ==
                    Gdiplus::Ok) {
                // Read the decoded pixels straight into the copy's buffer, converted to its format. A
                // second record: each lock keeps its own bookkeeping in it.
                Gdiplus::BitmapData reading{};
                reading.Width = target.Width;
                reading.Height = target.Height;
                reading.Stride = target.Stride;
                reading.PixelFormat = target.PixelFormat;
                reading.Scan0 = target.Scan0;
                copied =
                    decoded.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                     PixelFormat32bppPARGB, &reading) == Gdiplus::Ok;
                if (copied) decoded.UnlockBits(&reading);
                copy->UnlockBits(&target);
            }
            if (!copied) copy.reset();
        }
    }
    stream->Release();
    return copy;
}

std::unique_ptr<Gdiplus::Bitmap> DecodeResource(HMODULE module, int resourceId) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return nullptr;
    return DecodeBytes(LockResource(loaded), SizeofResource(module, found));
}

std::unique_ptr<Gdiplus::Bitmap> DecodeFile(const std::string& path) {
    const std::wstring widePath = Utf8ToWide(path);
    if (widePath.empty()) return nullptr;
    // Others may keep writing or replacing the file (the designer copies pictures): share everything.
    HANDLE file =
        CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    std::vector<BYTE> bytes;
    LARGE_INTEGER size{};
    bool read = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxFileBytes) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
               got == bytes.size();
    }
    CloseHandle(file);
    if (!read) return nullptr;
    return DecodeBytes(bytes.data(), bytes.size());
}

}  // namespace

bool EnsureGdiplus() {
    // Never shut down: pictures may be drawn until the process ends, and ending it frees everything.
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

WinPictures::WinPictures(HMODULE resourceModule)
    : m_resourceModule(resourceModule != nullptr ? resourceModule : GetModuleHandleW(nullptr)) {}

WinPictures::~WinPictures() = default;

std::unique_ptr<Gdiplus::Bitmap> WinPictures::Decode(const std::string& source) const {
    if (source.empty() || !EnsureGdiplus()) return nullptr;
    if (std::string_view(source).substr(0, kBuiltinPrefix.size()) == kBuiltinPrefix) {
        const std::string_view name = std::string_view(source).substr(kBuiltinPrefix.size());
        for (const BuiltinPicture& builtin : kBuiltinPictures) {
            if (builtin.name == name) return DecodeResource(m_resourceModule, builtin.resourceId);
        }
        return nullptr;
    }
    return DecodeFile(source);
}

Picture WinPictures::LoadPicture(const std::string& source) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap = Decode(source);
    if (!bitmap) return Picture{source, 0, 0};
    Picture picture{source, static_cast<int>(bitmap->GetWidth()), static_cast<int>(bitmap->GetHeight())};
    m_pictures[source] = std::move(bitmap);
    return picture;
}

bool WinPictures::Draw(const std::string& source, HDC dc, int x, int y, int maxWidth, int maxHeight, int dpi) {
    if (dc == nullptr) return false;
    auto found = m_pictures.find(source);
    if (found == m_pictures.end()) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap = Decode(source);
        if (!bitmap) return false;
        found = m_pictures.emplace(source, std::move(bitmap)).first;
    }
    Gdiplus::Bitmap& bitmap = *found->second;
    const TwipsScale scale(dpi);
    const INT fullWidth = static_cast<INT>(bitmap.GetWidth());
    const INT fullHeight = static_cast<INT>(bitmap.GetHeight());
    INT width = scale.FromDesign(fullWidth);
    INT height = scale.FromDesign(fullHeight);
    // A picture larger than its place shows its top-left part; the place keeps its size.
    if (maxWidth >= 0 && width > maxWidth) width = maxWidth;
    if (maxHeight >= 0 && height > maxHeight) height = maxHeight;
    if (width == 0 || height == 0) return true;
    // The part of the picture that lands in the place, in the picture's own pixels.
    const Gdiplus::REAL sourceWidth = static_cast<Gdiplus::REAL>(width) * fullWidth / scale.FromDesign(fullWidth);
    const Gdiplus::REAL sourceHeight =
        static_cast<Gdiplus::REAL>(height) * fullHeight / scale.FromDesign(fullHeight);
    Gdiplus::Graphics graphics(dc);
    // Never smoothed or shifted by half a pixel: at 96 DPI one picture pixel is one screen pixel.
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    return graphics.DrawImage(&bitmap, Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                                                      static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height)),
                              0, 0, sourceWidth, sourceHeight, Gdiplus::UnitPixel) == Gdiplus::Ok;
}

}  // namespace quillmar::win32

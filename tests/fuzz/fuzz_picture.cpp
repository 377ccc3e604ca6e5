// Picture headers under libFuzzer: what InspectPicture lets through to a decoder. Checked: only a GIF, PNG,
// JPEG or BMP file is taken, never with a side of 0 or over the limit; a file taken is taken the same from
// any longer buffer (what follows its end does not count), and nothing is taken from a shorter one that is
// not taken, the same, from the whole; the same file claiming a huge size is refused.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "win32/PictureHeader.h"

namespace {

using namespace quillmar::win32;
using quillmar::fuzz::Check;

std::optional<PictureHeader> Inspect(std::string_view bytes) {
    const quillmar::fuzz::ExactCopy copy(bytes);
    return InspectPicture(reinterpret_cast<const unsigned char*>(copy.View().data()), bytes.size());
}

bool Same(const std::optional<PictureHeader>& a, const std::optional<PictureHeader>& b) {
    if (!a || !b) return !a && !b;
    return a->format == b->format && a->width == b->width && a->height == b->height;
}

bool StartsWith(std::string_view bytes, std::string_view magic) {
    return bytes.substr(0, magic.size()) == magic;
}

void PutLe16(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBe32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * (3 - i))) & 0xFF);
}

// The same file with its declared width (or height) over the limit, where its format puts it at a fixed
// place; none for JPEG, whose frame header may stand anywhere.
std::optional<std::string> ClaimingHuge(std::string bytes, PictureFormat format, bool width,
                                        std::uint32_t side) {
    switch (format) {
        case PictureFormat::Gif:
            PutLe16(bytes, width ? 6 : 8, side & 0xFFFF);
            return bytes;
        case PictureFormat::Png:
            PutBe32(bytes, width ? 16 : 20, side);
            return bytes;
        case PictureFormat::Bmp: {
            const std::uint32_t headerSize =
                static_cast<unsigned char>(bytes[14]) | (static_cast<unsigned char>(bytes[15]) << 8);
            if (headerSize == 12)
                PutLe16(bytes, width ? 18 : 20, side & 0xFFFF);
            else
                PutLe32(bytes, width ? 18 : 22, side);
            return bytes;
        }
        case PictureFormat::Jpeg:
            break;
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto header = Inspect(bytes);

    // Shorter buffers: a prefix taken is a whole file, which the longer buffer holds as well.
    for (const std::size_t cut : {size / 2, size > 0 ? size - 1 : 0, size > 16 ? size - 16 : 0}) {
        if (cut >= size) continue;
        const auto shorter = Inspect(std::string_view(bytes).substr(0, cut));
        if (shorter) Check(Same(shorter, header), "a prefix is taken otherwise than the whole file");
    }
    if (!header) return 0;

    Check(header->width >= 1 && header->width <= kMaxPictureSide && header->height >= 1 &&
              header->height <= kMaxPictureSide,
          "a picture taken with a side out of range");
    switch (header->format) {
        case PictureFormat::Gif:
            Check(StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"), "a GIF without its signature");
            break;
        case PictureFormat::Png:
            Check(StartsWith(bytes, "\x89PNG\r\n\x1a\n"), "a PNG without its signature");
            break;
        case PictureFormat::Jpeg:
            Check(StartsWith(bytes, "\xFF\xD8"), "a JPEG without its start of image");
            break;
        case PictureFormat::Bmp:
            Check(StartsWith(bytes, "BM"), "a BMP without its signature");
            break;
    }
    // Whatever follows a picture taken is not read.
    Check(Same(Inspect(bytes + std::string(64, '\xFF')), header),
          "bytes after the picture changed the verdict");

    // The same picture claiming a side over the limit (or of 0) is refused.
    const std::uint32_t sides[] = {0, kMaxPictureSide + 1, 0xFFFF, 0x7FFFFFFF, 0x80000000u};
    for (const bool width : {true, false}) {
        for (const std::uint32_t side : sides) {
            const auto huge = ClaimingHuge(bytes, header->format, width, side);
            if (!huge) continue;
            // (A BMP's height may be negative, rows from the top: 0x80000000 is as large either way.)
            Check(!Inspect(*huge), "a picture claiming a huge size is taken");
        }
    }
    return 0;
}

#include "win32/PictureHeader.h"

#include <cstdint>
#include <cstring>

namespace quillmar::win32 {
namespace {

// Reads within the file's bytes; every read past the end fails instead of reading on.
class Reader {
public:
    Reader(const unsigned char* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
    std::size_t Position() const { return m_pos; }
    std::size_t Left() const { return m_size - m_pos; }
    bool Skip(std::size_t count) {
        if (count > Left()) return false;
        m_pos += count;
        return true;
    }
    bool Byte(unsigned& value) {
        if (Left() < 1) return false;
        value = m_bytes[m_pos++];
        return true;
    }
    bool Le16(unsigned& value) {
        if (Left() < 2) return false;
        value = m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8);
        m_pos += 2;
        return true;
    }
    bool Be16(unsigned& value) {
        if (Left() < 2) return false;
        value = (m_bytes[m_pos] << 8) | m_bytes[m_pos + 1];
        m_pos += 2;
        return true;
    }
    bool Le32(std::uint32_t& value) {
        if (Left() < 4) return false;
        value = static_cast<std::uint32_t>(m_bytes[m_pos]) |
                (static_cast<std::uint32_t>(m_bytes[m_pos + 1]) << 8) |
                (static_cast<std::uint32_t>(m_bytes[m_pos + 2]) << 16) |
                (static_cast<std::uint32_t>(m_bytes[m_pos + 3]) << 24);
        m_pos += 4;
        return true;
    }
    bool Be32(std::uint32_t& value) {
        if (Left() < 4) return false;
        value = (static_cast<std::uint32_t>(m_bytes[m_pos]) << 24) |
                (static_cast<std::uint32_t>(m_bytes[m_pos + 1]) << 16) |
                (static_cast<std::uint32_t>(m_bytes[m_pos + 2]) << 8) |
                static_cast<std::uint32_t>(m_bytes[m_pos + 3]);
        m_pos += 4;
        return true;
    }
    bool Starts(const char* text, std::size_t length) const {
        return m_size - m_pos >= length && std::memcmp(m_bytes + m_pos, text, length) == 0;
    }

private:
    const unsigned char* m_bytes;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

bool SideOk(std::int64_t side) {
    return side >= 1 && side <= kMaxPictureSide;
}

std::optional<PictureHeader> Sized(PictureFormat format, std::int64_t width, std::int64_t height) {
    if (!SideOk(width) || !SideOk(height)) return std::nullopt;
    return PictureHeader{format, static_cast<int>(width), static_cast<int>(height)};
}

bool SkipSubBlocks(Reader& in) {
    for (;;) {
        unsigned length = 0;
        if (!in.Byte(length)) return false;
        if (length == 0) return true;
        if (!in.Skip(length)) return false;
    }
}

std::optional<PictureHeader> InspectGif(Reader in) {
    unsigned width = 0, height = 0, flags = 0;
    if (!in.Skip(6) || !in.Le16(width) || !in.Le16(height) || !in.Byte(flags) || !in.Skip(2))
        return std::nullopt;
    if ((flags & 0x80) != 0 && !in.Skip(3u << ((flags & 7) + 1))) return std::nullopt;
    bool image = false;
    for (;;) {
        unsigned block = 0;
        if (!in.Byte(block)) return std::nullopt;
        if (block == 0x3B) break;  // trailer
        if (block == 0x21) {
            if (!in.Skip(1) || !SkipSubBlocks(in)) return std::nullopt;
        } else if (block == 0x2C) {
            unsigned left = 0, top = 0, frameWidth = 0, frameHeight = 0, frameFlags = 0, codeSize = 0;
            if (!in.Le16(left) || !in.Le16(top) || !in.Le16(frameWidth) || !in.Le16(frameHeight) ||
                !in.Byte(frameFlags)) {
                return std::nullopt;
            }
            if (!SideOk(frameWidth) || !SideOk(frameHeight) || !SideOk(left + frameWidth) ||
                !SideOk(top + frameHeight)) {
                return std::nullopt;
            }
            if ((frameFlags & 0x80) != 0 && !in.Skip(3u << ((frameFlags & 7) + 1))) return std::nullopt;
            if (!in.Byte(codeSize) || codeSize < 1 || codeSize > 11 || !SkipSubBlocks(in))
                return std::nullopt;
            image = true;
        } else {
            return std::nullopt;
        }
    }
    if (!image) return std::nullopt;
    return Sized(PictureFormat::Gif, width, height);
}

std::optional<PictureHeader> InspectPng(Reader in) {
    if (!in.Skip(8)) return std::nullopt;
    std::uint32_t width = 0, height = 0;
    bool first = true, data = false;
    for (;;) {
        std::uint32_t length = 0;
        if (!in.Be32(length) || length > 0x7FFFFFFF) return std::nullopt;
        const bool header = in.Starts("IHDR", 4);
        const bool imageData = in.Starts("IDAT", 4);
        const bool end = in.Starts("IEND", 4);
        if (!in.Skip(4)) return std::nullopt;
        if (first != header) return std::nullopt;  // IHDR first, and only there
        if (header) {
            if (length != 13 || !in.Be32(width) || !in.Be32(height) || !in.Skip(5)) return std::nullopt;
        } else if (!in.Skip(length)) {
            return std::nullopt;
        }
        if (!in.Skip(4)) return std::nullopt;  // CRC
        first = false;
        data = data || imageData;
        if (end) break;
    }
    if (!data) return std::nullopt;
    return Sized(PictureFormat::Png, width, height);
}

bool IsStartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureHeader> InspectJpeg(Reader in) {
    if (!in.Skip(2)) return std::nullopt;
    std::optional<PictureHeader> frame;
    unsigned marker = 0;
    bool markerRead = false;  // the scan data below ends at a marker it has already read
    for (;;) {
        if (!markerRead) {
            unsigned byte = 0;
            if (!in.Byte(byte) || byte != 0xFF) return std::nullopt;
            do {
                if (!in.Byte(marker)) return std::nullopt;
            } while (marker == 0xFF);
        }
        markerRead = false;
        if (marker == 0xD9) return frame;  // end of image
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        unsigned length = 0;
        if (!in.Be16(length) || length < 2) return std::nullopt;
        const std::size_t start = in.Position();
        if (IsStartOfFrame(marker)) {
            unsigned precision = 0, height = 0, width = 0;
            if (length < 7 || !in.Byte(precision) || !in.Be16(height) || !in.Be16(width)) return std::nullopt;
            frame = Sized(PictureFormat::Jpeg, width, height);
            if (!frame) return std::nullopt;
        }
        if (!in.Skip(length - 2 - (in.Position() - start))) return std::nullopt;
        if (marker != 0xDA) continue;
        if (!frame) return std::nullopt;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart;
        // progressive files hold several scans with tables between them.
        for (;;) {
            unsigned byte = 0;
            if (!in.Byte(byte)) return std::nullopt;
            if (byte != 0xFF) continue;
            do {
                if (!in.Byte(marker)) return std::nullopt;
            } while (marker == 0xFF);
            if (marker != 0x00 && !(marker >= 0xD0 && marker <= 0xD7)) break;
        }
        markerRead = true;
    }
}

std::optional<PictureHeader> InspectBmp(Reader in, std::size_t size) {
    std::uint32_t offBits = 0, headerSize = 0;
    if (!in.Skip(10) || !in.Le32(offBits) || !in.Le32(headerSize)) return std::nullopt;
    std::int64_t width = 0, height = 0;
    unsigned bitCount = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12) {
        unsigned w = 0, h = 0, planes = 0;
        if (!in.Le16(w) || !in.Le16(h) || !in.Le16(planes) || !in.Le16(bitCount)) return std::nullopt;
        width = w;
        height = h;
    } else if (headerSize >= 40 && headerSize <= 124) {
        std::uint32_t w = 0, h = 0;
        unsigned planes = 0;
        if (!in.Le32(w) || !in.Le32(h) || !in.Le16(planes) || !in.Le16(bitCount) || !in.Le32(compression)) {
            return std::nullopt;
        }
        width = static_cast<std::int32_t>(w);
        height = static_cast<std::int32_t>(h);
        if (height < 0) height = -height;  // top-down rows
    } else {
        return std::nullopt;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        return std::nullopt;
    }
    std::optional<PictureHeader> header = Sized(PictureFormat::Bmp, width, height);
    if (!header || offBits < 14 + headerSize || offBits >= size) return std::nullopt;
    if (compression == 0 || compression == 3) {
        const std::int64_t stride = (width * bitCount + 31) / 32 * 4;
        if (static_cast<std::int64_t>(offBits) + stride * height > static_cast<std::int64_t>(size))
            return std::nullopt;
    } else if (compression != 1 && compression != 2) {
        return std::nullopt;  // run-length data is checked by the decoder; embedded JPEG or PNG is not taken
    }
    return header;
}

}  // namespace

std::optional<PictureHeader> InspectPicture(const unsigned char* bytes, std::size_t size) {
    if (bytes == nullptr) return std::nullopt;
    const Reader in(bytes, size);
    if (in.Starts("GIF87a", 6) || in.Starts("GIF89a", 6)) return InspectGif(in);
    if (in.Starts("\x89PNG\r\n\x1a\n", 8)) return InspectPng(in);
    if (in.Starts("\xFF\xD8", 2)) return InspectJpeg(in);
    if (in.Starts("BM", 2)) return InspectBmp(in, size);
    return std::nullopt;
}

}  // namespace quillmar::win32

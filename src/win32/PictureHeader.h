#pragma once

#include <cstddef>
#include <optional>

namespace quillmar::win32 {

// No skin picture comes near this; anything larger is refused before a decoder allocates for it.
inline constexpr int kMaxPictureSide = 4096;

enum class PictureFormat { Gif, Png, Jpeg, Bmp };

struct PictureHeader {
    PictureFormat format;
    int width;
    int height;
};

// What a picture file's bytes declare, checked before they reach the decoder: a whole GIF, PNG, JPEG
// or BMP file (its blocks, chunks, segments or pixel rows all present) whose every image is 1 to
// kMaxPictureSide pixels a side. None for anything else: other formats, truncated or inconsistent
// files, huge claimed sizes.
std::optional<PictureHeader> InspectPicture(const unsigned char* bytes, std::size_t size);

}  // namespace quillmar::win32

#pragma once

#include <memory>
#include <string>

namespace quillmar {

// A loaded picture as the logic sees it: where it came from and its size in pixels. The platform keeps
// the pixels; `source` is "builtin:NAME" for a picture compiled into the program, else a file path.
struct Picture {
    std::string source;
    int width = 0;
    int height = 0;
};

class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // GIF, JPEG, BMP or PNG; a picture of width 0 when the file cannot be read.
    virtual Picture LoadPicture(const std::string& source) = 0;
};

}  // namespace quillmar

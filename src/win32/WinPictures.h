#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "platform/Picture.h"

namespace Gdiplus {
class Bitmap;
}

namespace quillmar::win32 {

// The pictures compiled into the program (RCDATA GIFs), by the source names the logic uses.
// The four holder pictures of the toolbar are these same images.
inline constexpr const char* kBuiltinTranslate = "builtin:translate";  // translate button, 71x15
inline constexpr const char* kBuiltinSelect = "builtin:select";        // language-pair button, 153x15
inline constexpr const char* kBuiltinMenu = "builtin:menu";            // menu button, 17x15
inline constexpr const char* kBuiltinStatus = "builtin:status";        // status-window background, 123x25

// Starts GDI+ on first call and keeps it for the rest of the process; false if it cannot start.
bool EnsureGdiplus();

// Loads pictures (GIF, JPEG, BMP, PNG) through GDI+ from the program's resources ("builtin:NAME") or
// from a file (UTF-8 path), keeps their pixels, and draws them into a device context.
// The file is read into memory and decoded at once, so it is not held open or locked afterwards.
// Single-threaded, like the rest of the program.
class WinPictures final : public PictureLoader {
public:
    // Built-in pictures come from `resourceModule`'s RCDATA; nullptr means the program itself.
    explicit WinPictures(HMODULE resourceModule = nullptr);
    ~WinPictures() override;
    WinPictures(const WinPictures&) = delete;
    WinPictures& operator=(const WinPictures&) = delete;

    // Reads the picture afresh (a skin file may have changed on disk) and keeps it for Draw.
    // Width 0 when the source is empty, unknown or not a readable picture - a file that is not a whole
    // GIF, JPEG, BMP or PNG, or claims more than kMaxPictureSide pixels a side, is not decoded at all.
    // A failed load leaves a picture kept earlier under the same source untouched.
    Picture LoadPicture(const std::string& source) override;

    // Draws the picture kept for `source` (loading it first if it was never loaded) at its own pixel
    // size with its top-left corner at x, y, cut to maxWidth x maxHeight pixels where those are not
    // negative (a button draws a larger picture's top-left part). Transparent parts of a GIF leave the
    // device context's pixels as they were, so fill the background first. Clipping also follows the
    // DC's clip region. False when there is nothing to draw.
    // At another dpi than 96 the picture is scaled to it first, nearest neighbour: at 200 % each pixel
    // becomes a 2 x 2 block, at 150 % alternately one and two pixels; edges stay sharp, never blurred.
    bool Draw(const std::string& source, HDC dc, int x, int y, int maxWidth = -1, int maxHeight = -1,
              int dpi = 96);

private:
    std::unique_ptr<Gdiplus::Bitmap> Decode(const std::string& source) const;

    HMODULE m_resourceModule;
    std::map<std::string, std::unique_ptr<Gdiplus::Bitmap>> m_pictures;
};

}  // namespace quillmar::win32

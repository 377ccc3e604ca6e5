// The GDI+ picture loader against the program's own resources and real files of each format skins use.
#include <algorithm>

#include "PictureTestSupport.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {
namespace {

TEST(WinPictures, EveryBuiltinPictureLoadsFromTheResourcesAtItsExactSize) {
    WinPictures pictures;
    ExpectSize(pictures.LoadPicture(kBuiltinTranslate), "builtin:translate", 71, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinSelect), "builtin:select", 153, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinMenu), "builtin:menu", 17, 15);
    ExpectSize(pictures.LoadPicture(kBuiltinStatus), "builtin:status", 123, 25);
    ExpectSize(pictures.LoadPicture("builtin:folder"), "builtin:folder", 19, 17);
    ExpectSize(pictures.LoadPicture("builtin:palette"), "builtin:palette", 17, 16);
}

// The icon group in the resources: a 16- and a 32-pixel image in 256 colours, each loadable.
TEST(WinPictures, ProgramIconCarriesEverySmallAndLargeSizeWithAlpha) {
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
    ASSERT_EQ(header[2], 5);  // reserved, type, count
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 3);
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(entries[i].width, entries[i].height);
        EXPECT_EQ(entries[i].bitCount, 32);  // an alpha channel, for smooth edges on any taskbar
        widths.push_back(entries[i].width);
    }
    std::sort(widths.begin(), widths.end());
    // The small icon at 100, 125, 150 % and the large one at 100 and 150 %.
    EXPECT_EQ(widths, (std::vector<int>{16, 20, 24, 32, 48}));

    for (const int size : {16, 20, 24, 32, 48}) {
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
    ASSERT_TRUE(WriteEncoded(jpeg, L"image/jpeg", 8, 6));

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

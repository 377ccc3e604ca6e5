// The picture loader's file path against PNG, oversized pictures and thousands of broken files.
#include <chrono>
#include <cstdio>
#include <random>

#include "PictureTestSupport.h"
#include "win32/PictureHeader.h"
#include "win32/resources/ResourceIds.h"

namespace quillmar::win32 {
namespace {

std::vector<unsigned char> ResourceBytes(int resourceId) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<unsigned char>(bytes, bytes + SizeofResource(nullptr, found));
}

std::vector<unsigned char> EncodedBytes(TempFolder& folder, const std::wstring& name,
                                        const std::wstring& mime, int width, int height) {
    const std::wstring path = folder.File(name);
    if (!WriteEncoded(path, mime, width, height)) return {};
    return ReadBytes(path);
}

std::vector<unsigned char> BmpBytes(TempFolder& folder, int width, int height) {
    const std::wstring path = folder.File(L"seed.bmp");
    if (!WriteBmp(path, width, height, [](int x, int y) { return Pixel(0x010203 * (x + y)); })) return {};
    return ReadBytes(path);
}

// One good file of each format the skins use.
struct Seeds {
    explicit Seeds(TempFolder& folder)
        : gif(ResourceBytes(IDR_PICTURE_SELECT)),
          png(EncodedBytes(folder, L"seed.png", L"image/png", 12, 6)),
          jpeg(EncodedBytes(folder, L"seed.jpg", L"image/jpeg", 16, 8)),
          bmp(BmpBytes(folder, 9, 5)) {}
    std::vector<unsigned char> gif, png, jpeg, bmp;
};

void PutLe16(std::vector<unsigned char>& bytes, std::size_t at, unsigned value) {
    bytes[at] = value & 0xFF;
    bytes[at + 1] = (value >> 8) & 0xFF;
}
void PutBe32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = (value >> (24 - 8 * i)) & 0xFF;
}
void PutLe32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = (value >> (8 * i)) & 0xFF;
}
// Offset of the height field of a JPEG's start-of-frame segment (the width follows it).
std::size_t JpegSizeAt(const std::vector<unsigned char>& bytes) {
    for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) return i + 5;
    }
    return 0;
}

class PictureFiles : public ::testing::Test {
protected:
    Picture Load(const std::vector<unsigned char>& bytes) {
        const std::wstring path = m_folder.File(L"case" + std::to_wstring(++m_cases) + L".pic");
        EXPECT_TRUE(WriteBytes(path, bytes.data(), bytes.size()));
        Picture picture = m_pictures.LoadPicture(WideToUtf8(path));
        DeleteFileW(path.c_str());
        return picture;
    }

    TempFolder m_folder;
    Seeds m_seeds{m_folder};
    WinPictures m_pictures;
    int m_cases = 0;
};

TEST_F(PictureFiles, PngLoadsAndDrawsLikeTheOtherFormats) {
    const std::wstring path = m_folder.File(L"button.png");
    ASSERT_TRUE(WriteEncoded(path, L"image/png", 9, 7));
    ExpectSize(m_pictures.LoadPicture(WideToUtf8(path)), WideToUtf8(path), 9, 7);
    Canvas canvas(12, 10);
    ASSERT_TRUE(m_pictures.Draw(WideToUtf8(path), canvas.Dc(), 1, 1));
    EXPECT_EQ(canvas.At(1, 1), Pixel{0x204060});
    EXPECT_EQ(canvas.At(9, 7), Pixel{0x204060});
    EXPECT_EQ(canvas.At(10, 8), kBackground);
}

TEST_F(PictureFiles, APictureLargerThanItsPlaceIsCutToIt) {
    const std::wstring path = m_folder.File(L"wide.bmp");
    ASSERT_TRUE(WriteBmp(path, 30, 10, [](int x, int) { return Pixel(0x100000 + x); }));
    Canvas canvas(40, 20);
    ASSERT_TRUE(m_pictures.Draw(WideToUtf8(path), canvas.Dc(), 2, 3, 20, 5));
    EXPECT_EQ(canvas.At(2, 3), Pixel{0x100000});
    EXPECT_EQ(canvas.At(21, 7), Pixel{0x100000 + 19});
    EXPECT_EQ(canvas.At(22, 3), kBackground);
    EXPECT_EQ(canvas.At(2, 8), kBackground);
    // No limit, or a limit larger than the picture: the whole picture.
    Canvas whole(40, 20);
    ASSERT_TRUE(m_pictures.Draw(WideToUtf8(path), whole.Dc(), 0, 0, 35, -1));
    EXPECT_EQ(whole.At(29, 9), Pixel{0x100000 + 29});
    EXPECT_EQ(whole.At(30, 9), kBackground);
}

TEST_F(PictureFiles, FilesClaimingHugeSizesOrCutShortAreRefused) {
    ASSERT_EQ(Load(m_seeds.gif).width, 153);
    ASSERT_EQ(Load(m_seeds.png).width, 12);
    ASSERT_EQ(Load(m_seeds.jpeg).width, 16);
    ASSERT_EQ(Load(m_seeds.bmp).width, 9);

    std::vector<unsigned char> gif = m_seeds.gif, png = m_seeds.png, jpeg = m_seeds.jpeg, bmp = m_seeds.bmp;
    PutLe16(gif, 6, 60000);
    PutLe16(gif, 8, 60000);
    PutBe32(png, 16, 100000);
    PutBe32(png, 20, 100000);
    const std::size_t sof = JpegSizeAt(jpeg);
    ASSERT_NE(sof, 0u);
    jpeg[sof] = jpeg[sof + 1] = jpeg[sof + 2] = jpeg[sof + 3] = 0xFF;
    PutLe32(bmp, 18, 50000);
    PutLe32(bmp, 22, 50000);
    for (const auto* huge : {&gif, &png, &jpeg, &bmp}) EXPECT_EQ(Load(*huge).width, 0);

    for (const auto* seed : {&m_seeds.gif, &m_seeds.png, &m_seeds.jpeg, &m_seeds.bmp}) {
        for (const std::size_t keep : {seed->size() - 1, seed->size() / 2, std::size_t{20}, std::size_t{3}}) {
            EXPECT_EQ(Load(std::vector<unsigned char>(seed->begin(), seed->begin() + keep)).width, 0)
                << keep << " of " << seed->size();
        }
    }
    // Not one of the four formats, even where GDI+ would read it.
    std::vector<unsigned char> text{'G', 'I', 'F', '8', '9', 'a', 'h', 'e', 'l', 'l', 'o', 0, 0, 0};
    EXPECT_EQ(Load(text).width, 0);
}

// Deterministic: the same seed gives the same files on every run. Bounded: at most kCases files, and
// no more than kBudget of time. A crash or a hang fails the test program.
TEST_F(PictureFiles, ThousandsOfBrokenFilesAreRefusedOrLoadSanelyWithoutACrash) {
    constexpr int kCases = 3000;
    constexpr auto kBudget = std::chrono::seconds(80);
    const std::vector<unsigned char>* seeds[] = {&m_seeds.gif, &m_seeds.png, &m_seeds.jpeg, &m_seeds.bmp};
    for (const auto* seed : seeds) ASSERT_GT(seed->size(), 30u);

    std::mt19937 random(20261207);
    const auto below = [&](std::size_t limit) {
        return static_cast<std::size_t>(random() % static_cast<std::uint32_t>(limit == 0 ? 1 : limit));
    };
    const auto started = std::chrono::steady_clock::now();
    int done = 0, loaded = 0;
    Canvas canvas(48, 32);
    for (; done < kCases && std::chrono::steady_clock::now() - started < kBudget; ++done) {
        std::vector<unsigned char> bytes = *seeds[done % 4];
        switch (below(6)) {
            case 0:  // cut short
                bytes.resize(below(bytes.size()));
                break;
            case 1:  // a few bytes changed
                for (std::size_t n = 1 + below(16); n > 0; --n) bytes[below(bytes.size())] = random() & 0xFF;
                break;
            case 2:  // the header's own fields (sizes, lengths, offsets) changed
                for (std::size_t n = 1 + below(4); n > 0; --n) bytes[6 + below(24)] = random() & 0xFF;
                break;
            case 3: {  // a run of garbage in the middle
                const std::size_t at = below(bytes.size());
                std::vector<unsigned char> garbage(1 + below(64));
                for (auto& b : garbage) b = random() & 0xFF;
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), garbage.begin(), garbage.end());
                break;
            }
            case 4: {  // a piece cut out
                const std::size_t at = below(bytes.size());
                bytes.erase(
                    bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + 1 + below(32))));
                break;
            }
            default:  // the right signature, then noise
                for (std::size_t i = 8; i < bytes.size(); ++i) bytes[i] = random() & 0xFF;
                break;
        }
        const Picture picture = Load(bytes);
        if (picture.width == 0) continue;
        ++loaded;
        EXPECT_GE(picture.height, 1) << "case " << done;
        EXPECT_LE(picture.width, kMaxPictureSide) << "case " << done;
        EXPECT_LE(picture.height, kMaxPictureSide) << "case " << done;
        EXPECT_TRUE(m_pictures.Draw(picture.source, canvas.Dc(), 0, 0, 48, 32)) << "case " << done;
    }
    std::printf("%d broken files in %lld ms, %d of them still loaded\n", done,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - started)
                                           .count()),
                loaded);
    EXPECT_GE(done, 1000);
    // The loader is as good as before.
    EXPECT_EQ(Load(m_seeds.png).width, 12);
}

}  // namespace
}  // namespace quillmar::win32

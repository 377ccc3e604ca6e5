#include <windows.h>
// gdiplus.h needs IStream, which WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>
// clang-format off: the order matters
#include <gdiplus.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "TestChatWindow.h"
#include "win32/DesktopInput.h"
#include "win32/WinEventLoop.h"
#include "win32/program/RunningProgram.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmar::testing;
namespace fs = std::filesystem;

constexpr const wchar_t* kSettingsKey = L"Software\\VB and VBA Program Settings\\QUILLMAR\\settings";
constexpr COLORREF kToolbarBack = RGB(255, 0, 0);
// The toolbar's buttons as the built-in pictures lay them out (pixels), and the rectangles their
// captions may cover, which are left out of the comparison.
struct Area {
    int left, top, right, bottom;
    bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
struct ButtonPlace {
    const char* key;  // the .QSK key naming its picture
    int left, width;
};
constexpr ButtonPlace kButtons[] = {{"translateFile", 0, 71}, {"selectfile", 71, 153}, {"menufile", 224, 17}};
constexpr int kToolbarWidth = 241;
constexpr int kToolbarHeight = 15;
constexpr Area kCaptions[] = {{3, 1, 68, 15}, {78, 1, 217, 15}};

// A path as Windows programs see it: a Linux path of the build is reached through drive Z:.
fs::path WindowsPath(const std::string& path) {
    std::string windows = path;
    if (!windows.empty() && windows.front() == '/') windows = "Z:" + windows;
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return fs::path(windows);
}

void PumpFor(std::chrono::milliseconds time) {
    quillmar::win32::RunMessageLoopUntil([] { return false; }, time);
}
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return quillmar::win32::RunMessageLoopUntil(done, limit);
}

// Pixels of a screen rectangle, row by row, as COLORREF values.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> values;
    COLORREF At(int x, int y) const { return values[static_cast<std::size_t>(y * width + x)]; }
    bool operator==(const Pixels&) const = default;
};

Pixels CaptureScreen(const RECT& area) {
    Pixels pixels;
    pixels.width = area.right - area.left;
    pixels.height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, pixels.width, pixels.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, area.left, area.top, SRCCOPY);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) pixels.values.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// What the toolbar must show with a skin: each button's picture file, decoded here, over the toolbar's
// back colour and cut to its button. Pixels no picture covers keep the back colour.
Pixels ExpectedToolbar(const fs::path& skinFile) {
    Pixels expected{kToolbarWidth, kToolbarHeight,
                    std::vector<COLORREF>(static_cast<std::size_t>(kToolbarWidth * kToolbarHeight), kToolbarBack)};
    for (const ButtonPlace& button : kButtons) {
        wchar_t name[MAX_PATH] = {};
        const std::wstring key(button.key, button.key + std::char_traits<char>::length(button.key));
        GetPrivateProfileStringW(L"Details", key.c_str(), L"", name, MAX_PATH, skinFile.c_str());
        Gdiplus::Bitmap picture((skinFile.parent_path() / name).c_str());
        EXPECT_EQ(picture.GetLastStatus(), Gdiplus::Ok) << (skinFile.parent_path() / name).string();
        const int width = std::min(static_cast<int>(picture.GetWidth()), button.width);
        const int height = std::min(static_cast<int>(picture.GetHeight()), kToolbarHeight);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Gdiplus::Color colour;
                picture.GetPixel(x, y, &colour);
                expected.values[static_cast<std::size_t>(y * kToolbarWidth + button.left + x)] =
                    RGB(colour.GetR(), colour.GetG(), colour.GetB());
            }
        }
    }
    return expected;
}

// How many pixels outside the captions differ by more than a rounding step in any channel.
int Mismatches(const Pixels& seen, const Pixels& expected) {
    if (seen.width != expected.width || seen.height != expected.height) return -1;
    int count = 0;
    for (int y = 0; y < seen.height; ++y) {
        for (int x = 0; x < seen.width; ++x) {
            bool onCaption = false;
            for (const Area& caption : kCaptions) onCaption = onCaption || caption.Holds(x, y);
            if (onCaption) continue;
            const COLORREF a = seen.At(x, y);
            const COLORREF b = expected.At(x, y);
            if (std::abs(GetRValue(a) - GetRValue(b)) > 2 || std::abs(GetGValue(a) - GetGValue(b)) > 2 ||
                std::abs(GetBValue(a) - GetBValue(b)) > 2)
                ++count;
        }
    }
    return count;
}

// The rows of "Select a Skin" the program must offer for this skins folder: one per folder holding a
// .QSK file, in the platform's listing order, the first folder's skin in place of "Default Skin".
std::vector<std::wstring> SkinRows(const fs::path& skins) {
    std::vector<std::wstring> rows{L"Default Skin"};
    WIN32_FIND_DATAW found{};
    HANDLE listing = FindFirstFileW((skins / L"*").c_str(), &found);
    int index = 0;
    for (BOOL more = listing != INVALID_HANDLE_VALUE; more; more = FindNextFileW(listing, &found)) {
        const std::wstring name = found.cFileName;
        const DWORD skip = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (found.dwFileAttributes & skip) != 0)
            continue;
        WIN32_FIND_DATAW skin{};
        HANDLE skinFile = FindFirstFileW((skins / name / L"*.QSK").c_str(), &skin);
        if (skinFile != INVALID_HANDLE_VALUE) {
            FindClose(skinFile);
            wchar_t title[256] = {};
            GetPrivateProfileStringW(L"Skin", L"title", L"", title, 256, (skins / name / skin.cFileName).c_str());
            if (index == 0) {
                rows[0] = title;
            } else {
                rows.push_back(title);
            }
        }
        ++index;
    }
    if (listing != INVALID_HANDLE_VALUE) FindClose(listing);
    return rows;
}

std::optional<std::wstring> ReadCurrentSkin() {
    wchar_t value[256] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"CurrentSkin", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

void WriteCurrentSkin(const std::optional<std::wstring>& value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CurrentSkin");
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CurrentSkin", REG_SZ, value->c_str(),
                    static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
}

// The program copied into a folder of its own with a "skins" folder beside it, which the test fills,
// and the stored "CurrentSkin" put back as it was afterwards.
class SkinsOnScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static ULONG_PTR token = 0;
        static Gdiplus::GdiplusStartupInput input;
        if (token == 0) Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }

    void SetUp() override {
        m_savedSkin = ReadCurrentSkin();
        const fs::path built = WindowsPath(QUILLMAR_EXE_PATH);
        m_samples = built.parent_path() / "skins";
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_folder = fs::path(temp) / ("quillmar-skins-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "skins");
        fs::copy_file(built, m_folder / "Quillmar.exe");
    }
    void TearDown() override {
        m_program.reset();
        WriteCurrentSkin(m_savedSkin);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path Skins() const { return m_folder / "skins"; }
    // A sample skin the build put beside Quillmar.exe, copied into this program's skins folder.
    fs::path AddSample(const std::string& folder) {
        fs::copy(m_samples / folder, Skins() / folder, fs::copy_options::recursive);
        for (const auto& entry : fs::directory_iterator(Skins() / folder)) {
            if (entry.path().extension() == ".QSK") return entry.path();
        }
        ADD_FAILURE() << "no skin file in " << folder;
        return {};
    }

    // Starts the program and brings a chat window to the front; true once the toolbar is on it.
    bool StartWithChatInFront() {
        m_program = std::make_unique<RunningProgram>((m_folder / "Quillmar.exe").string());
        if (!m_program->started || MainWindowOf(*m_program, 10000ms) == nullptr) return false;
        m_chat = std::make_unique<TestChatWindow>(L"john - Send Message", L"hello", 150, 120, 560, 220);
        m_chat->BringToFront();
        return PumpUntil([&] { return Toolbar() != nullptr && IsWindowVisible(Toolbar()); }, 5000ms);
    }

    HWND Toolbar() const { return ToolbarOf(*m_program); }

    Pixels ToolbarPixels() const {
        RECT area{};
        GetWindowRect(Toolbar(), &area);
        return CaptureScreen(area);
    }

    // Waits (pumping the chat window) until the toolbar shows `expected` outside its captions; the
    // mismatches last seen.
    int WaitForToolbar(const Pixels& expected) {
        int last = -1;
        PumpUntil(
            [&] {
                last = Mismatches(ToolbarPixels(), expected);
                return last == 0;
            },
            5000ms);
        return last;
    }

    // Opens the options menu with a click on the menu button (posted to the toolbar, as the follow tests
    // do), goes to "Select a Skin" and chooses the skin row `row` there with real keys.
    void ChooseSkinRow(std::size_t row) {
        const LPARAM onMenuButton = MAKELPARAM(kToolbarWidth - 8, 7);
        PostMessageW(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, onMenuButton);
        PostMessageW(Toolbar(), WM_LBUTTONUP, 0, onMenuButton);
        ASSERT_TRUE(PumpUntil([] { return OpenMenu(0ms) != nullptr; }, 3000ms)) << "the options menu never opened";
        PumpFor(200ms);
        // Nothing chosen yet: down goes to "Quillmar Settings", "Translation service...", "Skin designer",
        // "Select a Skin".
        for (int i = 0; i < 4; ++i) PressKey(VK_DOWN);
        PressKey(VK_RIGHT);  // opens the submenu on its first row
        for (std::size_t i = 0; i < row; ++i) PressKey(VK_DOWN);
        PressKey(VK_RETURN);
        PumpUntil([] { return OpenMenu(0ms) == nullptr; }, 3000ms);
        m_chat->BringToFront();
    }

    static std::size_t RowOf(const std::vector<std::wstring>& rows, const std::wstring& title) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] == title) return i;
        }
        ADD_FAILURE() << "no row for that skin";
        return 0;
    }

    std::unique_ptr<RunningProgram> m_program;
    std::unique_ptr<TestChatWindow> m_chat;

private:
    std::optional<std::wstring> m_savedSkin;
    fs::path m_samples;
    fs::path m_folder;
};

// The skin stored as "CurrentSkin" is on the toolbar from the start, pixel for pixel; another skin
// chosen from the menu replaces it and is stored.
TEST_F(SkinsOnScreen, TheProgramStartsWithTheStoredSkinAndAChosenSkinReplacesIt) {
    const fs::path midnight = AddSample("Midnight");
    const fs::path daylight = AddSample("Daylight");
    AddSample("HighContrast");
    const Pixels midnightLook = ExpectedToolbar(midnight);
    const Pixels daylightLook = ExpectedToolbar(daylight);
    ASSERT_GT(Mismatches(midnightLook, daylightLook), 100) << "the two skins must look different";
    WriteCurrentSkin(L"Midnight");

    ASSERT_TRUE(StartWithChatInFront()) << "the toolbar never showed";
    EXPECT_EQ(WaitForToolbar(midnightLook), 0);

    ChooseSkinRow(RowOf(SkinRows(Skins()), L"Daylight"));
    EXPECT_EQ(WaitForToolbar(daylightLook), 0);
    EXPECT_EQ(ReadCurrentSkin(), L"Daylight");
}

// A skin folder dropped in while the program runs is offered the next time the menu opens; choosing
// "Default Skin" afterwards brings back exactly the look the program started with.
TEST_F(SkinsOnScreen, ASkinAddedWhileRunningIsOfferedAndDefaultSkinBringsTheBuiltInLookBack) {
    fs::create_directories(Skins() / "!Unfinished");  // no skin file: "Default Skin" keeps the first row
    WriteCurrentSkin(std::nullopt);
    ASSERT_TRUE(StartWithChatInFront()) << "the toolbar never showed";
    PumpFor(500ms);
    const Pixels builtin = ToolbarPixels();

    const fs::path midnight = AddSample("Midnight");
    const std::vector<std::wstring> rows = SkinRows(Skins());
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0], L"Default Skin") << "the folder without a skin file must be listed first";
    const Pixels midnightLook = ExpectedToolbar(midnight);
    ASSERT_GT(Mismatches(builtin, midnightLook), 100);

    ChooseSkinRow(RowOf(rows, L"Midnight"));
    EXPECT_EQ(WaitForToolbar(midnightLook), 0);
    EXPECT_EQ(ReadCurrentSkin(), L"Midnight");

    ChooseSkinRow(0);
    EXPECT_TRUE(PumpUntil([&] { return ToolbarPixels() == builtin; }, 5000ms))
        << Mismatches(ToolbarPixels(), builtin) << " pixels differ from the built-in look";
    EXPECT_EQ(ReadCurrentSkin(), L"Default Skin");
}

}  // namespace

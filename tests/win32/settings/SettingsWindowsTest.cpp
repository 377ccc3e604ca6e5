// winsock2.h must come before windows.h.
#include <winsock2.h>
//
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "MessageBoxAnswerer.h"
#include "DesktopInput.h"
#include "TestChatWindow.h"
#include "app/frmMain.h"
#include "connection/WinLoopbackServer.h"
#include "fakes/FakeDialogs.h"
#include "follow/frmFollow.h"
#include "forms/Twips.h"
#include "skins/frmSettings.h"
#include "win32/WinEventLoop.h"
#include "win32/WinPictures.h"
#include "win32/WinProfileFiles.h"
#include "win32/WinProgram.h"
#include "win32/WinSettingsStore.h"
#include "win32/WinText.h"

namespace quillmar {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing::ClickAt;
using testing::PressKeysInMenu;

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return win32::RunMessageLoopUntil(done, limit);
}

RECT RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// A real click in the middle of a control (or near its left edge, where a check box has its square).
void ClickControl(HWND dialog, int id, bool nearLeft = false) {
    const RECT r = RectOf(GetDlgItem(dialog, id));
    ClickAt(nearLeft ? r.left + 6 : (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::optional<std::wstring> RunValue() {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"QUILLMAR", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

// The host path of a file the build knows; under Wine the host's root is drive Z:.
fs::path AssetPath(const char* name) {
    std::wstring path = win32::Utf8ToWide(std::string(QUILLMAR_ASSETS_DIR) + "/" + name);
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        path = L"Z:" + path;
    }
    return path;
}

class SettingsWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { win32::EnsureGdiplus(); }
    void SetUp() override { RemoveWhatTheDialogWrites(); }
    void TearDown() override {
        program.reset();
        RemoveWhatTheDialogWrites();
    }
    static void RemoveWhatTheDialogWrites() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"QUILLMAR");
            RegCloseKey(key);
        }
        const std::wstring settings =
            win32::Utf8ToWide(win32::WinSettingsStore::KeyFor(kSettingsApp, kSettingsSection));
        if (RegOpenKeyExW(HKEY_CURRENT_USER, settings.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"loadwin");
            RegDeleteValueW(key, L"CurrentSkin");
            RegCloseKey(key);
        }
    }

    void StartProgram() {
        program = std::make_unique<win32::WinProgram>(
            "127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()), &commonDialogs);
        program->Start();
    }
    Application& App() { return program->App(); }
    HWND Dialog() { return App().IsSettingsLoaded() ? reinterpret_cast<HWND>(App().SettingsDialog().Hwnd()) : nullptr; }
    std::string LoadWin() { return win32::WinSettingsStore().GetSetting(kSettingsApp, kSettingsSection, "loadwin", "<none>"); }

    // "&Settings" of the tray menu, chosen with the keys as a user would; the dialog once it is in front.
    HWND SettingsFromTheTray() {
        std::thread keys([] { PressKeysInMenu({VK_DOWN, VK_DOWN, VK_RETURN}); });  // About, Settings
        PostMessageW(program->MainWindow(), frmMain::kCallbackMessage, 1, WM_RBUTTONUP);
        const bool shown = PumpUntil([&] { return Dialog() != nullptr && GetForegroundWindow() == Dialog(); }, 4000ms);
        keys.join();
        return shown ? Dialog() : nullptr;
    }

    fakes::FakeCommonDialogs commonDialogs;
    std::unique_ptr<win32::WinProgram> program;
};

// The settings face from the tray: the window as laid out, the box ticked with a click and OK writing the
// quoted Run value and "true"; opened again, the box shows ticked, and OK with it clear writes the empty
// value and "false".
TEST_F(SettingsWindowsTest, TheTrayOpensTheSettingsAndOkWritesTheRunValueAsTheBoxSays) {
    StartProgram();
    HWND dialog = SettingsFromTheTray();
    ASSERT_NE(dialog, nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"QUILLMAR SETTINGS");
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 378);  // 5670 x 6420 twips
    EXPECT_EQ(client.bottom, 428);
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_NE(GetWindow(dialog, GW_OWNER), nullptr);  // no taskbar button
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
    // Frame2 lies above Frame1 in the stacking order, every other control above both frames.
    std::vector<int> order;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        order.push_back(GetDlgCtrlID(child));
    }
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[order.size() - 2], frmSettings::kFrame2);
    EXPECT_EQ(order.back(), frmSettings::kFrame1);
    EXPECT_EQ(SendDlgItemMessageW(dialog, frmSettings::kCheck1, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    ClickControl(dialog, frmSettings::kCheck1, true);
    ASSERT_TRUE(PumpUntil([&] { return App().SettingsDialog().Check1Value == 1; }, 2000ms));
    ClickControl(dialog, frmSettings::kCommand1);
    ASSERT_TRUE(PumpUntil([&] { return !App().IsSettingsLoaded(); }, 2000ms));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(RunValue(), L"\"" + win32::Utf8ToWide(program->State().ExePath) + L"\"");
    EXPECT_EQ(LoadWin(), "true");

    dialog = SettingsFromTheTray();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(dialog, frmSettings::kCheck1, BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickControl(dialog, frmSettings::kCheck1, true);
    ASSERT_TRUE(PumpUntil([&] { return App().SettingsDialog().Check1Value == 0; }, 2000ms));
    ClickControl(dialog, frmSettings::kCommand1);
    ASSERT_TRUE(PumpUntil([&] { return !App().IsSettingsLoaded(); }, 2000ms));
    EXPECT_EQ(RunValue(), L"");  // kept, empty
    EXPECT_EQ(LoadWin(), "false");
}

// "Skin designer" from the toolbar's options menu turns the open settings window into the designer:
// the same window, same left and top, shorter, with Frame2 moved up and the option group gone.
TEST_F(SettingsWindowsTest, SkinDesignerFromTheOptionsMenuTurnsTheOpenDialogIntoTheDesignerInPlace) {
    StartProgram();
    App().ShowSettings();
    HWND dialog = Dialog();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 2000ms));
    const RECT before = RectOf(dialog);

    // The chat window's title bar, where the toolbar sits, above the centred dialog.
    testing::TestChatWindow chat(L"john - Send Message", L"hello", 60, 10, 560, 120);
    chat.BringToFront();
    HWND toolbar = reinterpret_cast<HWND>(App().FollowForm().Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(toolbar) != FALSE; }, 3000ms));
    // Quillmar Settings, Translation service..., Skin designer
    std::thread keys([] { PressKeysInMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}); });
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(241 - 8, 7));  // the menu button
    PostMessageW(toolbar, WM_LBUTTONUP, 0, MAKELPARAM(241 - 8, 7));
    const bool turned = PumpUntil(
        [&] {
            wchar_t caption[64] = {};
            GetWindowTextW(dialog, caption, 64);
            return std::wstring(caption) == L"SKIN DESIGNER";
        },
        4000ms);
    keys.join();
    ASSERT_TRUE(turned);
    EXPECT_EQ(Dialog(), dialog);
    const RECT after = RectOf(dialog);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, TwipsToPixels(4320 + 800));
    EXPECT_LT(after.bottom - after.top, before.bottom - before.top);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, frmSettings::kCheck1)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, frmSettings::kCommand1)));
    RECT frame2 = RectOf(GetDlgItem(dialog, frmSettings::kFrame2));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame2), 2);
    EXPECT_EQ(frame2.top, TwipsToPixels(210));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, frmSettings::kTxtSkinName)));
}

// A designer save with real pictures: the pickers take real clicks, the file and colour dialogs are the
// test's; the skin file gets its lines in order and the pictures lie beside it.
TEST_F(SettingsWindowsTest, ADesignerSaveWritesTheSkinFileInOrderWithThePicturesBesideItAndTheSkinMenuThenAppliesIt) {
    const fs::path work = fs::temp_directory_path() / ("quillmar-designer-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(work);
    fs::create_directories(work / "pictures");
    fs::create_directories(work / "Night");
    for (const char* name : {"menu.gif", "select.gif", "translate.gif", "status.gif"}) {
        fs::copy_file(AssetPath(name), work / "pictures" / name);
    }
    auto picture = [&](const char* name) { return win32::WideToUtf8((work / "pictures" / name).wstring()); };
    const fs::path skin = work / "Night" / "night.QSK";

    StartProgram();
    App().ShowDesigner();
    HWND dialog = Dialog();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == dialog; }, 2000ms));
    SetDlgItemTextW(dialog, frmSettings::kTxtSkinName, L"Night Sky");
    ClickControl(dialog, frmSettings::kCommand4);
    ASSERT_TRUE(PumpUntil([&] { return App().SettingsDialog().SkinName == "Night Sky"; }, 2000ms));

    struct Pick {
        int id;
        const char* file;
        Colour colour;
    };
    const std::vector<Pick> picks{{frmSettings::kPicture4, "menu.gif", 0},
                                  {frmSettings::kPicture5, "select.gif", 0},
                                  {frmSettings::kPicture6, "translate.gif", 0},
                                  {frmSettings::kPicture11, "status.gif", 0},
                                  {frmSettings::kPicture7, nullptr, 0x0000FF},
                                  {frmSettings::kPicture8, nullptr, 0x00FF00},
                                  {frmSettings::kPicture10, nullptr, 0xFF0000}};
    for (const Pick& pick : picks) {
        if (pick.file != nullptr) commonDialogs.ChooseFile(picture(pick.file));
        else commonDialogs.ChooseColour(pick.colour);
        const std::size_t calls = commonDialogs.calls.size();
        ClickControl(dialog, pick.id);
        ASSERT_TRUE(PumpUntil([&] { return commonDialogs.calls.size() == calls + 1; }, 2000ms)) << pick.id;
    }
    EXPECT_EQ(App().SettingsDialog().pbMenu.source, picture("menu.gif"));
    EXPECT_EQ(App().SettingsDialog().lblStatusColour, 0xFF0000);

    commonDialogs.ChooseFile(win32::WideToUtf8(skin.wstring()));
    win32::MessageBoxAnswerer done(IDOK);
    ClickControl(dialog, frmSettings::kCommand5);
    ASSERT_TRUE(PumpUntil([&] { return done.found == 1; }, 4000ms));
    EXPECT_EQ(done.title, "DONE !");
    EXPECT_EQ(done.text, "Saved Skin [Night Sky] and graphic files to :" + win32::WideToUtf8((work / "Night").wstring()) + "\\");

    std::vector<std::string> lines;
    if (FILE* file = _wfopen(skin.c_str(), L"rb")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof(buffer), file) != nullptr) {
            std::string line(buffer);
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            // The profile writer may or may not keep the blank before a colour number.
            const std::size_t equals = line.find("= ");
            if (equals != std::string::npos) line.erase(equals + 1, 1);
            if (!line.empty()) lines.push_back(line);
        }
        std::fclose(file);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"[Details]", "menufile=menu.gif", "selectfile=select.gif",
                                               "SelectCol=255", "translateFile=translate.gif",
                                               "translateCol=65280", "statusFile=status.gif",
                                               "StatusCol=16711680", "[Skin]", "title=Night Sky"}));
    for (const char* name : {"menu.gif", "select.gif", "translate.gif", "status.gif"}) {
        EXPECT_EQ(fs::file_size(work / "Night" / name), fs::file_size(work / "pictures" / name)) << name;
    }
    win32::WinProfileFiles profiles;
    EXPECT_EQ(profiles.ReadString(win32::WideToUtf8(skin.wstring()), "Skin", "title", "", 256), "Night Sky");

    // The skin menu, built over the folder the skin went to, offers it, and choosing it puts its pictures on
    // the toolbar.
    App().Skins().BuildSkinMenu(win32::WideToUtf8(work.wstring()) + "\\");
    const std::vector<MenuItemView> rows = App().Skins().SkinMenuViews();
    std::size_t row = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].caption == "Night Sky") row = i;
    }
    ASSERT_LT(row, rows.size());
    App().ChooseSkin(row);
    EXPECT_EQ(App().FollowForm().Picture1().picture.source, win32::WideToUtf8((work / "Night" / "translate.gif").wstring()));
    EXPECT_EQ(App().State().CurrentSkinName, "Night Sky");

    program.reset();
    fs::remove_all(work);
}

}  // namespace
}  // namespace quillmar

// The sample skins as the program finds them in skins\ beside itself: listed, and applied with every
// picture at its built-in size and every colour taken.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>

#include "skins/SkinStuff.h"
#include "win32/WinFileSystem.h"
#include "win32/WinPictures.h"
#include "win32/WinProfileFiles.h"
#include "win32/WinText.h"

namespace quillmar {
namespace {

std::string SkinsBesideThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.erase(folder.rfind(L'\\') + 1);
    return win32::WideToUtf8(folder) + "skins\\";
}

class RecordingTargets : public SkinTargets {
public:
    void SetButtonPicture(Button button, const Picture& picture) override {
        buttons[static_cast<int>(button)] = picture;
    }
    void SetPairLabelColour(Colour colour) override { pairColour = colour; }
    void SetTranslateLabelColour(Colour colour) override { translateColour = colour; }
    void LoadStatusWindow() override {}
    void SetStatusPicture(const Picture& picture) override { status = picture; }
    void SetStatusLabelColour(Colour colour) override { statusColour = colour; }

    std::map<int, Picture> buttons;
    Picture status;
    std::optional<Colour> pairColour, translateColour, statusColour;
};

class NoSettings : public SettingsStore {
public:
    std::string GetSetting(const std::string&, const std::string&, const std::string&,
                           const std::string& fallback) override {
        return fallback;
    }
    SystemResult SaveSetting(const std::string&, const std::string&, const std::string&,
                             const std::string&) override {
        return SystemResult::Success();
    }
};

class SampleSkins : public ::testing::Test {
protected:
    win32::WinFileSystem m_files;
    win32::WinProfileFiles m_profiles;
    win32::WinPictures m_pictures;
    NoSettings m_settings;
    RecordingTargets m_targets;
    SkinStuff m_skins{m_files, m_profiles, m_pictures, m_settings, m_targets};
};

TEST_F(SampleSkins, ThreeSkinsAreListedAndEachAppliesCompletelyAtTheBuiltInSizes) {
    m_skins.BuildSkinMenu(SkinsBesideThisProgram());
    ASSERT_EQ(m_skins.SkinSlotCount(), 3);
    std::set<std::string> titles;
    for (int i = 0; i < 3; ++i) {
        const std::optional<SkinSlot> slot = m_skins.Slot(i);
        ASSERT_TRUE(slot.has_value()) << i;
        titles.insert(slot->title);
    }
    EXPECT_EQ(titles, (std::set<std::string>{"Midnight", "Daylight", "High Contrast"}));

    for (const std::string& title : titles) {
        m_targets = RecordingTargets{};
        m_skins.ApplySkin(title);
        SCOPED_TRACE(title);
        ASSERT_EQ(m_targets.buttons.size(), 3u);
        const std::pair<int, int> sizes[] = {{0, 0}, {71, 15}, {153, 15}, {17, 15}};
        for (int button = 1; button <= 3; ++button) {
            const Picture& picture = m_targets.buttons[button];
            EXPECT_NE(picture.source.find("\\skins\\"), std::string::npos) << picture.source;
            EXPECT_EQ(picture.width, sizes[button].first) << picture.source;
            EXPECT_EQ(picture.height, sizes[button].second) << picture.source;
        }
        EXPECT_EQ(m_targets.status.width, 123);
        EXPECT_EQ(m_targets.status.height, 25);
        EXPECT_TRUE(m_targets.pairColour && m_targets.translateColour && m_targets.statusColour);
    }

    // The dark and the high-contrast skins need light text: any black label would be unreadable.
    m_skins.ApplySkin("High Contrast");
    EXPECT_EQ(m_targets.translateColour, Colour{0x00FFFF});  // yellow: red + 256 * green
    EXPECT_EQ(m_targets.pairColour, Colour{0xFFFFFF});
}

}  // namespace
}  // namespace quillmar

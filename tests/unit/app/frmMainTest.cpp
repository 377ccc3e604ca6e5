#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frmMain.h"
#include "fakes/FakeAppPorts.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeFollowPorts.h"

namespace quillmar {
namespace {

// Journals what start-up asks of the rest of the program, in one list with the tray icon's calls.
class RecordingForms : public MainForms {
public:
    explicit RecordingForms(std::vector<std::string>& journal) : m_journal(journal) {}
    void BuildSkinMenu() override { m_journal.push_back("build skin menu"); }
    void LoadFollowForm() override { m_journal.push_back("load frmFollow"); }
    void LoadSocketForm() override { m_journal.push_back("load frmSocket"); }
    void ApplySkin(const std::string& name) override { m_journal.push_back("apply " + name); }
    void ShowAbout() override { m_journal.push_back("show about"); }
    void ShowSettings() override { m_journal.push_back("show settings"); }
    void ShowService() override { m_journal.push_back("show service"); }
    [[noreturn]] void ExitProgram() override {
        m_journal.push_back("exit");
        throw fakes::ProcessEnded{};
    }

private:
    std::vector<std::string>& m_journal;
};

class frmMainTest : public ::testing::Test {
protected:
    frmMain& Load(ProgramLocation location) {
        form = std::make_unique<frmMain>(forms, state, MainPorts{tray, settings, menus}, std::move(location),
                                         0x4000);
        form->Form_Load();
        return *form;
    }

    std::vector<std::string> journal;
    RecordingForms forms{journal};
    fakes::FakeTrayIcons tray{journal};
    fakes::FakeSettingsStore settings;
    fakes::FakePopupMenus menus;
    ProgramState state;
    std::unique_ptr<frmMain> form;
};

TEST_F(frmMainTest, StartUpRunsInItsFixedOrderAndAppliesTheStoredSkinLast) {
    settings.values["QUILLMAR|settings|CurrentSkin"] = "Blue";
    tray.addSucceeds = false;  // a failed icon changes nothing
    Load({"C:\\Tools\\Q", "tr"});
    EXPECT_EQ(journal, (std::vector<std::string>{"add icon", "build skin menu", "load frmFollow",
                                                 "load frmSocket", "apply Blue"}));
    ASSERT_EQ(tray.added.size(), 1u);
    EXPECT_EQ(tray.added[0].owner, WindowHandle{0x4000});
    EXPECT_EQ(tray.added[0].id, 1u);
    EXPECT_EQ(tray.added[0].callbackMessage, 512u);
    EXPECT_EQ(tray.added[0].tip, "QUILLMAR");
    EXPECT_EQ(state.CurrentSkinName, "Blue");
}

TEST_F(frmMainTest, NoStoredSkinAppliesNothing) {
    Load({"C:\\Tools\\Q", "tr"});
    EXPECT_EQ(journal.back(), "load frmSocket");
    EXPECT_EQ(state.CurrentSkinName, "");
}

TEST_F(frmMainTest, PathsFromAFolderAndFromADriveRoot) {
    Load({"C:\\Tools\\Q", "tr"});
    EXPECT_EQ(state.ExePath, "C:\\Tools\\Q\\tr.exe");
    EXPECT_EQ(state.SkinsPath, "C:\\Tools\\Q\\skins\\");
    Load({"D:\\", "tr"});
    EXPECT_EQ(state.ExePath, "D:\\tr.exe");
    EXPECT_EQ(state.SkinsPath, "D:\\skins\\");
}

TEST_F(frmMainTest, OnlyARightButtonReleaseOpensTheTrayMenu) {
    Load({"C:\\Q", "tr"});
    // Mouse move, left down/up/double, right down and double, middle down/up: nothing.
    for (int message : {512, 513, 514, 515, 516, 518, 519, 520}) form->Form_MouseMove(0, 0, message * 15.0, 0);
    form->Form_MouseMove(0, 0, 517 * 15 + 8.0, 0);  // rounds to 518
    EXPECT_TRUE(menus.owners.empty());
    form->Form_MouseMove(0, 0, 517 * 15 - 7.0, 0);  // rounds to 517
    ASSERT_EQ(menus.owners.size(), 1u);
    EXPECT_EQ(menus.owners[0], WindowHandle{0x4000});
    std::vector<std::string> captions;
    for (const MenuItemView& item : menus.shown) captions.push_back(item.caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"&About", "-", "&Settings", "&Translation service...", "-",
                                                  "E&xit"}));
}

TEST_F(frmMainTest, EachTrayItemRunsItsOwnActionAndASeparatorOrDismissalNone) {
    Load({"C:\\Q", "tr"});
    journal.clear();
    for (std::size_t choice : {0u, 1u, 2u, 3u, 4u, 9u}) {
        menus.choice = choice;
        form->Form_MouseMove(0, 0, 517 * 15, 0);
    }
    menus.choice.reset();
    form->Form_MouseMove(0, 0, 517 * 15, 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"show about", "show settings", "show service"}));
    menus.choice = 5;
    EXPECT_THROW(form->Form_MouseMove(0, 0, 517 * 15, 0), fakes::ProcessEnded);
    EXPECT_EQ(journal.back(), "exit");
}

}  // namespace
}  // namespace quillmar

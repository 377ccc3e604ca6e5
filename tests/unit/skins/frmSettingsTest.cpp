#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeViews.h"
#include "skins/AutoStart.h"
#include "skins/frmSettings.h"

namespace quillmar {
namespace {

using fakes::FakeCommonDialogs;

constexpr const char* kExe = "C:\\Program Files\\Quillmar\\Quillmar.exe";
constexpr const char* kSkin = "C:\\Q\\skins\\mine\\mine.QSK";

// Files by lower-case path; a copy fails for a missing source or a locked destination.
class TestFiles : public fakes::NullFileSystem {
public:
    bool FileExists(const std::string& path) override { return files.count(Low(path)) != 0; }
    SystemResult Copy(const std::string& from, const std::string& to) override {
        copies.push_back(from + ">" + to);
        if (!FileExists(from) || locked.count(Low(to))) return SystemResult::Failure(5, "Access is denied.");
        files.insert(Low(to));
        return SystemResult::Success();
    }
    SystemResult Remove(const std::string& path) override {
        files.erase(Low(path));
        return SystemResult::Success();
    }
    static std::string Low(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    }
    std::set<std::string> files, locked;
    std::vector<std::string> copies;
};

// Profile writes logged in order; the file comes into being with its first write; `failAt` fails one.
class TestProfiles : public fakes::FakeProfileFiles {
public:
    explicit TestProfiles(TestFiles& files) : m_files(files) {}
    SystemResult WriteString(const std::string& path, const std::string& section, const std::string& key,
                             const std::optional<std::string>& value) override {
        if (++count == failAt) return SystemResult::Failure(112, "There is not enough space on the disk.");
        writes.push_back(section + "|" + key + "=" + value.value_or("<none>"));
        if (value) m_files.files.insert(TestFiles::Low(path));
        return FakeProfileFiles::WriteString(path, section, key, value);
    }
    std::string Get(const std::string& section, const std::string& key) {
        return ReadString(kSkin, section, key, "<absent>", 255);
    }
    std::vector<std::string> writes;
    int count = 0, failAt = 0;

private:
    TestFiles& m_files;
};

class TestShell : public Shell {
public:
    SystemResult OpenAddress(const std::string& address) override {
        opened.push_back(address);
        return {};
    }
    SystemResult StartProgram(const std::string&) override { return {}; }
    std::vector<std::string> opened;
};

// What the dialog asked of the program around it.
struct Told {
    int about = 0;
    bool closed = false;
};

struct Settings : ::testing::Test {
    fakes::FakeSettingsStore store;
    fakes::FakeRegistry registry;
    TestFiles files;
    TestProfiles profiles{files};
    fakes::FakeDialogs boxes;
    FakeCommonDialogs common;
    fakes::FakePictureFiles pictures;
    TestShell shell;
    fakes::FakeWindowState window;
    fakes::FakeDialogViews views;
    Told view;
    DesignerChoices choices;

    std::unique_ptr<frmSettings> Load() {
        auto form = std::make_unique<frmSettings>(
            views, SettingsPorts{store, registry, profiles, files, boxes, common, pictures, shell, window, window},
            choices, kExe, "http://home/cgi-bin/quillmarskins.cgi#submit", [this] { ++view.about; },
            [this] { view.closed = true; });
        views.screen = {0, 0, 19200, 14400};
        views.frame = {0, 0, 90, 390};
        form->Form_Load();
        return form;
    }
    void Picture(const std::string& path) {
        files.files.insert(TestFiles::Low(path));
        pictures.sizes[path] = {10, 10};
    }
    // A name set and all four pictures chosen through the pickers.
    std::unique_ptr<frmSettings> ReadyDesigner() {
        auto form = Load();
        form->txtSkinName = "Mine";
        form->Command4_Click();
        for (const char* p : {"C:\\a\\menu.gif", "C:\\a\\sel.gif", "C:\\a\\tr.gif", "C:\\a\\st.gif"}) {
            Picture(p);
            common.ChooseFile(p);
        }
        form->Picture4_Click();
        form->Picture5_Click();
        form->Picture6_Click();
        form->Picture11_Click();
        return form;
    }
    std::string Loadwin() { return store.values["QUILLMAR|settings|loadwin"]; }
};

TEST_F(Settings, LoadwinTicksTheBoxOnlyForExactlyTrue) {
    EXPECT_EQ(Load()->Check1Value, 0);
    for (const char* stored : {"True", "TRUE", "true ", "false"}) {
        store.values["QUILLMAR|settings|loadwin"] = stored;
        EXPECT_EQ(Load()->Check1Value, 0) << stored;
    }
    store.values["QUILLMAR|settings|loadwin"] = "true";
    EXPECT_EQ(Load()->Check1Value, 1);
}

TEST_F(Settings, OkWritesTheQuotedPathOrAnEmptyValueAndCloses) {
    auto form = Load();
    form->Check1Value = 1;
    form->Command1_Click();
    EXPECT_EQ(registry.String(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR"), "\"C:\\Program Files\\Quillmar\\Quillmar.exe\"");
    EXPECT_EQ(Loadwin(), "true");
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(registry.OpenKeys(), 0u);

    view.closed = false;
    form = Load();
    form->Check1Value = 0;
    form->Command1_Click();
    EXPECT_EQ(registry.String(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR"), std::optional<std::string>(""));  // kept as an empty value, not deleted
    EXPECT_EQ(Loadwin(), "false");
    EXPECT_TRUE(view.closed);
}

TEST_F(Settings, AFailedRunKeyWriteIsReportedStoresWhatTheKeyHoldsAndStaysOpen) {
    registry.SetString(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR", "");
    auto form = Load();
    form->Check1Value = 1;
    registry.failSet = "Access is denied.";
    form->Command1_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("Access is denied."), std::string::npos);
    EXPECT_EQ(Loadwin(), "false");
    EXPECT_EQ(form->Check1Value, 0);
    EXPECT_FALSE(view.closed);
    EXPECT_EQ(registry.OpenKeys(), 0u);

    // Turning it off fails too: the entry still starts the program, and the box says so.
    registry.failSet.reset();
    registry.SetString(RegistryRoot::CurrentUser, kRunKeyPath, "QUILLMAR", RunValueFor(kExe));
    registry.failCreate = "Access is denied.";
    form->Check1Value = 0;
    form->Command1_Click();
    EXPECT_EQ(Loadwin(), "true");
    EXPECT_EQ(form->Check1Value, 1);
    EXPECT_FALSE(view.closed);
}

TEST_F(Settings, CancelAndAboutSaveNothing) {
    auto form = Load();
    form->Check1Value = 1;
    form->Command3_Click();
    EXPECT_EQ(view.about, 1);
    EXPECT_FALSE(view.closed);
    form->Command2_Click();
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(store.values.empty());
    EXPECT_EQ(registry.ValueCount(), 0u);
}

TEST_F(Settings, FacesKeepTheTopEdgeAndHaveNoWayBack) {
    auto form = Load();
    EXPECT_EQ(form->Bounds.width, 5760);
    EXPECT_EQ(form->Bounds.height, 6810);
    EXPECT_EQ(form->Bounds.left, 19200 / 2 - 5760 / 2);
    EXPECT_EQ(form->Bounds.top, 14400 / 2 - 6810 / 2);
    EXPECT_EQ(window.log, std::vector<std::string>{"topmost"});
    const TwipsRect before = form->Bounds;
    form->ShowDesignerFace();
    EXPECT_EQ(form->Caption, "SKIN DESIGNER");
    EXPECT_EQ(form->Frame2Top, 210);
    EXPECT_EQ(form->Bounds.height, 5120);
    EXPECT_EQ(form->Bounds.left, before.left);
    EXPECT_EQ(form->Bounds.top, before.top);
    form->ShowSettingsFace();
    EXPECT_EQ(form->Caption, "SKIN DESIGNER");
    EXPECT_EQ(form->Bounds.height, 5120);
    EXPECT_EQ(views.dialog->shows, 2);
}

TEST_F(Settings, PickersSetTheirChoiceOnlyOnASuccessfulPick) {
    auto form = Load();
    Picture("C:\\a\\menu.gif");
    common.ChooseFile("C:\\a\\menu.gif");
    form->Picture4_Click();
    EXPECT_EQ(common.calls[0].state.Filter, "Image Files|*.gif;*.jpg;*.bmp|");
    EXPECT_EQ(common.calls[0].state.Flags, 0x1000u);
    EXPECT_TRUE(common.calls[0].state.CancelError);
    EXPECT_EQ(choices.DesignMenuFile, "C:\\a\\menu.gif");
    EXPECT_EQ(form->pbMenu.source, "C:\\a\\menu.gif");

    common.Cancel();
    form->Picture4_Click();
    files.files.insert("c:\\a\\broken.gif");  // exists, but is no picture
    common.ChooseFile("C:\\a\\broken.gif");
    form->Picture4_Click();
    EXPECT_EQ(choices.DesignMenuFile, "C:\\a\\menu.gif");
    EXPECT_EQ(form->pbMenu.source, "C:\\a\\menu.gif");
    // The file name chosen last starts the next file dialog.
    EXPECT_EQ(common.calls[1].state.FileName, "C:\\a\\menu.gif");

    EXPECT_FALSE(choices.DesignSelectCol.has_value());
    common.ChooseColour(0xFF0000);
    form->Picture7_Click();
    EXPECT_EQ(choices.DesignSelectCol, " 16711680");
    EXPECT_EQ(form->lblSelectorColour, 0xFF0000);
    common.Cancel();
    form->Picture7_Click();
    EXPECT_EQ(common.calls.back().state.Color, 0xFF0000u);  // starts from the label's colour
    EXPECT_EQ(choices.DesignSelectCol, " 16711680");
    EXPECT_EQ(ColourText(0), " 0");
}

TEST_F(Settings, SaveWritesEveryKeyInOrderAndSaysDoneAboveTheDialog) {
    auto form = ReadyDesigner();
    common.ChooseColour(255);
    form->Picture7_Click();
    common.ChooseColour(65280);
    form->Picture8_Click();
    common.ChooseColour(1);
    form->Picture10_Click();
    common.ChooseFile(kSkin);
    window.log.clear();
    form->Command5_Click();
    const auto& save = common.calls.back().state;
    EXPECT_EQ(save.Filter, "Skin Files *.QSK|*.QSK|");
    EXPECT_EQ(save.Flags, 0x2002u);
    EXPECT_EQ(save.FileName, "C:\\a\\st.gif");
    EXPECT_EQ(profiles.writes,
              (std::vector<std::string>{"Details|menufile=menu.gif", "Details|selectfile=sel.gif",
                                        "Details|SelectCol= 255", "Details|translateFile=tr.gif",
                                        "Details|translateCol= 65280", "Details|statusFile=st.gif",
                                        "Details|StatusCol= 1", "Skin|title=Mine"}));
    EXPECT_TRUE(files.FileExists("C:\\Q\\skins\\mine\\sel.gif"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Saved Skin [Mine] and graphic files to :C:\\Q\\skins\\mine\\");
    EXPECT_EQ(boxes.shown[0].title, "DONE !");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(window.log, (std::vector<std::string>{"hourglass", "notopmost", "topmost", "pointer"}));
}

TEST_F(Settings, SaveOverAnOldSkinRemovesUnpickedColoursAndKeepsForeignKeys) {
    profiles.Set(kSkin, "Details", "selectcol", " 5");
    profiles.Set(kSkin, "Details", "extra", "x");
    profiles.Set(kSkin, "Other", "k", "v");
    files.files.insert(TestFiles::Low(kSkin));
    auto form = ReadyDesigner();
    common.ChooseFile(kSkin);
    form->Command5_Click();
    EXPECT_EQ(profiles.Get("Details", "SelectCol"), "<absent>");
    EXPECT_EQ(profiles.Get("Details", "extra"), "x");
    EXPECT_EQ(profiles.Get("Other", "k"), "v");
    EXPECT_EQ(profiles.Get("Skin", "title"), "Mine");
}

TEST_F(Settings, EveryEarlyEndShowsItsMessageWritesNothingAndRestoresThePointer) {
    auto form = Load();
    form->txtSkinName = "typed but not set";
    form->Command5_Click();
    EXPECT_EQ(boxes.shown.back().text, "You Must Supply A Skin Name");
    EXPECT_EQ(views.dialog->focused, frmSettings::kTxtSkinName);
    EXPECT_TRUE(common.calls.empty());
    EXPECT_EQ(window.pointer, PointerShape::Default);

    form->Command4_Click();
    common.Cancel();
    form->Command5_Click();  // cancelled save dialog
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(window.pointer, PointerShape::Default);

    const char* messages[] = {"you must supply a menu button graphic", "you must supply a selector button graphic",
                              "you must supply a translate button graphic", "you must supply a status button graphic"};
    void (frmSettings::*pickers[])() = {&frmSettings::Picture4_Click, &frmSettings::Picture5_Click,
                                        &frmSettings::Picture6_Click, &frmSettings::Picture11_Click};
    for (int i = 0; i < 4; ++i) {
        common.ChooseFile(kSkin);
        form->Command5_Click();
        EXPECT_EQ(boxes.shown.back().text, messages[i]);
        EXPECT_EQ(window.pointer, PointerShape::Default);
        const std::string picture = "C:\\p\\" + std::to_string(i) + ".gif";
        Picture(picture);
        common.ChooseFile(picture);
        (form.get()->*pickers[i])();
    }
    // Nothing copied or written by any of the ends: no half skin with no title.
    EXPECT_TRUE(profiles.writes.empty());
    EXPECT_TRUE(files.copies.empty());
}

TEST_F(Settings, AFailedCopyOrWriteIsReportedAndUndone) {
    auto form = ReadyDesigner();
    files.locked.insert("c:\\q\\skins\\mine\\tr.gif");
    common.ChooseFile(kSkin);
    form->Command5_Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("tr.gif"), std::string::npos);
    EXPECT_NE(boxes.shown[0].text.find("Access is denied."), std::string::npos);
    EXPECT_FALSE(files.FileExists("C:\\Q\\skins\\mine\\menu.gif"));
    EXPECT_TRUE(profiles.writes.empty());
    EXPECT_EQ(window.pointer, PointerShape::Default);

    files.locked.clear();
    profiles.failAt = 3;
    common.ChooseFile(kSkin);
    form->Command5_Click();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_NE(boxes.shown[1].text.find("not enough space"), std::string::npos);
    EXPECT_NE(boxes.shown[1].title, "DONE !");
    EXPECT_FALSE(files.FileExists(kSkin));
    EXPECT_FALSE(files.FileExists("C:\\Q\\skins\\mine\\st.gif"));
}

TEST_F(Settings, AFailedWriteOverAnOldSkinPutsItsValuesBack) {
    profiles.Set(kSkin, "Details", "menufile", "old.gif");
    profiles.Set(kSkin, "Skin", "title", "Old");
    files.files.insert(TestFiles::Low(kSkin));
    auto form = ReadyDesigner();
    profiles.failAt = 4;  // the translate picture's key
    common.ChooseFile(kSkin);
    form->Command5_Click();
    EXPECT_TRUE(files.FileExists(kSkin));
    EXPECT_EQ(profiles.Get("Details", "menufile"), "old.gif");
    EXPECT_EQ(profiles.Get("Details", "selectfile"), "<absent>");
    EXPECT_EQ(profiles.Get("Skin", "title"), "Old");
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(Settings, SameNamedPicturesStayApartAndAPictureInPlaceIsNotCopied) {
    auto form = Load();
    form->txtSkinName = "Mine";
    form->Command4_Click();
    for (const char* p : {"C:\\Q\\skins\\mine\\b.gif", "C:\\x\\b.gif", "C:\\y\\b.gif", "C:\\x\\b.gif"}) {
        Picture(p);
        common.ChooseFile(p);
    }
    form->Picture4_Click();
    form->Picture5_Click();
    form->Picture6_Click();
    form->Picture11_Click();
    common.ChooseFile(kSkin);
    form->Command5_Click();
    EXPECT_EQ(profiles.Get("Details", "menufile"), "b.gif");
    EXPECT_EQ(profiles.Get("Details", "selectfile"), "b2.gif");
    EXPECT_EQ(profiles.Get("Details", "translateFile"), "b3.gif");
    EXPECT_EQ(profiles.Get("Details", "statusFile"), "b2.gif");
    EXPECT_EQ(files.copies, (std::vector<std::string>{"C:\\x\\b.gif>C:\\Q\\skins\\mine\\b2.gif",
                                                      "C:\\y\\b.gif>C:\\Q\\skins\\mine\\b3.gif"}));
}

TEST_F(Settings, ChoicesOutliveTheDialogButTheNameDoesNot) {
    auto form = ReadyDesigner();
    common.ChooseColour(7);
    form->Picture8_Click();
    form = Load();
    EXPECT_EQ(form->SkinName, "");
    EXPECT_EQ(form->Frame2Caption, "Skin Designer ");
    EXPECT_EQ(form->pbMenu.source, "builtin:menu");
    form->Command4_Click();
    EXPECT_EQ(form->Frame2Caption, "Skin Designer [  ]");
    form->txtSkinName = "Again";
    form->Command4_Click();
    common.ChooseFile(kSkin);
    form->Command5_Click();
    EXPECT_EQ(profiles.Get("Details", "translateCol"), " 7");
    EXPECT_EQ(profiles.Get("Details", "menufile"), "menu.gif");
    EXPECT_EQ(profiles.Get("Skin", "title"), "Again");
}

TEST_F(Settings, SubmitOpensTheSubmissionPage) {
    Load()->Label1_Click();
    EXPECT_EQ(shell.opened, std::vector<std::string>{"http://home/cgi-bin/quillmarskins.cgi#submit"});
}

}  // namespace
}  // namespace quillmar

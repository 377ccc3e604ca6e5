#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeFiles.h"
#include "skins/SkinStuff.h"

namespace quillmar {
namespace {

constexpr const char* kSkins = "C:\\Q\\skins\\";

// The toolbar and status window as far as a skin reaches them; `events` shows the order of changes.
class FakeSkinTargets : public SkinTargets {
public:
    void SetButtonPicture(Button button, const Picture& picture) override {
        buttons[static_cast<int>(button)] = picture;
        events.push_back("picture" + std::to_string(static_cast<int>(button)));
    }
    void SetPairLabelColour(Colour colour) override {
        pairColour = colour;
        events.push_back("pairColour");
    }
    void SetTranslateLabelColour(Colour colour) override {
        translateColour = colour;
        events.push_back("translateColour");
    }
    void LoadStatusWindow() override {
        if (statusLoaded) return;
        statusLoaded = true;
        ++statusLoads;
        if (onStatusLoad) onStatusLoad();
    }
    void SetStatusPicture(const Picture& picture) override {
        statusPicture = picture;
        events.push_back("statusPicture");
    }
    void SetStatusLabelColour(Colour colour) override {
        statusColour = colour;
        events.push_back("statusColour");
    }

    Picture buttons[4] = {
        {}, {"builtin:translate", 71, 15}, {"builtin:select", 153, 15}, {"builtin:menu", 17, 15}};
    Colour pairColour = 0x123456;
    Colour translateColour = 0x123456;
    Picture statusPicture{"builtin:status", 123, 25};
    Colour statusColour = 0x123456;
    bool statusLoaded = false;
    int statusLoads = 0;
    std::function<void()> onStatusLoad;
    std::vector<std::string> events;
};

class SkinStuffTest : public ::testing::Test {
protected:
    // A skin folder under skins\ with its .QSK file (title and [Details] values) and pictures.
    void AddSkin(const std::string& folder, const std::string& file, const std::string& title,
                 std::map<std::string, std::string> details = {}) {
        const std::string path = std::string(kSkins) + folder + "\\" + file;
        files.AddFile(path);
        profiles.Set(path, "Skin", "title", title);
        for (const auto& [key, value] : details) profiles.Set(path, "Details", key, value);
    }
    void AddPicture(const std::string& folder, const std::string& name, int width, int height) {
        const std::string path = std::string(kSkins) + folder + "\\" + name;
        files.AddFile(path);
        pictures.sizes[path] = {width, height};
    }
    // A complete skin as the designer writes it, with its four pictures.
    void AddFullSkin(const std::string& folder, const std::string& title, const std::string& colour) {
        AddSkin(folder, folder + ".QSK", title,
                {{"menufile", "m.gif"},
                 {"selectfile", "s.gif"},
                 {"SelectCol", colour},
                 {"translateFile", "t.gif"},
                 {"translateCol", colour},
                 {"statusFile", "st.gif"},
                 {"StatusCol", colour}});
        for (const char* name : {"m.gif", "s.gif", "t.gif", "st.gif"}) AddPicture(folder, name, 20, 15);
    }
    std::string Path(const std::string& relative) const { return std::string(kSkins) + relative; }
    void ExpectSlot(int index, const std::string& title, const std::string& path) {
        const std::optional<SkinSlot> slot = skins.Slot(index);
        ASSERT_TRUE(slot.has_value()) << index;
        EXPECT_EQ(slot->title, title) << index;
        EXPECT_EQ(slot->path, path) << index;
    }
    void Build() { skins.BuildSkinMenu(kSkins); }

    fakes::FakeFileSystem files;
    fakes::FakeProfileFiles profiles;
    fakes::FakePictureFiles pictures;
    fakes::FakeSettingsStore settings;
    FakeSkinTargets targets;
    SkinStuff skins{files, profiles, pictures, settings, targets};
    std::string current;
};

TEST_F(SkinStuffTest, AFolderWithoutASkinFileLeavesAGapAndSlotZeroUntouched) {
    files.AddFolder(Path("A"));
    AddSkin("B", "b.QSK", "Blue");
    Build();
    EXPECT_EQ(skins.List1(), (std::vector<std::string>{Path("A\\"), Path("B\\")}));
    EXPECT_EQ(skins.SkinSlotCount(), 2);
    ExpectSlot(0, "Default Skin", "Skin Filename");
    ExpectSlot(1, "Blue", Path("B\\b.QSK"));
    EXPECT_EQ(skins.SkinMenuViews().size(), 2u);
}

TEST_F(SkinStuffTest, RebuildsFollowTheFoldersAndSlotZeroKeepsTheLastSkinItWasGiven) {
    AddSkin("A", "a.QSK", "Red");
    AddSkin("B", "b.QSK", "Blue");
    Build();
    ExpectSlot(0, "Red", Path("A\\a.QSK"));
    ExpectSlot(1, "Blue", Path("B\\b.QSK"));

    files.RemoveTree(Path("A"));
    Build();
    ExpectSlot(0, "Blue", Path("B\\b.QSK"));
    EXPECT_FALSE(skins.Slot(1).has_value());
    EXPECT_EQ(skins.SkinSlotCount(), 1);

    // A skin added while the program runs shows at the next build (the next opening of the menu).
    AddSkin("C", "c.QSK", "Green");
    Build();
    ExpectSlot(1, "Green", Path("C\\c.QSK"));

    files.RemoveTree(Path("B"));
    files.RemoveTree(Path("C"));
    Build();
    ExpectSlot(0, "Blue", Path("B\\b.QSK"));  // the last it was given, not "Default Skin" again
    EXPECT_FALSE(skins.Slot(1).has_value());
    EXPECT_TRUE(skins.List1().empty());
    EXPECT_EQ(skins.SkinSlotCount(), 0);
}

TEST_F(SkinStuffTest, OnlyTheFirstNormalSkinFileOfAVisibleFolderCounts) {
    files.AddFile(Path("loose.QSK"));  // directly in skins\: not a skin
    profiles.Set(Path("loose.QSK"), "Skin", "title", "Loose");
    files.AddFolder(Path("Hidden"), true);
    AddSkin("Hidden", "h.QSK", "Hidden");
    files.AddFile(Path("Two\\notes.txt"));
    files.AddFile(Path("Two\\secret.QSK"), true);  // a hidden file is not listed either
    files.AddFolder(Path("Two\\deeper.QSK"));      // nor a folder
    AddSkin("Two", "first.qsk", "First");          // the extension ignores case
    AddSkin("Two", "second.QSK", "Second");
    AddSkin("Untitled", "u.QSK", "");
    profiles.RemoveFile(Path("Untitled\\u.QSK"));
    Build();
    EXPECT_EQ(skins.List1(), (std::vector<std::string>{Path("Two\\"), Path("Untitled\\")}));
    ExpectSlot(0, "First", Path("Two\\first.qsk"));
    ExpectSlot(1, "", Path("Untitled\\u.QSK"));  // no title: an empty caption
}

TEST_F(SkinStuffTest, MenuShowsOneRowPerSlotWithTitlesAsWrittenAndMapsRowsBackToSlots) {
    AddSkin("A", "a.QSK", "Black & White");
    files.AddFolder(Path("Empty"));
    AddSkin("C", "c.QSK", "Blue");
    Build();
    const std::vector<MenuItemView> views = skins.SkinMenuViews();
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0].caption, "Black && White");
    EXPECT_EQ(views[1].caption, "Blue");
    EXPECT_EQ(skins.SlotAtRow(1), 2);
    EXPECT_EQ(skins.SlotAtRow(2), std::nullopt);
}

TEST_F(SkinStuffTest, ApplyingSetsEveryPictureAndColourFromTheSkinFolderInOrder) {
    AddFullSkin("Red", "Red", " 255");
    Build();
    skins.ApplySkin("Red");
    EXPECT_EQ(targets.buttons[3].source, Path("Red\\m.gif"));
    EXPECT_EQ(targets.buttons[2].source, Path("Red\\s.gif"));
    EXPECT_EQ(targets.buttons[1].source, Path("Red\\t.gif"));
    EXPECT_EQ(targets.statusPicture.source, Path("Red\\st.gif"));
    EXPECT_EQ(targets.pairColour, 255u);
    EXPECT_EQ(targets.translateColour, 255u);
    EXPECT_EQ(targets.statusColour, 255u);
    EXPECT_EQ(targets.events, (std::vector<std::string>{"picture3", "picture2", "pairColour", "picture1",
                                                        "translateColour", "statusPicture", "statusColour"}));
}

TEST_F(SkinStuffTest, TitlesMatchWithCaseAndTheLowestSlotWins) {
    AddFullSkin("A", "Blue", "255");
    AddFullSkin("B", "Blue", "65280");
    Build();
    skins.ApplySkin("blue");
    EXPECT_TRUE(targets.events.empty());
    EXPECT_EQ(targets.pairColour, 0x123456u);

    skins.ApplySkin("Blue");
    EXPECT_EQ(targets.pairColour, 255u);
    EXPECT_EQ(targets.buttons[3].source, Path("A\\m.gif"));
}

TEST_F(SkinStuffTest, PicturesThatAreMissingOrDoNotLoadKeepTheOldOnesAndMissingColoursAreBlack) {
    // No menufile, a selector picture that is not there, a translate picture that is not a picture,
    // and no colour keys at all (a designer skin with no colour chosen).
    AddSkin("Odd", "odd.QSK", "Odd",
            {{"selectfile", "gone.gif"},
             {"translateFile", "bad.gif"},
             {"statusFile", "st.gif"},
             {"translateCol", "abc"},
             {"StatusCol", "&H1000000"}});
    files.AddFile(Path("Odd\\bad.gif"));  // exists, but does not load
    AddPicture("Odd", "st.gif", 123, 25);
    Build();
    skins.ApplySkin("Odd");
    EXPECT_EQ(targets.buttons[3].source, "builtin:menu");
    EXPECT_EQ(targets.buttons[2].source, "builtin:select");
    EXPECT_EQ(targets.buttons[1].source, "builtin:translate");
    EXPECT_EQ(targets.statusPicture.source, Path("Odd\\st.gif"));
    EXPECT_EQ(targets.pairColour, 0u);
    EXPECT_EQ(targets.translateColour, 0u);
    EXPECT_EQ(targets.statusColour, 0x123456u);         // not a colour a label takes: unchanged
    EXPECT_EQ(pictures.loaded.front(), Path("Odd\\"));  // the empty menufile names the folder itself
}

TEST_F(SkinStuffTest, ASkinFileDeletedAfterTheBuildKeepsThePicturesAndTurnsTheLabelsBlack) {
    AddFullSkin("Red", "Red", "255");
    Build();
    profiles.RemoveFile(Path("Red\\Red.QSK"));
    skins.ApplySkin("Red");
    EXPECT_EQ(targets.buttons[3].source, "builtin:menu");
    EXPECT_EQ(targets.statusPicture.source, "builtin:status");
    EXPECT_EQ(targets.pairColour, 0u);
    EXPECT_EQ(targets.translateColour, 0u);
    EXPECT_EQ(targets.statusColour, 0u);
}

TEST_F(SkinStuffTest, DefaultSkinInSlotZeroBringsTheBuiltInLookBack) {
    files.AddFolder(Path("Empty"));
    AddFullSkin("Red", "Red", "255");
    Build();
    ASSERT_TRUE(skins.ChooseSkin(1, current));
    ASSERT_EQ(targets.buttons[3].source, Path("Red\\m.gif"));

    ASSERT_TRUE(skins.ChooseSkin(0, current));
    EXPECT_EQ(current, "Default Skin");
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Default Skin");
    EXPECT_EQ(targets.buttons[1].source, "builtin:translate");
    EXPECT_EQ(targets.buttons[1].width, 71);
    EXPECT_EQ(targets.buttons[2].source, "builtin:select");
    EXPECT_EQ(targets.buttons[3].source, "builtin:menu");
    EXPECT_EQ(targets.statusPicture.source, "builtin:status");
    EXPECT_EQ(targets.pairColour, 0u);
    EXPECT_EQ(targets.translateColour, 0u);
    EXPECT_EQ(targets.statusColour, 0u);

    // At the next start the stored name is applied the same way.
    targets.buttons[3] = Picture{Path("Red\\m.gif"), 20, 15};
    skins.ApplySkin(settings.GetSetting("QUILLMAR", "settings", "CurrentSkin", ""));
    EXPECT_EQ(targets.buttons[3].source, "builtin:menu");
}

TEST_F(SkinStuffTest, TheBuiltInLookIsTheOneGivenAndASkinTitledDefaultSkinStillApplies) {
    BuiltinLook look;
    look.pairLabelColour = 0x00FF00;
    look.menuPicture = "builtin:other";
    pictures.sizes["builtin:other"] = {17, 15};
    SkinStuff custom{files, profiles, pictures, settings, targets, look};
    custom.ApplySkin("Default Skin");
    EXPECT_EQ(targets.pairColour, 0x00FF00u);
    EXPECT_EQ(targets.buttons[3].source, "builtin:other");

    AddFullSkin("Mine", "Default Skin", "65280");  // takes over slot 0 with a real file
    custom.BuildSkinMenu(kSkins);
    custom.ApplySkin("Default Skin");
    EXPECT_EQ(targets.buttons[3].source, Path("Mine\\m.gif"));
}

TEST_F(SkinStuffTest, AChoiceIsStoredBeforeItIsAppliedWhateverApplyingDoes) {
    AddFullSkin("Red", "Red", "255");
    Build();
    settings.onSave = [this] { targets.events.push_back("saved"); };
    ASSERT_TRUE(skins.ChooseSkin(0, current));
    EXPECT_EQ(current, "Red");
    ASSERT_FALSE(targets.events.empty());
    EXPECT_EQ(targets.events.front(), "saved");
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Red");

    // A slot whose file holds nothing applies no pictures, yet the choice is stored.
    profiles.RemoveFile(Path("Red\\Red.QSK"));
    files.RemoveTree(Path("Red"));
    AddSkin("Red", "Red.QSK", "Renamed");
    Build();
    profiles.RemoveFile(Path("Red\\Red.QSK"));
    ASSERT_TRUE(skins.ChooseSkin(0, current));
    EXPECT_EQ(settings.values["QUILLMAR|settings|CurrentSkin"], "Renamed");

    EXPECT_FALSE(skins.ChooseSkin(5, current));
    EXPECT_EQ(current, "Renamed");
}

TEST_F(SkinStuffTest, TheStatusWindowsOwnLoadAppliesTheSkinInsideTheOuterApplyWhichThenFinishes) {
    AddFullSkin("Red", "Red", "255");
    Build();
    current = "Red";
    targets.onStatusLoad = [this] { skins.ApplySkin(current); };  // what frmStatus.Form_Load does
    skins.ApplySkin("Red");
    EXPECT_EQ(targets.statusLoads, 1);
    EXPECT_EQ(targets.statusPicture.source, Path("Red\\st.gif"));
    EXPECT_EQ(targets.statusColour, 255u);
    // The nested apply ran to its end (all seven steps) before the outer one set the status window.
    const std::vector<std::string> expected{
        "picture3",      "picture2",     "pairColour",    "picture1",    "translateColour",
        "picture3",      "picture2",     "pairColour",    "picture1",    "translateColour",
        "statusPicture", "statusColour", "statusPicture", "statusColour"};
    EXPECT_EQ(targets.events, expected);

    // The status window closes and is created again by the next apply: the skin reaches it again.
    targets.statusLoaded = false;
    targets.statusPicture = Picture{"builtin:status", 123, 25};
    targets.events.clear();
    skins.ApplySkin(current);
    EXPECT_EQ(targets.statusLoads, 2);
    EXPECT_EQ(targets.statusPicture.source, Path("Red\\st.gif"));
}

}  // namespace
}  // namespace quillmar

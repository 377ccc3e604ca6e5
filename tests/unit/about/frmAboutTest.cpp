#include "about/frmAbout.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeDialogs.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeViews.h"

namespace quillmar {
namespace {

constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

class FakeInfo : public ProgramInfo {
public:
    ProgramVersion Version() override { return version; }
    ProgramVersion version{1, 0, 1, "Translates what you type in a chat window.", "Copyright (C) 2026 Q"};
};

class AboutTest : public ::testing::Test {
protected:
    fakes::FakeRegistry registry;
    fakes::FakeFileSystem files;
    fakes::FakeShell shell;
    fakes::FakeDialogs dialogs;
    FakeInfo info;
    fakes::FakeDialogViews views;
    int unloads = 0;
    frmAbout form{views, {registry, files, shell, dialogs, info}, [this] { ++unloads; }};

    void ExpectUnavailable() {
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, "System Information Is Unavailable At This Time");
        EXPECT_EQ(dialogs.shown[0].title, "QUILLMAR");
        EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
        EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    }
};

TEST_F(AboutTest, LoadTakesTheTextsFromTheVersionInformationAndCentresTheBoxOnTop) {
    form.Form_Load();
    EXPECT_EQ(form.Caption, " About QUILLMAR");
    EXPECT_EQ(form.lblTitle.caption, "QUILLMAR");
    EXPECT_EQ(form.lblVersion.caption, "Version 1.0.1");
    EXPECT_EQ(form.lblDescription.caption, "Translates what you type in a chat window.");
    EXPECT_EQ(form.lblDisclaimer.caption, "Copyright (C) 2026 Q");

    // Outer size: client area plus frame; screen 15360 x 11520 twips.
    EXPECT_EQ(form.Width, 5730 + 90);
    EXPECT_EQ(form.Height, 4485 + 375);
    EXPECT_EQ(form.Left, 7680 - 2910);
    EXPECT_EQ(form.Top, 5760 - 2430);
    fakes::FakeDialogView& view = *views.dialog;
    ASSERT_EQ(view.placements, 1);
    EXPECT_EQ(view.placed, (TwipsRect{4770, 3330, 5820, 4860}));
    EXPECT_EQ(view.placedHow, Placing::OnTop);
    EXPECT_TRUE(view.paintedBeforePlacing);

    // Numbers of more than one digit, and a box without version texts.
    info.version = {12, 3, 456, "", ""};
    view.screen = {0, 0, 12015, 9000};  // 801 x 600 pixels
    form.Form_Load();
    EXPECT_EQ(views.dialogsCreated, 1);
    EXPECT_EQ(form.lblVersion.caption, "Version 12.3.456");
    EXPECT_EQ(form.lblDescription.caption, "");
    EXPECT_EQ(form.Left, 12015 / 2 - 5820 / 2);  // whole twips, as the screen has them
    EXPECT_EQ(view.placed->left, 3097);
}

TEST_F(AboutTest, OkUnloadsTheBoxAndSystemInfoStartsTheTool) {
    registry.SetString(kMachine, kToolKey, "PATH", "C:\\Tools\\msinfo32.exe");
    shell.programs.insert("C:\\Tools\\msinfo32.exe");
    form.cmdSysInfo_Click();
    EXPECT_EQ(shell.started, std::vector<std::string>{"C:\\Tools\\msinfo32.exe"});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(unloads, 0);
    form.cmdOK_Click();
    EXPECT_EQ(unloads, 1);
}

TEST_F(AboutTest, GetKeyValueReadsStringsAndSignedNumbersAndLeavesOtherTypesAlone) {
    const char* key = "SOFTWARE\\Q";
    registry.SetString(kMachine, key, "text", "C:\\Program Files\\Q");
    registry.Set(kMachine, key, "unterminated", {RegistryType::String, {'a', 'b'}});
    registry.SetDword(kMachine, key, "small", 0x0105);  // bytes 05 01 00 00
    registry.SetDword(kMachine, key, "high", 0x80000000u);
    registry.SetDword(kMachine, key, "all", 0xFFFFFFFFu);
    registry.Set(kMachine, key, "short", {RegistryType::Dword, {0x2A}});
    registry.Set(kMachine, key, "binary", {RegistryType::Binary, {1, 2, 3}});
    registry.Set(kMachine, key, "expand", {RegistryType::ExpandString, {'%', 'X', '%', 0}});

    std::string value = "before";
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "text", value));
    EXPECT_EQ(value, "C:\\Program Files\\Q");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "unterminated", value));
    EXPECT_EQ(value, "ab");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "small", value));
    EXPECT_EQ(value, "261");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "high", value));
    EXPECT_EQ(value, "-2147483648");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "all", value));
    EXPECT_EQ(value, "-1");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "short", value));
    EXPECT_EQ(value, "42");
    value = "kept";
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "binary", value));
    EXPECT_EQ(value, "kept");
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "expand", value));
    EXPECT_EQ(value, "kept");

    for (const auto& open : registry.opens) EXPECT_EQ(open.access, 0x2003Fu);
    for (const auto& query : registry.queries) EXPECT_EQ(query.bufferSize, 1024u);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(AboutTest, GetKeyValueFailsEmptyOnAMissingKeyOrValueOrOneOverTheBuffer) {
    const char* key = "SOFTWARE\\Q";
    registry.SetString(kMachine, key, "fits", std::string(1023, 'x'));    // 1024 bytes with its null
    registry.SetString(kMachine, key, "too long", std::string(1024, 'x'));  // 1025
    std::string value = "before";
    EXPECT_TRUE(form.GetKeyValue(kMachine, key, "fits", value));
    EXPECT_EQ(value.size(), 1023u);
    value = "before";
    EXPECT_FALSE(form.GetKeyValue(kMachine, key, "too long", value));
    EXPECT_EQ(value, "");
    value = "before";
    EXPECT_FALSE(form.GetKeyValue(kMachine, key, "none", value));
    EXPECT_EQ(value, "");
    value = "before";
    EXPECT_FALSE(form.GetKeyValue(kMachine, "SOFTWARE\\Missing", "fits", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(form.GetKeyValue(RegistryRoot::CurrentUser, key, "fits", value));
    EXPECT_EQ(registry.OpenKeys(), 0u);  // closed after a failed query too
}

TEST_F(AboutTest, GetKeyValueReadsAMachineKeyAUserMayNotOpenForWriting) {
    registry.SetString(kMachine, kToolKey, "PATH", "C:\\Tools\\msinfo32.exe");
    registry.mayOpen = [](RegistryRoot root, std::uint32_t access) {
        return root != RegistryRoot::LocalMachine || (access & 0x6) == 0;  // no KEY_SET_VALUE, KEY_CREATE_SUB_KEY
    };
    std::string value;
    EXPECT_TRUE(form.GetKeyValue(kMachine, kToolKey, "PATH", value));
    EXPECT_EQ(value, "C:\\Tools\\msinfo32.exe");
    ASSERT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].access, 0x2003Fu);
    EXPECT_EQ(registry.opens[1].access, 0x20019u);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(AboutTest, StartSysInfoStartsTheNamedToolAsItStandsWithoutLookingForTheFile) {
    registry.SetString(kMachine, kToolKey, "PATH", "C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");
    registry.SetString(kMachine, kLocationKey, "MSINFO", "C:\\Other");
    files.AddFile("C:\\Other\\MSINFO32.EXE");
    shell.programs.insert("C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe");
    form.StartSysInfo();
    EXPECT_EQ(shell.started, std::vector<std::string>{"C:\\Program Files\\Common Files\\MSInfo\\msinfo32.exe"});
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AboutTest, StartSysInfoReportsANamedToolThatDoesNotStartWithoutTryingTheLocation) {
    registry.SetString(kMachine, kToolKey, "PATH", "C:\\Gone\\msinfo32.exe");
    registry.SetString(kMachine, kLocationKey, "MSINFO", "C:\\Other");
    files.AddFile("C:\\Other\\MSINFO32.EXE");
    shell.programs.insert("C:\\Other\\MSINFO32.EXE");
    form.StartSysInfo();
    EXPECT_EQ(shell.started, std::vector<std::string>{"C:\\Gone\\msinfo32.exe"});
    ExpectUnavailable();
}

TEST_F(AboutTest, StartSysInfoFindsTheToolInTheSharedLocationOnlyWhenTheFileIsThere) {
    registry.SetString(kMachine, kLocationKey, "MSINFO", "C:\\Shared\\MSInfo");
    form.StartSysInfo();
    EXPECT_TRUE(shell.started.empty());
    ExpectUnavailable();

    dialogs.shown.clear();
    files.AddFile("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    shell.programs.insert("C:\\Shared\\MSInfo\\MSINFO32.EXE");
    form.StartSysInfo();
    EXPECT_EQ(shell.started, std::vector<std::string>{"C:\\Shared\\MSInfo\\MSINFO32.EXE"});
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AboutTest, StartSysInfoWithNeitherPlaceOrAnEmptyOneSaysTheToolIsUnavailable) {
    form.StartSysInfo();
    EXPECT_TRUE(shell.started.empty());
    ExpectUnavailable();

    // A value of another type leaves the path empty: nothing to start.
    dialogs.shown.clear();
    registry.Set(kMachine, kToolKey, "PATH", {RegistryType::ExpandString, {'%', 'X', '%', 0}});
    form.StartSysInfo();
    EXPECT_TRUE(shell.started.empty());
    ExpectUnavailable();
}

}  // namespace
}  // namespace quillmar

// clang-format off
#include "win32/WinDialogs.h"

#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include "about/frmAbout.h"
#include "fakes/FakeViews.h"
#include "win32/MessageBoxAnswerer.h"
#include "win32/WinFileSystem.h"
#include "win32/WinRegistry.h"
#include "win32/WinShell.h"

namespace quillmar::win32 {
namespace {

constexpr const wchar_t* kToolKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const wchar_t* kLocationKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";

class NoInfo : public ProgramInfo {
public:
    ProgramVersion Version() override { return {}; }
};

bool MachineValueExists(const wchar_t* key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExW(opened, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return found;
}

class SysInfoWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (MachineValueExists(kToolKey, L"PATH") || MachineValueExists(kLocationKey, L"MSINFO"))
            GTEST_SKIP() << "this system names a system-information tool";
    }

    WinRegistry registry;
    WinFileSystem files;
    WinShell shell;
    WinDialogs dialogs;
    NoInfo info;
    fakes::NullFormViews views;
    frmAbout form{views, {registry, files, shell, dialogs, info}, [] {}};
};

TEST_F(SysInfoWin32Test, WithNeitherRegistryPlaceTheBoxSaysTheToolIsUnavailable) {
    MessageBoxAnswerer answerer(IDOK);
    form.cmdSysInfo_Click();
    ASSERT_EQ(answerer.found, 1);
    EXPECT_EQ(answerer.title, "QUILLMAR");
    EXPECT_EQ(answerer.text, "System Information Is Unavailable At This Time");
}

TEST_F(SysInfoWin32Test, ANamedToolThatIsNotThereIsUnavailableToo) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kToolKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    const wchar_t missing[] = L"C:\\no such folder\\msinfo32.exe";
    RegSetValueExW(key, L"PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof(missing));

    std::string read;
    EXPECT_TRUE(form.GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", read));
    EXPECT_EQ(read, "C:\\no such folder\\msinfo32.exe");
    MessageBoxAnswerer answerer(IDOK);
    form.StartSysInfo();
    EXPECT_EQ(answerer.found, 1);
    EXPECT_EQ(answerer.text, "System Information Is Unavailable At This Time");

    RegDeleteValueW(key, L"PATH");
    RegCloseKey(key);
    if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kToolKey);
}

}  // namespace
}  // namespace quillmar::win32

#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <string>

#include "contracts/SecretProtectorContract.h"
#include "contracts/SettingsStoreContract.h"
#include "win32/WinProgramInfo.h"
#include "win32/WinRegistry.h"
#include "win32/WinSecretProtector.h"
#include "win32/WinSettingsStore.h"
#include "win32/WinShell.h"
#include "win32/WinText.h"
#include "win32/WinTrayIcons.h"

namespace quillmar::win32 {
namespace {

const std::string kSettingsRoot = "Software\\VB and VBA Program Settings\\";

void DeleteUserKey(const std::string& path) {
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(path).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, Utf8ToWide(path).c_str());
}

struct WinSettingsMaker {
    static std::unique_ptr<SettingsStore> Make(const contracts::ContractFolder&) {
        return std::make_unique<WinSettingsStore>();
    }
    static void Forget(const std::string& appName) { DeleteUserKey(kSettingsRoot + appName); }
};

struct WinSecretMaker {
    static std::unique_ptr<SecretProtector> Make() { return std::make_unique<WinSecretProtector>(); }
    // The same user's DPAPI blob of another program: sealed without this program's entropy.
    static std::string Foreign(const std::string& clear) {
        DATA_BLOB in{static_cast<DWORD>(clear.size()),
                     reinterpret_cast<BYTE*>(const_cast<char*>(clear.data()))};
        DATA_BLOB out{};
        if (!CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
            return {};
        constexpr DWORD kBase64 = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
        DWORD length = 0;
        CryptBinaryToStringA(out.pbData, out.cbData, kBase64, nullptr, &length);
        std::string text(length, '\0');
        CryptBinaryToStringA(out.pbData, out.cbData, kBase64, text.data(), &length);
        LocalFree(out.pbData);
        text.resize(length);
        return "dpapi:" + text;
    }
};

}  // namespace
}  // namespace quillmar::win32

namespace quillmar::contracts {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SettingsStoreContract, win32::WinSettingsMaker);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, SecretProtectorContract, win32::WinSecretMaker);
}  // namespace quillmar::contracts

namespace quillmar::win32 {
namespace {

TEST(WinSettingsStore, ValuesAreStringsWhereEarlierInstallationsKeptThem) {
    const std::string app = "QuillmarLayout" + std::to_string(GetCurrentProcessId());
    // A value as an earlier installation left it, written without this program.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kSettingsRoot + app + "\\settings").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t old[] = L"Old Skin";
    RegSetValueExW(key, L"CurrentSkin", 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof(old));
    const DWORD number = 1;
    RegSetValueExW(key, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    RegCloseKey(key);

    WinSettingsStore store;
    EXPECT_EQ(store.GetSetting(app, "settings", "CurrentSkin", ""), "Old Skin");
    EXPECT_EQ(store.GetSetting(app, "settings", "number", "fb"), "fb");  // not a string value
    ASSERT_TRUE(store.SaveSetting(app, "settings", "loadwin", "1"));

    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kSettingsRoot + app + "\\settings").c_str(), 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    wchar_t buffer[16] = {};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExW(key, L"loadwin", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::wstring(buffer), L"1");
    EXPECT_EQ(size, 2 * sizeof(wchar_t));
    DeleteUserKey(kSettingsRoot + app);
}

class WinRegistryTest : public ::testing::Test {
protected:
    ~WinRegistryTest() override { DeleteUserKey(m_path); }
    const std::string m_path = "Software\\QuillmarRegistryTest" + std::to_string(GetCurrentProcessId());
    WinRegistry m_registry;
};

TEST_F(WinRegistryTest, MissingKeysAndValuesAreNoneAndCreatedKeysComeWithTheirParents) {
    EXPECT_FALSE(m_registry.OpenKey(RegistryRoot::CurrentUser, m_path, KEY_READ));
    SystemResult why = SystemResult::Failure(1, "unset");
    const auto created = m_registry.CreateKey(RegistryRoot::CurrentUser, m_path + "\\a\\b", &why);
    ASSERT_TRUE(created);
    EXPECT_TRUE(why);
    EXPECT_FALSE(m_registry.QueryValue(*created, "missing", 1024));
    m_registry.CloseKey(*created);
    const auto opened = m_registry.OpenKey(RegistryRoot::CurrentUser, m_path + "\\a", 0x2003F);
    ASSERT_TRUE(opened);
    m_registry.CloseKey(*opened);

    // A key that cannot be made says why.
    EXPECT_FALSE(m_registry.CreateKey(RegistryRoot::CurrentUser, m_path + "\\" + std::string(300, 'k'), &why));
    EXPECT_FALSE(why);
    EXPECT_FALSE(why.reason.empty());
}

TEST_F(WinRegistryTest, StringsRoundTripAsUtf8AndTheBufferLimitCountsThoseBytes) {
    const auto key = m_registry.CreateKey(RegistryRoot::CurrentUser, m_path, nullptr);
    ASSERT_TRUE(key);
    const std::string text = "C:\\Програми\\Q \xF0\x9F\x8C\xBF";
    ASSERT_TRUE(m_registry.SetStringValue(*key, "Щось", text));
    const std::string expected = text + '\0';  // terminated as stored

    const auto value = m_registry.QueryValue(*key, "Щось", expected.size());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, RegistryType::String);
    EXPECT_EQ(std::string(value->bytes.begin(), value->bytes.end()), expected);
    EXPECT_FALSE(m_registry.QueryValue(*key, "Щось", expected.size() - 1));

    // A value far beyond the limit is refused whole, and read whole when the limit allows it.
    const std::string longText(5000, 'x');
    ASSERT_TRUE(m_registry.SetStringValue(*key, "long", longText));
    EXPECT_FALSE(m_registry.QueryValue(*key, "long", 1024));
    const auto whole = m_registry.QueryValue(*key, "long", 1 << 20);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->bytes.size(), 5001u);

    // Stored by another writer without its null, and as a number.
    const wchar_t bare[] = {L'a', L'b'};
    RegSetValueExW(reinterpret_cast<HKEY>(*key), L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare),
                   sizeof(bare));
    const DWORD number = 0x80000105;
    RegSetValueExW(reinterpret_cast<HKEY>(*key), L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
    const auto bareValue = m_registry.QueryValue(*key, "bare", 1024);
    ASSERT_TRUE(bareValue);
    // Wine adds the missing null when there is room; Windows hands out the bytes as stored.
    const std::string bareText(bareValue->bytes.begin(), bareValue->bytes.end());
    EXPECT_TRUE(bareText == "ab" || bareText == std::string("ab\0", 3)) << bareText;
    const auto numberValue = m_registry.QueryValue(*key, "number", 1024);
    ASSERT_TRUE(numberValue);
    EXPECT_EQ(numberValue->type, RegistryType::Dword);
    EXPECT_EQ(numberValue->bytes, (std::vector<unsigned char>{0x05, 0x01, 0x00, 0x80}));
    m_registry.CloseKey(*key);
}

TEST(WinProgramInfo, ReadsTheProgramsOwnVersionRecord) {
    const ProgramVersion version = WinProgramInfo().Version();
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 0);
    EXPECT_EQ(version.revision, 1);
    EXPECT_FALSE(version.description.empty());
    EXPECT_EQ(version.copyright.rfind("Copyright", 0), 0u) << version.copyright;

    const ProgramVersion none = WinProgramInfo("C:\\no such folder\\none.exe").Version();
    EXPECT_EQ(none.major, 0);
    EXPECT_TRUE(none.description.empty());
}

TEST(WinTrayIcons, AddsAndRemovesTheIconOfAWindow) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"tray owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    TrayIconData data{reinterpret_cast<WindowHandle>(owner), 1, 0x200, std::string("QUILLMAR\0", 9) + std::string(55, ' ')};
    WinTrayIcons icons;
    EXPECT_TRUE(icons.AddIcon(data));
    EXPECT_TRUE(icons.DeleteIcon(data));
    EXPECT_FALSE(icons.DeleteIcon(data));  // already gone
    DestroyWindow(owner);
}

TEST(WinShell, AProgramThatIsNotThereIsReportedWithTheReason) {
    WinShell shell;
    const SystemResult missing = shell.StartProgram("C:\\no such folder\\msinfo32.exe");
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.reason.empty());
    EXPECT_FALSE(shell.StartProgram(""));
    EXPECT_FALSE(shell.OpenAddress(""));
}

}  // namespace
}  // namespace quillmar::win32

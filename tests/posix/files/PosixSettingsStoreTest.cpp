#include <gtest/gtest.h>

#include <cstdlib>

#include "contracts/ContractFolder.h"
#include "contracts/SettingsStoreContract.h"
#include "posix/PosixSettingsStore.h"

namespace quillmar::posix {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// Each store keeps its files in the test's folder, so nothing outlives the test.
struct PosixSettingsMaker {
    static std::unique_ptr<SettingsStore> Make(const contracts::ContractFolder& folder) {
        return std::make_unique<PosixSettingsStore>(folder.Path("quillmar/"));
    }
    static void Forget(const std::string&) {}
};
}  // namespace
}  // namespace quillmar::posix

namespace quillmar::contracts {
INSTANTIATE_TYPED_TEST_SUITE_P(Posix, SettingsStoreContract, posix::PosixSettingsMaker);
}  // namespace quillmar::contracts

namespace quillmar::posix {
namespace {

TEST(PosixSettingsStore, FolderFollowsXdgConfigHomeElseTheHomeConfigFolder) {
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/conf/");
        EXPECT_EQ(PosixSettingsStore::DefaultFolder(), "/srv/conf/quillmar/");
    }
    ScopedEnv home("HOME", "/home/ann");
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/conf"}) {
        ScopedEnv config("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(PosixSettingsStore::DefaultFolder(), "/home/ann/.config/quillmar/");
    }
}

TEST(PosixSettingsStore, SavedValuesComeBackExactlyAndMissingOnesGiveTheFallback) {
    contracts::ContractFolder folder;
    const std::string configFolder = folder.Path("deeper/quillmar/");
    PosixSettingsStore store(configFolder);
    EXPECT_EQ(store.GetSetting("QUILLMAR", "settings", "CurrentSkin", "none"), "none");

    ASSERT_TRUE(store.SaveSetting("QUILLMAR", "settings", "CurrentSkin", "Blue"));  // makes the folders
    ASSERT_TRUE(store.SaveSetting("QUILLMAR", "settings", "loadwin", ""));
    ASSERT_TRUE(store.SaveSetting("QUILLMAR", "settings", "odd", "  \"quoted\" with blanks  "));
    ASSERT_TRUE(store.SaveSetting("QUILLMAR", "settings", "CurrentSkin", "Red Skin"));
    EXPECT_EQ(store.GetSetting("QUILLMAR", "settings", "CurrentSkin", "none"), "Red Skin");
    EXPECT_EQ(store.GetSetting("QUILLMAR", "settings", "loadwin", "none"), "");  // present, empty
    EXPECT_EQ(store.GetSetting("QUILLMAR", "settings", "odd", ""), "  \"quoted\" with blanks  ");
    EXPECT_EQ(store.GetSetting("QUILLMAR", "other", "CurrentSkin", "none"), "none");
    EXPECT_EQ(store.FileFor("QUILLMAR"), configFolder + "QUILLMAR.ini");
    EXPECT_TRUE(folder.Get("deeper/quillmar/QUILLMAR.ini").has_value());

    // A second store on the same folder (the next start) reads what the first saved.
    PosixSettingsStore again(configFolder);
    EXPECT_EQ(again.GetSetting("QUILLMAR", "settings", "CurrentSkin", ""), "Red Skin");
}

TEST(PosixSettingsStore, RefusesWhatCouldNotBeReadBackOrWouldLeaveTheFolder) {
    contracts::ContractFolder folder;
    PosixSettingsStore store(folder.Path());
    EXPECT_FALSE(store.SaveSetting("QUILLMAR", "settings", "CurrentSkin", "two\nlines"));
    EXPECT_FALSE(store.SaveSetting("../escape", "settings", "k", "v"));
    EXPECT_FALSE(store.SaveSetting("", "settings", "k", "v"));
    EXPECT_EQ(store.GetSetting("../escape", "settings", "k", "fb"), "fb");
    EXPECT_FALSE(folder.Get("QUILLMAR.ini").has_value());
}

}  // namespace
}  // namespace quillmar::posix

#pragma once

// One behaviour for every FileSystem implementation. Instantiate with a type that has
//   static std::unique_ptr<FileSystem> Make();
//   static std::string MakeHiddenFolder(const ContractFolder& folder);  // creates one, returns its name
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "contracts/ContractFolder.h"
#include "platform/FileSystem.h"

namespace quillmar::contracts {

template <typename Maker>
class FileSystemContract : public ::testing::Test {
protected:
    const DirectoryEntry* Find(const std::vector<DirectoryEntry>& entries, const std::string& name) {
        auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; });
        return it == entries.end() ? nullptr : &*it;
    }

    ContractFolder m_folder;
    std::unique_ptr<FileSystem> m_files = Maker::Make();
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, ListsFilesAndFoldersWithTheirKindAndHiddenFlag) {
    ASSERT_TRUE(this->m_folder.MakeFolder("Red"));
    this->m_folder.Put("loose.QSK", "[Skin]\r\n");
    const std::string hidden = TypeParam::MakeHiddenFolder(this->m_folder);

    for (const std::string& folder :
         {this->m_folder.Path(), this->m_folder.Path().substr(0, this->m_folder.Path().size() - 1)}) {
        const std::vector<DirectoryEntry> entries = this->m_files->ListDirectory(folder);
        ASSERT_EQ(entries.size(), 3u) << folder;  // no "." or ".."
        const DirectoryEntry* red = this->Find(entries, "Red");
        const DirectoryEntry* loose = this->Find(entries, "loose.QSK");
        const DirectoryEntry* secret = this->Find(entries, hidden);
        ASSERT_TRUE(red && loose && secret);
        EXPECT_TRUE(red->directory);
        EXPECT_FALSE(red->hidden);
        EXPECT_FALSE(loose->directory);
        EXPECT_FALSE(loose->hidden);
        EXPECT_TRUE(secret->directory);
        EXPECT_TRUE(secret->hidden);
    }
    EXPECT_TRUE(this->m_files->ListDirectory(this->m_folder.Path("missing")).empty());
    EXPECT_TRUE(this->m_files->ListDirectory(this->m_folder.Path("loose.QSK")).empty());
    EXPECT_TRUE(this->m_files->ListDirectory("").empty());
}

TYPED_TEST_P(FileSystemContract, ExistenceCopyAndRemoval) {
    ASSERT_TRUE(this->m_folder.MakeFolder("Red"));
    this->m_folder.Put("a.gif", "picture bytes");
    this->m_folder.Put("b.gif", "older bytes that are longer");
    EXPECT_TRUE(this->m_files->FileExists(this->m_folder.Path("a.gif")));
    EXPECT_TRUE(this->m_files->FileExists(this->m_folder.Path("Red")));
    EXPECT_FALSE(this->m_files->FileExists(this->m_folder.Path("none.gif")));
    EXPECT_FALSE(this->m_files->FileExists(""));

    // A copy replaces the target whole.
    EXPECT_TRUE(this->m_files->Copy(this->m_folder.Path("a.gif"), this->m_folder.Path("b.gif")));
    EXPECT_EQ(this->m_folder.Get("b.gif"), "picture bytes");
    EXPECT_TRUE(this->m_files->Copy(this->m_folder.Path("a.gif"), this->m_folder.Path("Red/c.gif")));
    EXPECT_EQ(this->m_folder.Get("Red/c.gif"), "picture bytes");

    // A failed copy leaves the target alone, and no copy of a file onto itself loses it.
    const SystemResult missing =
        this->m_files->Copy(this->m_folder.Path("none.gif"), this->m_folder.Path("b.gif"));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.reason.empty());
    EXPECT_EQ(this->m_folder.Get("b.gif"), "picture bytes");
    this->m_files->Copy(this->m_folder.Path("a.gif"), this->m_folder.Path("a.gif"));
    EXPECT_EQ(this->m_folder.Get("a.gif"), "picture bytes");
    EXPECT_FALSE(this->m_files->Copy(this->m_folder.Path("a.gif"), this->m_folder.Path("missing/a.gif")));

    EXPECT_TRUE(this->m_files->Remove(this->m_folder.Path("b.gif")));
    EXPECT_FALSE(this->m_folder.Get("b.gif").has_value());
    EXPECT_FALSE(this->m_files->Remove(this->m_folder.Path("b.gif")));
    // Only the copies above are left: no temporary files behind.
    EXPECT_EQ(this->m_files->ListDirectory(this->m_folder.Path()).size(), 2u);
}

// A user's folders often are not ASCII: names come and go as UTF-8.
TYPED_TEST_P(FileSystemContract, NamesAreUtf8) {
    const std::string night = "N\u00e4cht \u043d\u043e\u0447\u044c";  // Nächt ночь
    ASSERT_TRUE(this->m_folder.MakeFolder(night));
    this->m_folder.Put(night + "/" + night + ".QSK", "[Skin]\r\n");
    const std::vector<DirectoryEntry> entries = this->m_files->ListDirectory(this->m_folder.Path());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, night);
    const std::string inner = this->m_folder.Path(night) + "/";
    ASSERT_EQ(this->m_files->ListDirectory(inner).size(), 1u);
    EXPECT_EQ(this->m_files->ListDirectory(inner)[0].name, night + ".QSK");
    EXPECT_TRUE(this->m_files->FileExists(inner + night + ".QSK"));
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, ListsFilesAndFoldersWithTheirKindAndHiddenFlag,
                            ExistenceCopyAndRemoval, NamesAreUtf8);

}  // namespace quillmar::contracts

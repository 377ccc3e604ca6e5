#pragma once

// One behaviour for every ProfileFiles implementation: Wine's profile functions as measured, so the
// POSIX files and the Windows ones read and write alike. Instantiate with a type whose static Make()
// returns the implementation under test:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Posix, ProfileFilesContract, PosixProfileMaker);
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contracts/ContractFolder.h"
#include "platform/ProfileFiles.h"

namespace quillmar::contracts {

template <typename Maker>
class ProfileFilesContract : public ::testing::Test {
protected:
    std::string Read(const std::string& name, const std::string& section, const std::string& key,
                     std::size_t bufferChars = 255, const std::string& fallback = "") {
        return m_files->ReadString(m_folder.Path(name), section, key, fallback, bufferChars);
    }
    SystemResult Write(const std::string& name, const std::string& section, const std::string& key,
                       const std::optional<std::string>& value) {
        return m_files->WriteString(m_folder.Path(name), section, key, value);
    }

    ContractFolder m_folder;
    std::unique_ptr<ProfileFiles> m_files = Maker::Make();
};

TYPED_TEST_SUITE_P(ProfileFilesContract);

TYPED_TEST_P(ProfileFilesContract, ReadsNamesAndValuesWithoutSurroundingBlanksOrMatchingQuotes) {
    this->m_folder.Put("a.qsk",
                       "top=before any section\r\n"
                       "[Details]\r\n"
                       "  menufile  =  m.gif  \r\n"
                       "\tselectfile\t=\tsel.gif\t\r\n"
                       "spaced=a b\tc\r\n"
                       "double=\"quoted\"\r\n"
                       "single='quoted'\r\n"
                       "inner= \" kept blanks \" \r\n"
                       "open=\"unbalanced\r\n"
                       "mixed=\"a'\r\n"
                       "lone=\"\r\n"
                       "pair=\"\"\r\n"
                       "middle=\"a\" b\"\r\n"
                       "empty=\r\n"
                       "noequals\r\n"
                       ";comment=1\r\n"
                       "dup=first\r\n"
                       "dup=second\r\n"
                       "[ Skin ]\r\n"
                       "title=Red Skin\r\n"
                       "[Details]\r\n"
                       "later=only in the second section of that name\r\n");
    const auto read = [this](const std::string& section, const std::string& key) {
        return this->Read("a.qsk", section, key, 255, "DEF");
    };
    EXPECT_EQ(read("Details", "menufile"), "m.gif");
    EXPECT_EQ(read("Details", "selectfile"), "sel.gif");
    EXPECT_EQ(read("Details", "spaced"), "a b\tc");
    EXPECT_EQ(read("Details", "double"), "quoted");
    EXPECT_EQ(read("Details", "single"), "quoted");
    EXPECT_EQ(read("Details", "inner"), " kept blanks ");
    EXPECT_EQ(read("Details", "open"), "\"unbalanced");
    EXPECT_EQ(read("Details", "mixed"), "\"a'");
    EXPECT_EQ(read("Details", "lone"), "\"");
    EXPECT_EQ(read("Details", "pair"), "");
    EXPECT_EQ(read("Details", "middle"), "a\" b");
    EXPECT_EQ(read("Details", "empty"), "");
    EXPECT_EQ(read("Details", "noequals"), "DEF");  // a line without "=" has no value
    EXPECT_EQ(read("Details", ";comment"), "1");    // no comment syntax: just a key
    EXPECT_EQ(read("Details", "dup"), "first");
    EXPECT_EQ(read("Details", "later"), "DEF");  // only the first section of a name counts
    EXPECT_EQ(read("Skin", "title"), "Red Skin");
    EXPECT_EQ(read(" Skin ", " title "), "Red Skin");  // asked-for names lose their blanks too
    EXPECT_EQ(read("", "top"), "before any section");
}

TYPED_TEST_P(ProfileFilesContract, SectionAndKeyNamesIgnoreCase) {
    this->m_folder.Put("a.qsk", "[Details]\r\nSelectCol=255\r\nStatusCol=65280\r\n");
    EXPECT_EQ(this->Read("a.qsk", "details", "selectCol"), "255");
    EXPECT_EQ(this->Read("a.qsk", "DETAILS", "STATUSCOL"), "65280");
}

TYPED_TEST_P(ProfileFilesContract, MissingFileSectionKeyOrRelativePathGiveTheFallback) {
    this->m_folder.Put("a.qsk", "[Skin]\r\ntitle=Red\r\n");
    EXPECT_EQ(this->Read("a.qsk", "Skin", "menufile", 255, "DEF"), "DEF");
    EXPECT_EQ(this->Read("a.qsk", "Details", "title", 255, "DEF"), "DEF");
    EXPECT_EQ(this->Read("none.qsk", "Skin", "title", 255, "DEF"), "DEF");
    EXPECT_EQ(this->Read("", "Skin", "title", 255, "DEF"), "DEF");  // the folder itself
    // A bare name is never looked up in some current or system folder.
    EXPECT_EQ(this->m_files->ReadString("Skin Filename", "Skin", "title", "", 255), "");
    // The fallback loses trailing blanks and is cut like a value.
    EXPECT_EQ(this->Read("a.qsk", "Skin", "none", 255, "fb  "), "fb");
    EXPECT_EQ(this->Read("a.qsk", "Skin", "none", 5, "fallback"), "fall");
}

TYPED_TEST_P(ProfileFilesContract, ValuesAreCutToOneCharacterLessThanTheBuffer) {
    this->m_folder.Put("a.qsk", "[S]\r\nlong=" + std::string(300, 'x') + "\r\nq=\"quoted\"\r\nm=m.gif\r\n");
    EXPECT_EQ(this->Read("a.qsk", "S", "long"), std::string(254, 'x'));
    EXPECT_EQ(this->Read("a.qsk", "S", "m", 3), "m.");
    EXPECT_EQ(this->Read("a.qsk", "S", "m", 1), "");
    EXPECT_EQ(this->Read("a.qsk", "S", "m", 0), "");
    EXPECT_EQ(this->Read("a.qsk", "S", "q", 4), "quo");  // the quotes go first
    EXPECT_EQ(this->Read("a.qsk", "S", "q", 9), "quoted");
}

TYPED_TEST_P(ProfileFilesContract, WritesCreateTheFileAndAddKeysAtTheEndOfTheirSectionAndSectionsAtTheEnd) {
    ASSERT_TRUE(this->Write("new.qsk", "Details", "menufile", "m.gif"));
    ASSERT_TRUE(this->Write("new.qsk", "Skin", "title", "Red"));
    ASSERT_TRUE(this->Write("new.qsk", "details", "SelectCol", " 255"));  // a leading blank is not written
    ASSERT_TRUE(this->Write("new.qsk", "Details", "empty", ""));
    ASSERT_TRUE(this->Write("new.qsk", "Colours", "k", "v"));
    EXPECT_EQ(this->m_folder.Get("new.qsk"),
              "[Details]\r\nmenufile=m.gif\r\nSelectCol=255\r\nempty=\r\n[Skin]\r\ntitle=Red\r\n[Colours]"
              "\r\nk=v\r\n");
    EXPECT_EQ(this->Read("new.qsk", "Details", "selectcol"), "255");
}

TYPED_TEST_P(ProfileFilesContract, WritesReplaceTheFirstValueKeepTheNamesAndTidyTheFile) {
    this->m_folder.Put(
        "a.qsk",
        "; about this skin\n[Details]\n  menufile = old.gif \n\nnoequals\nlast=1\n\n[Skin]\ntitle=Red");
    ASSERT_TRUE(this->Write("a.qsk", "DETAILS", "MENUFILE", "new.gif"));
    ASSERT_TRUE(this->Write("a.qsk", "Details", "added", "2"));
    EXPECT_EQ(this->m_folder.Get("a.qsk"),
              "; about this skin\r\n[Details]\r\nmenufile=new.gif\r\nnoequals\r\nlast=1\r\nadded=2\r\n"
              "[Skin]\r\ntitle=Red\r\n");
}

TYPED_TEST_P(ProfileFilesContract, NoValueRemovesTheKeyAndRemovingWhatIsMissingChangesNothing) {
    this->m_folder.Put("a.qsk", "[Details]\r\nSelectCol=255\r\nStatusCol=0\r\n");
    ASSERT_TRUE(this->Write("a.qsk", "details", "selectcol", std::nullopt));
    EXPECT_EQ(this->m_folder.Get("a.qsk"), "[Details]\r\nStatusCol=0\r\n");
    EXPECT_EQ(this->Read("a.qsk", "Details", "SelectCol", 255, "DEF"), "DEF");

    EXPECT_TRUE(this->Write("a.qsk", "Details", "nothere", std::nullopt));
    EXPECT_TRUE(this->Write("a.qsk", "Nosuch", "nothere", std::nullopt));
    EXPECT_EQ(this->m_folder.Get("a.qsk"), "[Details]\r\nStatusCol=0\r\n");
    EXPECT_TRUE(this->Write("none.qsk", "Details", "k", std::nullopt));
    EXPECT_FALSE(this->m_folder.Get("none.qsk").has_value());
}

TYPED_TEST_P(ProfileFilesContract, RefusedWritesLeaveTheFileAsItWas) {
    this->m_folder.Put("a.qsk", "[Skin]\r\ntitle=Red\r\n");
    // A line break would let a typed title add entries of its own; "=" in a key would split it.
    EXPECT_FALSE(this->Write("a.qsk", "Skin", "title", "Red\r\nmenufile=evil.gif"));
    EXPECT_FALSE(this->Write("a.qsk", "Skin", "title", "Red\nBlue"));
    EXPECT_FALSE(this->Write("a.qsk", "Skin", "k=x", "v"));
    // A key that starts with "[" would be read back as a section line, taking the entries after it along.
    EXPECT_FALSE(this->Write("a.qsk", "Skin", "[Details", "v"));
    EXPECT_FALSE(this->Write("a.qsk", "Skin", " \t[x]", "v"));
    EXPECT_FALSE(this->Write("a.qsk", "Skin\r\n[Other", "k", "v"));
    EXPECT_EQ(this->m_folder.Get("a.qsk"), "[Skin]\r\ntitle=Red\r\n");

    EXPECT_FALSE(this->Write("missing-folder/x.qsk", "Skin", "title", "Red"));
    EXPECT_FALSE(this->m_files->WriteString("relative.qsk", "Skin", "title", "Red"));
}

TYPED_TEST_P(ProfileFilesContract, FilesInFoldersWithNonAsciiNamesAreFound) {
    const std::string folder = "J\u00fcrgen \u0418\u0432\u0430\u043d";  // Jürgen Иван
    ASSERT_TRUE(this->m_folder.MakeFolder(folder));
    this->m_folder.Put(folder + "/a.qsk", "[Skin]\r\ntitle=Red\r\n");
    EXPECT_EQ(this->Read(folder + "/a.qsk", "Skin", "title"), "Red");
    ASSERT_TRUE(this->Write(folder + "/a.qsk", "Details", "menufile", "m.gif"));
    EXPECT_EQ(this->m_folder.Get(folder + "/a.qsk"),
              "[Skin]\r\ntitle=Red\r\n[Details]\r\nmenufile=m.gif\r\n");
}

REGISTER_TYPED_TEST_SUITE_P(ProfileFilesContract, FilesInFoldersWithNonAsciiNamesAreFound,
                            ReadsNamesAndValuesWithoutSurroundingBlanksOrMatchingQuotes,
                            SectionAndKeyNamesIgnoreCase, MissingFileSectionKeyOrRelativePathGiveTheFallback,
                            ValuesAreCutToOneCharacterLessThanTheBuffer,
                            WritesCreateTheFileAndAddKeysAtTheEndOfTheirSectionAndSectionsAtTheEnd,
                            WritesReplaceTheFirstValueKeepTheNamesAndTidyTheFile,
                            NoValueRemovesTheKeyAndRemovingWhatIsMissingChangesNothing,
                            RefusedWritesLeaveTheFileAsItWas);

}  // namespace quillmar::contracts

#include <gtest/gtest.h>

#include "fakes/FakeFiles.h"
#include "follow/ChatPairs.h"

namespace quillmar {
namespace {

TEST(ChatKey, TheMessageWindowsOfOneChatShareTheirKey) {
    EXPECT_EQ(ChatKey("Alice - Send Message"), "Alice");
    EXPECT_EQ(ChatKey("Alice - Incoming Message"), "Alice");
    EXPECT_EQ(ChatKey("INCOMING MESSAGE: Bob O'Brien"), "Bob O'Brien");
    EXPECT_EQ(ChatKey("Алиса - Send Message"), "Алиса");
    // Only whole words go: a name that merely contains one stays as it is.
    EXPECT_EQ(ChatKey("Messenger Sender - Send Message"), "Messenger Sender");
    EXPECT_EQ(ChatKey("Send Message"), "");
}

class ChatPairsTest : public ::testing::Test {
protected:
    fakes::FakeSettingsStore settings;
    ChatPairs pairs{settings, "QUILLMAR", "settings"};
};

TEST_F(ChatPairsTest, APairIsRememberedPerChatAndSurvivesANewReader) {
    pairs.Remember("Alice - Send Message", "GERMAN TO FRENCH");
    pairs.Remember("Bob - Send Message", "RUSSIAN TO ENGLISH");
    pairs.Remember("Alice - Incoming Message", "ENGLISH TO SPANISH");
    ChatPairs afterRestart(settings, "QUILLMAR", "settings");
    EXPECT_EQ(afterRestart.PairFor("Alice - Send Message"), "ENGLISH TO SPANISH");
    EXPECT_EQ(afterRestart.PairFor("Bob - Incoming Message"), "RUSSIAN TO ENGLISH");
    EXPECT_EQ(afterRestart.PairFor("Carol - Send Message"), std::nullopt);
    EXPECT_EQ(afterRestart.PairFor("Send Message"), std::nullopt);
}

TEST_F(ChatPairsTest, OnlyTheMostRecentlyUsedChatsAreKept) {
    for (std::size_t i = 0; i <= ChatPairs::kMaxChats; ++i) {
        pairs.Remember("chat " + std::to_string(i) + " - Send Message", "GERMAN TO FRENCH");
        if (i == 100) pairs.Remember("chat 0 - Send Message", "FRENCH TO GERMAN");  // used again
    }
    EXPECT_EQ(pairs.PairFor("chat 0 - Send Message"), "FRENCH TO GERMAN");
    EXPECT_EQ(pairs.PairFor("chat 1 - Send Message"), std::nullopt);  // the least recently used went
    EXPECT_EQ(pairs.PairFor("chat 2 - Send Message"), "GERMAN TO FRENCH");
    EXPECT_EQ(pairs.PairFor("chat 200 - Send Message"), "GERMAN TO FRENCH");
}

TEST_F(ChatPairsTest, SeparatorCharactersInATitleCannotBreakTheStoredList) {
    pairs.Remember("Eve\x1E\x1Fx - Send Message", "GERMAN TO FRENCH");
    pairs.Remember("Alice - Send Message", "RUSSIAN TO ENGLISH");
    EXPECT_EQ(pairs.PairFor("Evex - Send Message"), "GERMAN TO FRENCH");
    EXPECT_EQ(pairs.PairFor("Alice - Send Message"), "RUSSIAN TO ENGLISH");
}

}  // namespace
}  // namespace quillmar

#include <gtest/gtest.h>

#include "service/PhrasebookEngine.h"
#include "translate/LanguagePairs.h"

namespace quillmar::service {
namespace {

TEST(PhrasebookEngine, CoversAllThirteenPairsAndNothingElse) {
    PhrasebookEngine engine;
    for (const LanguagePair& pair : kLanguagePairs) EXPECT_TRUE(engine.Covers(pair.code)) << pair.code;
    for (const char* other : {"es_fr", "en_ru", "en_en", "", "en_fr "})
        EXPECT_FALSE(engine.Covers(other)) << other;
    EXPECT_FALSE(engine.Translate("es_fr", "hola").ok);
}

TEST(PhrasebookEngine, TranslatesAKnownPhraseInEveryPair) {
    struct Case {
        const char* pair;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"en_fr", "good morning", "bonjour"},      {"en_de", "good morning", "guten Morgen"},
        {"en_it", "good morning", "buongiorno"},   {"en_pt", "good morning", "bom dia"},
        {"en_es", "good morning", "buenos días"},  {"fr_en", "merci beaucoup", "thank you very much"},
        {"de_en", "guten Morgen", "good morning"}, {"it_en", "grazie", "thank you"},
        {"pt_en", "obrigado", "thank you"},        {"ru_en", "спасибо", "thank you"},
        {"es_en", "buenos días", "good morning"},  {"fr_de", "bonne nuit", "gute Nacht"},
        {"de_fr", "gute Nacht", "bonne nuit"},
    };
    PhrasebookEngine engine;
    for (const Case& c : cases) {
        EngineResult result = engine.Translate(c.pair, c.text);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.text, c.expected) << c.pair;
    }
}

TEST(PhrasebookEngine, PrefersTheLongestPhraseAndKeepsPunctuationAndUnknownWords) {
    PhrasebookEngine engine;
    EXPECT_EQ(engine.TranslateText("en_fr", "thank you very much, my friend!"), "merci beaucoup, mon ami!");
    EXPECT_EQ(engine.TranslateText("en_es", "how are you? I am fine, thanks."),
              "cómo estás? estoy bien, gracias.");
    EXPECT_EQ(engine.TranslateText("en_de", "hello Zorblax, see you tomorrow"), "hallo Zorblax, bis morgen");
    // A phrase never spans a line break or punctuation; words inside longer words are left alone.
    EXPECT_EQ(engine.TranslateText("en_it", "good\r\nmorning"), "buono\r\nmorning");
    EXPECT_EQ(engine.TranslateText("en_it", "good, morning"), "buono, morning");
    EXPECT_EQ(engine.TranslateText("en_it", "helloworld yesterday's"), "helloworld yesterday's");
    EXPECT_EQ(engine.TranslateText("en_pt", ""), "");
    EXPECT_EQ(engine.TranslateText("en_pt", "?! 123 <b>"), "?! 123 <b>");
}

TEST(PhrasebookEngine, MatchesWithoutRegardToCaseAndCarriesTheCaseOver) {
    PhrasebookEngine engine;
    EXPECT_EQ(engine.TranslateText("en_es", "Good Morning"), "Buenos días");
    EXPECT_EQ(engine.TranslateText("en_es", "GOOD MORNING"), "BUENOS DÍAS");
    EXPECT_EQ(engine.TranslateText("ru_en", "Спасибо, ДРУГ"), "Thank you, FRIEND");
    EXPECT_EQ(engine.TranslateText("en_fr", "Yesterday I was at home"), "Hier je was at maison");
    EXPECT_EQ(engine.TranslateText("fr_en", "Je t'aime"), "I love you");
    EXPECT_EQ(engine.TranslateText("fr_en", "je t’aime"), "I love you");  // typographic apostrophe
    EXPECT_EQ(engine.TranslateText("fr_de", "Comment allez-vous"), "Wie geht es dir");
    EXPECT_EQ(engine.TranslateText("es_en", "¿cómo estás?"), "¿how are you?");
}

TEST(PhrasebookEngine, LeavesMalformedUtf8AsItIs) {
    PhrasebookEngine engine;
    EXPECT_EQ(engine.TranslateText("en_fr", "hello \xff\xfe yes"), "bonjour \xff\xfe oui");
    EXPECT_EQ(engine.TranslateText("en_fr", "\xc3"), "\xc3");
}

TEST(CaseMapping, CoversLatin1AndCyrillicLetters) {
    EXPECT_EQ(LowerUtf8("ÀÉÎÕÜ ÇÑ ПРИВЕТ Ё ABC ×"), "àéîõü çñ привет ё abc ×");
    EXPECT_EQ(UpperUtf8("àéîõü çñ привет ё abc ÷", false), "ÀÉÎÕÜ ÇÑ ПРИВЕТ Ё ABC ÷");
    EXPECT_EQ(UpperUtf8("élan vital", true), "Élan vital");
    EXPECT_EQ(UpperUtf8("¿qué?", true), "¿Qué?");
}

}  // namespace
}  // namespace quillmar::service

#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "service/ApertiumEngine.h"

namespace quillmar::service {
namespace {

class ApertiumEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!engine.Installed()) GTEST_SKIP() << "Apertium is not installed";
    }
    std::string Translate(std::string_view pair, std::string_view text) {
        EngineResult result = engine.Translate(pair, text);
        EXPECT_TRUE(result.ok) << pair << ": " << result.text;
        return result.text;
    }
    ApertiumEngine engine;
};

std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return text;
}

TEST(ApertiumRoutes, GoThroughSpanishForEveryPairButEnglishSpanish) {
    const auto& routes = ApertiumRoutes();
    EXPECT_EQ(routes.size(), 8u);
    EXPECT_EQ(routes.at("en_es"), (std::vector<std::string>{"eng-spa"}));
    EXPECT_EQ(routes.at("es_en"), (std::vector<std::string>{"spa-eng"}));
    EXPECT_EQ(routes.at("en_fr"), (std::vector<std::string>{"eng-spa", "es-fr"}));
    EXPECT_EQ(routes.at("it_en"), (std::vector<std::string>{"ita-spa", "spa-eng"}));
    for (const char* none : {"en_de", "de_en", "ru_en", "fr_de", "de_fr"})
        EXPECT_EQ(routes.count(none), 0u) << none;
}

TEST(ApertiumEngineAbsent, CoversNothingWithoutItsModes) {
    ApertiumEngine engine(ApertiumOptions{"/nonexistent/modes"});
    EXPECT_FALSE(engine.Installed());
    EXPECT_FALSE(engine.Covers("en_es"));
    EXPECT_FALSE(engine.Translate("en_es", "hello").ok);
}

TEST_F(ApertiumEngineTest, CoversTheEightPairsOfItsModesOnly) {
    for (const char* pair : {"en_es", "es_en", "en_fr", "fr_en", "en_it", "it_en", "en_pt", "pt_en"}) {
        EXPECT_TRUE(engine.Covers(pair)) << pair;
    }
    for (const char* pair : {"en_de", "de_en", "ru_en", "fr_de", "de_fr", "es_fr"})
        EXPECT_FALSE(engine.Covers(pair)) << pair;
}

TEST_F(ApertiumEngineTest, TranslatesDirectlyAndThroughSpanish) {
    EXPECT_NE(Lower(Translate("en_es", "good morning")).find("buenos días"), std::string::npos);
    EXPECT_NE(Lower(Translate("en_fr", "good morning")).find("bonjour"), std::string::npos);
    EXPECT_NE(Lower(Translate("es_en", "buenos días")).find("good morning"), std::string::npos);
    struct Sample {
        const char* pair;
        const char* text;
    };
    for (Sample s :
         {Sample{"en_it", "I will send the documents tomorrow."},
          Sample{"en_pt", "I will send the documents tomorrow."},
          Sample{"fr_en", "J'enverrai les documents demain."}, Sample{"it_en", "Invierò i documenti domani."},
          Sample{"pt_en", "Enviarei os documentos amanhã."}}) {
        std::string out = Translate(s.pair, s.text);
        EXPECT_FALSE(out.empty()) << s.pair;
        EXPECT_NE(out, s.text) << s.pair;
        EXPECT_EQ(out.find('\0'), std::string::npos);
    }
    EXPECT_NE(Lower(Translate("it_en", "domani")).find("tomorrow"), std::string::npos);
    EXPECT_NE(Lower(Translate("pt_en", "amanhã")).find("tomorrow"), std::string::npos);
}

TEST_F(ApertiumEngineTest, LeavesUnknownWordsMarkupAndLineBreaksInPlace) {
    std::string out = Translate("en_es", "Zorblaxian");
    EXPECT_EQ(out, "Zorblaxian");
    out = Translate("en_es", "<b>house</b> [x] ^y$ @z a/b {c} \\ * & \"q\"");
    for (const char* kept : {"<b>", "</b>", "[x]", "^y$", "@z", "{c}", "\\", "*", "&", "\"q\""}) {
        EXPECT_NE(out.find(kept), std::string::npos) << kept << " in " << out;
    }
    out = Translate("en_fr", "good morning\r\nthank you");
    EXPECT_NE(out.find("\r\n"), std::string::npos) << out;
}

TEST_F(ApertiumEngineTest, KeepsOnePipelinePerModeAndRestartsOneThatDied) {
    Translate("en_fr", "house");
    ApertiumPipeline* engSpa = engine.PipelineOf("eng-spa");
    ApertiumPipeline* esFr = engine.PipelineOf("es-fr");
    ASSERT_NE(engSpa, nullptr);
    ASSERT_NE(esFr, nullptr);
    Translate("en_es", "house");  // shares eng-spa
    EXPECT_EQ(engSpa->Starts(), 1);

    ::kill(-engSpa->Pid(), SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_NE(Lower(Translate("en_es", "good morning")).find("buenos días"), std::string::npos);
    EXPECT_EQ(engSpa->Starts(), 2);
    EXPECT_EQ(esFr->Starts(), 1);
}

TEST_F(ApertiumEngineTest, ServesThreadsAtOnceWithTheSameAnswers) {
    std::string expected = Translate("en_es", "I will send the documents tomorrow.");
    std::vector<std::thread> threads;
    std::atomic<int> same{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                if (engine.Translate("en_es", "I will send the documents tomorrow.").text == expected) ++same;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(same, 20);
}

TEST_F(ApertiumEngineTest, WarmsTheModesOfThePairsAskedForAndHealthBringsBackADeadPipeline) {
    ApertiumOptions options;
    options.warmPairs = std::vector<std::string>{"en_fr"};
    ApertiumEngine some(options);
    ASSERT_TRUE(some.Warm());
    EXPECT_NE(some.PipelineOf("eng-spa"), nullptr);
    EXPECT_NE(some.PipelineOf("es-fr"), nullptr);
    EXPECT_EQ(some.PoolOf("spa-eng"), nullptr) << "not asked for: starts on first use";
    ASSERT_GT(some.PipelineOf("eng-spa")->Pid(), 0);

    EXPECT_TRUE(some.Health().up);
    ::kill(-some.PipelineOf("es-fr")->Pid(), SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EngineHealth health = some.Health();
    EXPECT_TRUE(health.up) << health.detail;
    EXPECT_NE(health.detail.find("apertium es-fr: 1 of 1 pipelines up"), std::string::npos) << health.detail;
    EXPECT_EQ(some.PipelineOf("es-fr")->Starts(), 2);
}

}  // namespace
}  // namespace quillmar::service

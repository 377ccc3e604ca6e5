#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "service/RequestHandler.h"
#include "translate/AnswerText.h"

namespace quillmar::service {
namespace {

using testing::HasMarkers;
using testing::ScriptedEngine;

constexpr const char* kPath = "/raging/translate.dyn";

std::string Target(std::string_view query) {
    return std::string(kPath) + "?" + std::string(query);
}

TEST(DecodeFormValue, DecodesPlusAndPercentAndRefusesMalformedEscapes) {
    EXPECT_EQ(DecodeFormValue("good+morning"), "good morning");
    EXPECT_EQ(DecodeFormValue("a%0D%0Ab%2b%2B%25"), "a\r\nb++%");
    EXPECT_EQ(DecodeFormValue("%C3%B1%e2%82%ac"), "ñ€");
    EXPECT_EQ(DecodeFormValue(""), "");
    for (const char* bad : {"%", "%4", "abc%", "%zz", "%G0", "%0g", "x%%41"}) {
        EXPECT_FALSE(DecodeFormValue(bad).has_value()) << bad;
    }
}

TEST(ParseTranslateTarget, ReadsThePairAndTheTextInOriginAndAbsoluteForm) {
    for (std::string target : {Target("lp=en_fr&urltext=good+morning"),
                               "http://localhost" + Target("lp=en_fr&urltext=good+morning"),
                               "HTTP://babel.example:8080" + Target("lp=en_fr&urltext=good+morning")}) {
        ParsedRequest r = ParseTranslateTarget(target);
        EXPECT_EQ(r.status, 200) << target;
        EXPECT_EQ(r.pairCode, "en_fr");
        EXPECT_EQ(r.text, "good morning");
    }
}

TEST(ParseTranslateTarget, KeepsLineBreaksAndUnicodeAndReadsStrayBytesAsWindows1252) {
    EXPECT_EQ(ParseTranslateTarget(Target("lp=es_en&urltext=hola%0D%0Aqu%C3%A9+tal")).text,
              "hola\r\nqué tal");
    // The old program sent its ANSI code page unescaped; such text is not valid UTF-8.
    EXPECT_EQ(ParseTranslateTarget(Target("lp=fr_en&urltext=caf%E9")).text, "café");
    // Control characters other than tab, CR and LF are dropped; NUL never reaches an engine.
    EXPECT_EQ(ParseTranslateTarget(Target("lp=en_es&urltext=a%00b%07c%09d")).text, "abc\td");
}

TEST(ParseTranslateTarget, IgnoresOtherFieldsAndTakesTheFirstOfRepeatedOnes) {
    ParsedRequest r =
        ParseTranslateTarget(Target("x=1&lp=de_en&lp=en_fr&urltext=Hallo&urltext=no&tt=urltext"));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.pairCode, "de_en");
    EXPECT_EQ(r.text, "Hallo");
}

TEST(ParseTranslateTarget, RefusesEveryKindOfBadInputWithItsStatus) {
    struct Case {
        std::string target;
        int status;
    };
    const std::string longText(kMaxTextBytes + 1, 'a');
    const Case cases[] = {
        {Target("urltext=hello"), 400},            // no lp
        {Target("lp=&urltext=hello"), 400},        // empty lp
        {Target("lp=en_xx&urltext=hello"), 400},   // unknown lp
        {Target("lp=EN_FR&urltext=hello"), 400},   // codes are lower case
        {Target("lp=en_fr"), 400},                 // no urltext
        {Target("lp=en_fr&urltext="), 400},        // empty urltext
        {Target("lp=en_fr&urltext=%00%01"), 400},  // nothing left once control bytes go
        {Target("lp=en_fr&urltext=bad%2"), 400},   // malformed escape
        {Target("lp=en_fr&urltext=bad%ZZescape"), 400},
        {Target("lp=en%zz&urltext=x"), 400},
        {std::string(kPath), 400},                      // no query at all
        {Target("lp=en_fr&urltext=" + longText), 414},  // over 8 KiB once decoded
        {"/raging/translate.dy?lp=en_fr&urltext=hello", 404},
        {"/RAGING/TRANSLATE.DYN?lp=en_fr&urltext=hello", 404},
        {"/", 404},
        {"http://host", 404},
        {"http://host?lp=en_fr&urltext=hello", 404},
    };
    for (const Case& c : cases) {
        ParsedRequest r = ParseTranslateTarget(c.target);
        EXPECT_EQ(r.status, c.status) << c.target.substr(0, 80);
        EXPECT_FALSE(r.message.empty());
    }
    // Exactly 8 KiB is still served.
    EXPECT_EQ(ParseTranslateTarget(Target("lp=en_fr&urltext=" + std::string(kMaxTextBytes, 'a'))).status,
              200);
    // An escaped text counts by its decoded length.
    std::string escaped;
    for (std::size_t i = 0; i < kMaxTextBytes / 2; ++i) escaped += "%C3%B1";
    EXPECT_EQ(ParseTranslateTarget(Target("lp=en_fr&urltext=" + escaped)).status, 200);
    EXPECT_EQ(ParseTranslateTarget(Target("lp=en_fr&urltext=" + escaped + "x")).status, 414);
}

TEST(AnswerTranslateRequest, RoutesToTheChosenEngineOrTheFallbackAndRendersItsTranslation) {
    auto scripted = std::make_unique<ScriptedEngine>(false, "<traduction> & co");
    ScriptedEngine& engine = *scripted;
    EngineChain router(std::move(scripted), std::make_unique<PhrasebookEngine>());

    Answer answer = AnswerTranslateRequest(Target("lp=en_fr&urltext=good+morning"), router);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.pairCode, "en_fr");
    EXPECT_EQ(answer.engineNote, "scripted");
    EXPECT_EQ(engine.lastText, "good morning");
    std::optional<std::string> cut = ExtractTranslation(answer.body);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(DecodeCharacterReferences(*cut), "<traduction> & co");

    // ru_en is one the scripted engine does not cover: the phrase book answers.
    Answer fallback =
        AnswerTranslateRequest(Target("lp=ru_en&urltext=%D1%81%D0%BF%D0%B0%D1%81%D0%B8%D0%B1%D0%BE"), router);
    EXPECT_EQ(fallback.status, 200);
    EXPECT_EQ(fallback.engineNote, "phrasebook");
    EXPECT_EQ(ExtractTranslation(fallback.body), std::optional<std::string>("thank you"));
}

TEST(AnswerTranslateRequest, AnEngineFailureIs502WithoutMarkers) {
    EngineChain router(std::make_unique<ScriptedEngine>(true), std::make_unique<PhrasebookEngine>());
    Answer answer = AnswerTranslateRequest(Target("lp=en_es&urltext=hello"), router);
    EXPECT_EQ(answer.status, 502);
    EXPECT_FALSE(HasMarkers(answer.body));
    EXPECT_NE(answer.engineNote.find("scripted failure"), std::string::npos);
}

TEST(AnswerTranslateRequest, RefusalsCarryNoMarkersAndNeverEchoTheClientsText) {
    EngineChain router(nullptr, std::make_unique<PhrasebookEngine>());
    for (std::string target : {Target("lp=xx_yy&urltext=name%3Dq+lass%3Dh"),
                               Target("lp=en_fr&urltext=name=q%"), std::string("/name=q?lass=h")}) {
        Answer answer = AnswerTranslateRequest(target, router);
        EXPECT_GE(answer.status, 400);
        EXPECT_FALSE(HasMarkers(answer.body)) << target;
    }
}

}  // namespace
}  // namespace quillmar::service

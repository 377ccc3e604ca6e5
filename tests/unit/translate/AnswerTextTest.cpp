#include <gtest/gtest.h>

#include <string>

#include "translate/AnswerText.h"

namespace quillmar {
namespace {

const std::string kHeaders = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";

TEST(ExtractTranslation, TextAreaGivesTheTextBetweenTwoCharactersAfterAndBeforeTheMarkers) {
    EXPECT_EQ(ExtractTranslation(kHeaders + "<textarea rows=3 name=q\">bonjour\r\n</textarea><p>"),
              "bonjour");
    // Markers are found whatever their case.
    EXPECT_EQ(ExtractTranslation(kHeaders + "<TEXTAREA NAME=Q\">salut tout le monde\r\n</TEXTAREA>"),
              "salut tout le monde");
    EXPECT_EQ(ExtractTranslation(kHeaders + "<x nAmE=q\">hola..</TextArea>"), "hola");
}

TEST(ExtractTranslation, PositionsCountCodePointsNotBytes) {
    // Two-byte characters right after "name=q" and right before "</textarea>".
    EXPECT_EQ(ExtractTranslation("<x name=q\xC3\xA9\xC3\xBC"
                                 "caf\xC3\xA9\xC3\xBC\xC3\xA9</textarea>"),
              "caf\xC3\xA9");
    // With a = 2 the piece's length (the marker's position) stops it inside the marker; counting bytes
    // would reach past the marker and cut it off instead.
    EXPECT_EQ(ExtractTranslation("\xC3\xA9name=qXYabcdefgh12</textarea>"), "abcdefgh12</textarea");
    // Cyrillic throughout.
    EXPECT_EQ(ExtractTranslation("\xD0\xB0\xD0\xB1name=q\xD0\xB2\xD0\xB3\xD0\xBF\xD1\x80\xD0\xB8"
                                 "\xD0\xB2\xD0\xB5\xD1\x82\xD0\xB4\xD0\xB5</textarea>"),
              "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
}

TEST(ExtractTranslation, ThePositionOfTheEndMarkerIsUsedAsALength) {
    // a = 1 and a = 2: the piece ends inside the marker, which then is not found and stays in the result.
    EXPECT_EQ(ExtractTranslation("name=qXYabcdefgh12</textarea>"), "abcdefgh12</textare");
    EXPECT_EQ(ExtractTranslation("Zname=qXYabcdefgh12</textarea>"), "abcdefgh12</textarea");
    // a = 3: the piece reaches past the marker, which is then cut off with the two characters before it.
    EXPECT_EQ(ExtractTranslation("ZZname=qXYabcdefgh12</textarea>"), "abcdefgh");
}

TEST(ExtractTranslation, AnEndMarkerAtTheFirstOrSecondCharacterOfThePieceIsKept) {
    // The marker stays in the cut, and its ">" rejects it; method B is not tried.
    EXPECT_EQ(ExtractTranslation("abname=qXY</textarea>tail lass=hXYzz<br>..ok..</form><p>"), std::nullopt);
    EXPECT_EQ(ExtractTranslation("abname=qXYZ</textarea>tail"), std::nullopt);
}

TEST(ExtractTranslation, FormEndIsUsedWhenTheTextAreaYieldsNothing) {
    const std::string methodB = "<div class=h2>zz<br>\r\nhola amigo\r\n</form><p>";
    EXPECT_EQ(ExtractTranslation(kHeaders + methodB), "hola amigo");
    // A text area that is present but empty falls through to the form end too.
    EXPECT_EQ(ExtractTranslation(kHeaders + "ab name=q\">..</textarea>" + methodB), "hola amigo");
    EXPECT_EQ(ExtractTranslation(kHeaders + "<DIV CLASS=H2>zz<BR>\r\nhola amigo\r\n</FORM><P>"),
              "hola amigo");
    // Two characters after "<br>", counted as characters.
    EXPECT_EQ(ExtractTranslation("x class=h2>zz<br>\xC2\xAB\xC2\xBBhola\r\n</form><p>"), "hola");
}

TEST(ExtractTranslation, FormEndWithoutABreakDropsFiveCharacters) {
    EXPECT_EQ(ExtractTranslation("xx class=hAB12345rest!!</form><p>"), "rest");
    EXPECT_EQ(ExtractTranslation("xx class=hAB1234!!</form><p>"), "");    // nothing left after five
    EXPECT_EQ(ExtractTranslation("xx class=hAB12<br>!!</form><p>"), "");  // r + 6 beyond the end
}

TEST(ExtractTranslation, MissingMarkersYieldTheEmptyText) {
    EXPECT_EQ(ExtractTranslation(""), "");
    EXPECT_EQ(ExtractTranslation(kHeaders + "<html><body>Service unavailable</body></html>"), "");
    EXPECT_EQ(ExtractTranslation("xx class=hAB12345 no end marker"), "");
    EXPECT_EQ(ExtractTranslation("xxname=q"), "");
}

TEST(ExtractTranslation, AResultHoldingAnAngleBracketIsRejected) {
    EXPECT_EQ(ExtractTranslation("xx name=q\">bon<b>jour</b>..</textarea>"), std::nullopt);
    EXPECT_EQ(ExtractTranslation("x class=h2>zz<br>..a<i>b</i>..</form><p>"), std::nullopt);
    // "<" alone passes; "&gt;" is not decoded here, so it passes too.
    EXPECT_EQ(ExtractTranslation("xx name=q\">a < b &gt; c..</textarea>"), "a < b &gt; c");
}

TEST(ExtractTranslation, TheWholeAnswerIsSearchedHeadersIncluded) {
    const std::string page =
        "HTTP/1.0 200 OK\r\nX-Note: NAME=Q::from the header::</TEXTAREA>\r\n\r\n"
        "<textarea name=q\">from the page..</textarea>";
    EXPECT_EQ(ExtractTranslation(page), "from the header");
}

TEST(ExtractTranslation, LongPagesAreHandledWithTheTranslationAtTheEnd) {
    std::string page = kHeaders;
    while (page.size() < (1U << 20)) page += "<p class=\"filler\">Lorem \xC3\xA9 ipsum dolor</p>\n";
    page += "<textarea name=q\">the end\r\n</textarea>";
    EXPECT_EQ(ExtractTranslation(page), "the end");
}

TEST(DecodeAnswerBytes, ValidUtf8IsKept) {
    const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF";
    EXPECT_EQ(DecodeAnswerBytes(utf8), utf8);
    EXPECT_EQ(DecodeAnswerBytes("plain ascii"), "plain ascii");
    EXPECT_EQ(DecodeAnswerBytes(""), "");
}

TEST(DecodeAnswerBytes, AnythingElseIsReadAsWindows1252) {
    EXPECT_EQ(DecodeAnswerBytes("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(DecodeAnswerBytes("\x80 \x93q\x94 \x9F"), "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8");
    EXPECT_EQ(DecodeAnswerBytes("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    // One bad byte makes the whole answer Windows-1252, its valid UTF-8 sequences included.
    EXPECT_EQ(DecodeAnswerBytes("\xC3\xA9\xFF"), "\xC3\x83\xC2\xA9\xC3\xBF");
}

TEST(ServiceErrorReason, IsTheHeaderOfTheAnswersHeadOnly) {
    const std::string head = "HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/html\r\n";
    EXPECT_EQ(ServiceErrorReason(head + "x-QUILLMAR-error:  deepl: the key was refused \r\n\r\n<p>x</p>"),
              "deepl: the key was refused");
    // Lines ended by a bare line feed, and a head without a body.
    EXPECT_EQ(ServiceErrorReason("HTTP/1.0 502 Bad\nX-Quillmar-Error: no connection"), "no connection");
    // In the body, in a longer header name, empty, or in something that is no HTTP answer: no reason.
    EXPECT_EQ(ServiceErrorReason(head + "\r\nX-Quillmar-Error: made up\r\n"), std::nullopt);
    EXPECT_EQ(ServiceErrorReason(head + "X-Quillmar-Errors: no\r\n\r\n"), std::nullopt);
    EXPECT_EQ(ServiceErrorReason(head + "X-Quillmar-Error:  \r\n\r\n"), std::nullopt);
    EXPECT_EQ(ServiceErrorReason("X-Quillmar-Error: first line\r\n\r\n"), std::nullopt);
}

TEST(DecodeAnswerBytes, MalformedUtf8IsNotTakenForUtf8) {
    for (const std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                  "\xF5\x80\x80\x80", "ab\xE2\x82", "\xC3", "\xA9", "\xE2\x28\xA1"}) {
        const std::string decoded = DecodeAnswerBytes(bad);
        EXPECT_NE(decoded, bad);
        // Each byte of the Windows-1252 reading is one character.
        std::size_t characters = 0;
        for (const char c : decoded) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        EXPECT_EQ(characters, bad.size());
    }
}

TEST(DecodeCharacterReferences, NamedAndNumericReferencesAreDecodedOnce) {
    EXPECT_EQ(DecodeCharacterReferences("a &amp; b &lt;c&gt; &quot;d&quot; &#39;e&#39;"),
              "a & b <c> \"d\" 'e'");
    EXPECT_EQ(DecodeCharacterReferences("x&nbsp;y"), "x\xC2\xA0y");
    EXPECT_EQ(DecodeCharacterReferences("&#65;&#x42;&#X43;&#x20ac;&#8364;&#0000065;"),
              "ABC\xE2\x82\xAC\xE2\x82\xAC"
              "A");
    EXPECT_EQ(DecodeCharacterReferences("&#x1F600;"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeCharacterReferences("&#150;"), "\xE2\x80\x93");  // as browsers read 128-159
    EXPECT_EQ(DecodeCharacterReferences("&amp;lt; &&amp;"), "&lt; &&");
}

TEST(DecodeCharacterReferences, AnythingElseIsKeptAsItStands) {
    for (const char* kept :
         {"&copy;", "&apos;", "&AMP;", "&amp", "&#65", "&#;", "&#x;", "&#0;", "&#xD800;", "&#x110000;",
          "&#1114112;", "&#99999999999999999999;", "&#x-1;", "&", "a & b", "&nbsp", "&;", "&#xG;"}) {
        EXPECT_EQ(DecodeCharacterReferences(kept), kept);
    }
    EXPECT_EQ(DecodeCharacterReferences("&#x10FFFF;"), "\xF4\x8F\xBF\xBF");
}

}  // namespace
}  // namespace quillmar

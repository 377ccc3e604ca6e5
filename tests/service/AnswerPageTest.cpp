#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "service/AnswerPage.h"
#include "translate/AnswerText.h"

namespace quillmar::service {
namespace {

using testing::HasMarkers;

// What the client does with an answer: cut the translation out, then decode character references.
std::optional<std::string> ClientReads(std::string_view answer) {
    std::optional<std::string> cut = ExtractTranslation(DecodeAnswerBytes(answer));
    if (!cut) return std::nullopt;
    return DecodeCharacterReferences(*cut);
}

const char* const kTrickyTexts[] = {
    "buenos días",
    "x",
    "ab",
    "a > b < c",
    "<b>bold</b> and <textarea>",
    "name=q </textarea> lass=h </form><p> <br> NAME=Q",
    "Tom & Jerry &amp; &lt;tag&gt; &#62; &nbsp;",
    "\"double\" and 'single' quotes",
    "Unicode: 日本語 ñ ü Привет 😀",
    "line one\r\nline two\r\n\r\nline four",
    "unix\nbreaks\n",
    "  leading and trailing blanks  ",
    "\ttab",
};

TEST(AnswerPage, TheClientsCutFindsExactlyTheTranslationForTrickyTexts) {
    for (const char* text : kTrickyTexts) {
        std::string page = RenderTranslationPage("en_fr", text);
        EXPECT_EQ(ClientReads(page), std::optional<std::string>(text)) << text;
        // The client searches the whole answer, status line and headers included.
        std::string answer =
            "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + std::to_string(page.size()) +
            "\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" + page;
        EXPECT_EQ(ClientReads(answer), std::optional<std::string>(text)) << text;
    }
}

TEST(AnswerPage, AnEmptyTranslationIsReadAsEmptyNotRejected) {
    EXPECT_EQ(ClientReads(RenderTranslationPage("en_fr", "")), std::optional<std::string>(""));
}

TEST(AnswerPage, NothingBeforeTheTextAreaLooksLikeAMarker) {
    std::string page = RenderTranslationPage("de_fr", "Hallo");
    std::string low = testing::Lowered(page);
    std::size_t first = low.find("name=q");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(page.substr(first, 8), "name=q>\n");
    EXPECT_EQ(low.find("lass=h"), std::string::npos);
    EXPECT_NE(page.find("Hallo\n\n</textarea>"), std::string::npos);
}

TEST(AnswerPage, MarkupAndQuotesAreCharacterReferencesInThePage) {
    EXPECT_EQ(EscapeHtml("<a href=\"x\">Tom's & co</a>"),
              "&lt;a href=&quot;x&quot;&gt;Tom&#39;s &amp; co&lt;/a&gt;");
    std::string page = RenderTranslationPage("en_es", "1 > 0");
    EXPECT_NE(page.find("1 &gt; 0"), std::string::npos);
}

TEST(AnswerPage, ErrorPagesCarryNoMarkersAndNameTheStatus) {
    for (int status : {400, 404, 405, 414, 500, 502, 503}) {
        std::string page = RenderErrorPage(status, "Something <odd> & wrong");
        EXPECT_FALSE(HasMarkers(page)) << status;
        EXPECT_NE(page.find(std::to_string(status) + " " + std::string(StatusTitle(status))),
                  std::string::npos);
        EXPECT_NE(page.find("Something &lt;odd&gt; &amp; wrong"), std::string::npos);
    }
}

}  // namespace
}  // namespace quillmar::service

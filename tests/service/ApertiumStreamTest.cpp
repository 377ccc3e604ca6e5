#include <gtest/gtest.h>

#include "service/ApertiumStream.h"

namespace quillmar::service {
namespace {

TEST(ApertiumStream, EscapesTheFormatsCharactersAndKeepsLineBreaksAsSuperblanks) {
    EXPECT_EQ(ToApertiumStream("good morning"), "good morning[]");
    EXPECT_EQ(ToApertiumStream("^a$ @b /c <d> {e} [f] \\g *h"),
              "\\^a\\$ \\@b \\/c \\<d\\> \\{e\\} \\[f\\] \\\\g \\*h[]");
    EXPECT_EQ(ToApertiumStream("one\r\ntwo"), "one[\r][\n]two[]");
    EXPECT_EQ(ToApertiumStream(std::string("a\0b", 3)), "ab[]");
    EXPECT_EQ(ToApertiumStream(""), "[]");
}

TEST(ApertiumStream, ReadsApertiumOutputBackToText) {
    EXPECT_EQ(FromApertiumStream("buenos días[]"), "buenos días");
    EXPECT_EQ(FromApertiumStream("Un \\<b\\> \\[x\\] \\^y\\$ \\@z w\\/v \\\\ *[\n]segunda línea[]"),
              "Un <b> [x] ^y$ @z w/v \\ *\nsegunda línea");
    EXPECT_EQ(FromApertiumStream("a[[wb]]b"), "awbb");
    EXPECT_EQ(FromApertiumStream("trailing\\"), "trailing\\");
}

TEST(ApertiumStream, RoundTripsAnyTextWithoutNul) {
    for (const char* text :
         {"plain", "<b>x</b> & [y] {z} ^$@/\\*", "l1\r\nl2\n\nl4", "ñ 日本 😀", "  ", "[]", "\\["}) {
        EXPECT_EQ(FromApertiumStream(ToApertiumStream(text)), text) << text;
    }
}

TEST(ApertiumStream, TidiesBlanksTheSourceDidNotHave) {
    EXPECT_EQ(TidyBlanks("He have gone", " Ha ido"), "Ha ido");
    EXPECT_EQ(TidyBlanks("today? I will", "hoy?  Enviaré "), "hoy? Enviaré");
    EXPECT_EQ(TidyBlanks("  indented  twice ", "  sangrado  dos veces "), "  sangrado  dos veces ");
    EXPECT_EQ(TidyBlanks("a\r\nb", "a\r\n b"), "a\r\n b");
    EXPECT_EQ(TidyBlanks("x", "   "), "");
}

}  // namespace
}  // namespace quillmar::service

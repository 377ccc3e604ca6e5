#include <gtest/gtest.h>

#include "win32/WinText.h"

namespace quillmar::win32 {
namespace {

// Text from another program or a file may be malformed; one bad unit must not cost the whole text.
TEST(WinText, BrokenInputKeepsTheRestOfTheText) {
    EXPECT_EQ(Utf8ToWide("a\xFFz"), L"a\uFFFDz");
    EXPECT_EQ(Utf8ToWide("ok \xD0"), L"ok \uFFFD");  // cut inside a two-byte sequence
    EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"z"), "a\xEF\xBF\xBDz");  // lone surrogate
}

TEST(WinText, EmbeddedNulsAndEmptyTextPassThrough) {
    EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(WideToUtf8(L""), "");
}

}  // namespace
}  // namespace quillmar::win32

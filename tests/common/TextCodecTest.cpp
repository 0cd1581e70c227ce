// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <iconv.h>

#include "common/TextCodec.h"

namespace orvane::test {
namespace {

TEST(TextCodec, Utf8RoundTripKeepsSlovakLettersAndCharactersOutsideTheBmp) {
    const std::u16string text = u"Predvolené konto učiteľa \U0001F600";
    EXPECT_EQ(ToUtf8(text), "Predvolené konto učiteľa \xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(TextCodec, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xC4"));              // cut short
    EXPECT_TRUE(
        IsValidUtf8("u\xC4\x8D"
                    "ite\xC4\xBE"));
}

TEST(TextCodec, Windows1250MatchesTheSystemConverterForEveryByte) {
    iconv_t converter = iconv_open("UTF-16LE", "CP1250");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        char16_t out[2] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        const bool mapped = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != std::size_t(-1);
        const std::u16string ours = FromWindows1250(std::string(1, in));
        EXPECT_EQ(ours[0], mapped ? out[0] : u'\uFFFD') << "byte " << byte;
    }
    iconv_close(converter);
}

}  // namespace
}  // namespace orvane::test

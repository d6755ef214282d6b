#include "render/text_layout.hpp"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(DecodeUtf8, DecodesOneToFourByteSequences) {
    EXPECT_EQ(decodeUtf8(""), U"");
    EXPECT_EQ(decodeUtf8("A\n~\x7f"), U"A\n~\x7f");
    EXPECT_EQ(decodeUtf8("\xc3\xa9\xce\xa9\xd0\x96"), U"\u00e9\u03a9\u0416");  // é Ω Ж
    EXPECT_EQ(decodeUtf8("\xe2\x82\xac\xef\xbf\xbf"), U"\u20ac\uffff");
    // Three bytes led by 0xE0, whose second byte starts at 0xA0: U+0800 to U+0FFF.
    EXPECT_EQ(decodeUtf8("\xe0\xa0\x80\xe0\xa4\x85\xe0\xbf\xbf"), U"\u0800\u0905\u0fff");
    EXPECT_EQ(decodeUtf8("\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf"), U"\U0001F600\U0010FFFF");
}

TEST(DecodeUtf8, EachByteThatDoesNotDecodeBecomesOneReplacementCharacter) {
    const std::u32string bad2 = U"\ufffd\ufffd";
    const std::u32string bad3 = U"\ufffd\ufffd\ufffd";
    const std::u32string bad4 = U"\ufffd\ufffd\ufffd\ufffd";
    // Overlong forms of '/' and of U+07FF, U+FFFF.
    EXPECT_EQ(decodeUtf8("\xc0\xaf" "A"), bad2 + U"A");
    EXPECT_EQ(decodeUtf8("\xe0\x9f\xbf"), bad3);
    EXPECT_EQ(decodeUtf8("\xf0\x8f\xbf\xbf"), bad4);
    // Surrogates, beyond U+10FFFF, bytes that never lead.
    EXPECT_EQ(decodeUtf8("\xed\xa0\x80"), bad3);
    EXPECT_EQ(decodeUtf8("\xed\xbf\xbf"), bad3);
    EXPECT_EQ(decodeUtf8("\xf4\x90\x80\x80"), bad4);
    EXPECT_EQ(decodeUtf8("\x80\xbf\xf5\xff"), bad4);
    // Truncated sequences, at the end and before other characters, which survive.
    EXPECT_EQ(decodeUtf8("\xe2\x82"), bad2);
    EXPECT_EQ(decodeUtf8("\xf0\x9f\x98" "B"), bad3 + U"B");
    EXPECT_EQ(decodeUtf8("\xc3" "\xc3\xa9"), U"\ufffd\u00e9");
}

}  // namespace
}  // namespace orv

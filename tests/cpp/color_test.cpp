#include "bindings/color.hpp"
#include "render/colour_text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace orv {
namespace {

enum class Outcome { Value, InvalidArgument, OutOfRange };

struct ParseCase {
    std::string text;
    std::string printed;  // without the trailing newline
    Outcome outcome;
    std::int32_t value;
};

const ParseCase kParseCases[] = {
    {"#ff8800", "0xff8800", Outcome::Value, 0xFF8800},
    {"#FF8800", "0xff8800", Outcome::Value, 0xFF8800},
    {"#f80", "0xf80", Outcome::Value, 0x000F80},
    {"ff8800", "0xf8800", Outcome::Value, 0x0F8800},
    {"#ff8800zz", "0xff8800zz", Outcome::Value, 0xFF8800},
    {"#ABCDEFG", "0xabcdefg", Outcome::Value, 0xABCDEF},
    {"#12345678", "0x12345678", Outcome::Value, 0x12345678},
    {"#00000000ff", "0x00000000ff", Outcome::Value, 0xFF},
    {"#ffffffff", "0xffffffff", Outcome::Value, -1},
    {"#80000000", "0x80000000", Outcome::Value, INT32_MIN},
    {"red", "0xed", Outcome::Value, 0xED},
    {"#", "0x", Outcome::InvalidArgument, 0},
    {"#zz", "0xzz", Outcome::InvalidArgument, 0},
    {"# ff", "0x ff", Outcome::InvalidArgument, 0},
    {"#+ff", "0x+ff", Outcome::InvalidArgument, 0},
    {"#-1", "0x-1", Outcome::InvalidArgument, 0},
    {"0xff0000", "0xxff0000", Outcome::InvalidArgument, 0},
    {"blue", "0xlue", Outcome::InvalidArgument, 0},
    {"#\xC3\x89", "0x\xC3\x89", Outcome::InvalidArgument, 0},
    {"#100000000", "0x100000000", Outcome::OutOfRange, 0},
    {"#" + std::string(40, 'f'), "0x" + std::string(40, 'f'), Outcome::OutOfRange, 0},
    {"#" + std::string(60, '0') + "ff", "0x" + std::string(60, '0') + "ff", Outcome::Value, 0xFF},
};

TEST(ParseColor, PrintsLineThenReturnsOrThrows) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE("text: \"" + c.text + "\"");
        std::ostringstream out;
        switch (c.outcome) {
            case Outcome::Value:
                EXPECT_EQ(parseColor(c.text, out), c.value);
                break;
            case Outcome::InvalidArgument:
                try {
                    parseColor(c.text, out);
                    ADD_FAILURE() << "no exception";
                } catch (const std::invalid_argument& e) {
                    EXPECT_STREQ(e.what(), "invalid stoul argument");
                }
                break;
            case Outcome::OutOfRange:
                try {
                    parseColor(c.text, out);
                    ADD_FAILURE() << "no exception";
                } catch (const std::out_of_range& e) {
                    EXPECT_STREQ(e.what(), "stoul argument out of range");
                }
                break;
        }
        EXPECT_EQ(out.str(), c.printed + "\n");
    }
}

TEST(ParseColor, EmptyTextThrowsBeforePrinting) {
    std::ostringstream out;
    try {
        parseColor("", out);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid string position");
    }
    EXPECT_EQ(out.str(), "");
}

TEST(ParseColor, DefaultOverloadWritesToStdout) {
    std::ostringstream captured;
    std::streambuf* old = std::cout.rdbuf(captured.rdbuf());
    std::int32_t value = 0;
    try {
        value = parseColor("#00ff00");
    } catch (...) {
        std::cout.rdbuf(old);
        throw;
    }
    std::cout.rdbuf(old);
    EXPECT_EQ(value, 0x00FF00);
    EXPECT_EQ(captured.str(), "0x00ff00\n");
}

TEST(UnpackColor, SplitsChannelsInOrder) {
    const std::array<float, 3> orange{1.0f, 0.53333336f, 0.0f};
    EXPECT_EQ(unpackColor(0xFF8800), orange);
    EXPECT_EQ(unpackColor(0x1FF8800), orange);
    EXPECT_EQ(unpackColor(static_cast<std::int32_t>(0x80FF8800u)), orange);

    const std::array<float, 3> small{1.0f / 255.0f, 2.0f / 255.0f, 3.0f / 255.0f};
    EXPECT_EQ(unpackColor(0x010203), small);

    const std::array<float, 3> white{1.0f, 1.0f, 1.0f};
    EXPECT_EQ(unpackColor(-1), white);
    const std::array<float, 3> black{0.0f, 0.0f, 0.0f};
    EXPECT_EQ(unpackColor(INT32_MIN), black);
}

TEST(ParseColourText, HexFormsPackRedLowAndAlphaHigh) {
    EXPECT_EQ(parseColourText("#11223344"), 0x44332211u);
    EXPECT_EQ(parseColourText("#AbCdEf"), 0xFFEFCDABu);
    EXPECT_EQ(parseColourText("#f80"), 0xFF0088FFu);
    EXPECT_EQ(parseColourText("#ff880000"), 0x000088FFu);
    EXPECT_EQ(rgbaOfHex(0x7F112233), 0xFF332211u);
}

TEST(ParseColourText, NamesIgnoreCaseAcrossTheTable) {
    EXPECT_EQ(parseColourText("aliceblue"), rgbaOfHex(0xF0F8FF));
    EXPECT_EQ(parseColourText("yellowgreen"), rgbaOfHex(0x9ACD32));
    EXPECT_EQ(parseColourText("RebeccaPurple"), rgbaOfHex(0x663399));
    EXPECT_EQ(parseColourText("LIGHTGOLDENRODYELLOW"), rgbaOfHex(0xFAFAD2));
    EXPECT_EQ(parseColourText("grey"), parseColourText("gray"));
    EXPECT_EQ(parseColourText("Transparent"), 0u);
}

TEST(ParseColourText, RefusesEverythingElse) {
    const std::string refused[] = {
        "", "#", "#f", "#ff", "#ffff", "#fffff", "#fffffff", "#fffffffff", "#ggg", "#+ff", "# fff", "##fff",
        "ff0000", "0xff0000", " red", "red ", "redd", "re", "lightgoldenrodyellowx", std::string("red\0", 4),
        "r\xC3\xA9" "d"};
    for (const std::string& text : refused) {
        EXPECT_EQ(parseColourText(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace orv

#include "platform/strings.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>

namespace vx {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitQuoted, QuotesProtectTheDelimiterAndADoubledQuoteIsOneQuote) {
    const std::tuple<const char*, char, Fields> cases[] = {
        {"a,\"b,c\",d", ',', {"a", "b,c", "d"}},
        {",", ',', {"", ""}},
        {"", ',', {""}},
        {"a,\"b,c,d", ',', {"a", "b,c,d"}},  // an unclosed quote keeps the rest
        {"1;\"x;y\";3,5", ';', {"1", "x;y", "3,5"}},
        {"a\tb\t", '\t', {"a", "b", ""}},
        {"\"say \"\"hi\"\"\",2", ',', {"say \"hi\"", "2"}},
        {"\"\",x", ',', {"", "x"}},
        {"\"\"\"\"", ',', {"\""}},
        {"ab\"c,d\"e,f", ',', {"abc,de", "f"}},  // quotes may open inside a field
    };
    for (const auto& [text, delimiter, fields] : cases)
        EXPECT_EQ(SplitQuoted(text, delimiter), fields) << text;
}

TEST(Strings, UpperCaseFollowsTheCodePage) {
    EXPECT_EQ(UpperAnsi("MapInfo symbols"), "MAPINFO SYMBOLS");
    EXPECT_EQ(UpperAnsi("\xE9t\xE9"), "\xC9T\xC9");  // été
    EXPECT_EQ(UpperAnsi(std::string("\xF7")), "\xF7") << "the division sign has no case";
    EXPECT_TRUE(EqualsNoCase("Roads.MIF", "roads.mif"));
    EXPECT_FALSE(EqualsNoCase("roads.mif", "roads.mi"));
    EXPECT_TRUE(EndsWithNoCase("x.Dbf", ".DBF"));
}

// The bits of the double std::from_chars reads from the text.
std::uint64_t Bits(std::string_view text) {
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return std::bit_cast<std::uint64_t>(v);
}

// Whole texts: the shortcut's numbers (checked to the bit below) and what it leaves to the
// general conversion.
TEST(Strings, DecimalsOutsideTheShortcutStillParse) {
    double v = 0;
    for (const char* bad : {"", "-", "+", ".", "1.2.3", "12a", " 1", "1e", "--1", "+-1"})
        EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
    for (auto [text, want] : {std::pair{"-0.5", -0.5},
                              {"+7", 7.0},
                              {"5.", 5.0},
                              {"1e3", 1000.0},
                              {"0.000000000000000000001234", 1.234e-21},
                              {"123456789012345678", 123456789012345678.0}})
        EXPECT_TRUE(ParseDecimal(text, v) && v == want) << text;
}

// The vertex reader parses numbers in place and judges what follows them itself, so the
// shortcut must stop exactly at the first character that is not part of the number, whatever
// that character is, on the eight-at-a-time road and on the byte road near the text's end.
TEST(Strings, PlainDecimalStopsAtTheFirstCharacterAfterTheNumber) {
    for (const std::string_view tail : {"", "7654321", "12345678.5"}) {
        for (int whole = 0; whole <= 20; ++whole) {
            for (int fraction = -1; fraction <= 9; ++fraction) {
                std::string number = "-";
                std::uint64_t mantissa = 0;
                for (int i = 0; i < whole + std::max(fraction, 0); ++i) {
                    if (i == whole) number += '.';
                    const int digit = (3 * i + 1) % 10;  // every digit in any ten in a row
                    number += static_cast<char>('0' + digit);
                    mantissa = mantissa * 10 + static_cast<unsigned>(digit);
                }
                if (fraction == 0) number += '.';
                const int digits = whole + std::max(fraction, 0);
                const bool exact = digits >= 1 && digits <= 19 && mantissa <= (1ull << 53);
                for (int next = 0; next < 256; ++next) {
                    if ((next >= '0' && next <= '9') || (next == '.' && fraction < 0)) continue;
                    const std::string text = number + static_cast<char>(next) + std::string(tail);
                    const char* p = text.data();
                    double got = 0;
                    const bool ok = ParsePlainDecimal(p, text.data() + text.size(), got);
                    ASSERT_EQ(ok, exact) << number << " then byte " << next;
                    // A refusal moves nothing; a number is read to its end and no further.
                    ASSERT_EQ(p, text.data() + (ok ? number.size() : 0)) << number << " " << next;
                    if (ok) {
                        ASSERT_EQ(std::bit_cast<std::uint64_t>(got), Bits(number)) << number;
                    }
                }
            }
        }
    }
}

TEST(Strings, NumbersParseWholeTextsOnly) {
    EXPECT_EQ(ParseDouble(" -12.5 ").value_or(0), -12.5);
    EXPECT_EQ(ParseDouble("+3e2").value_or(0), 300.0);
    for (const char* bad : {"12,5", "", "1x"})
        EXPECT_FALSE(ParseDouble(bad).has_value()) << bad;
    EXPECT_EQ(ParseInteger("2000000000").value_or(0), 2000000000);
    EXPECT_FALSE(ParseInteger("99999999999999999999").has_value());
}

}  // namespace
}  // namespace vx

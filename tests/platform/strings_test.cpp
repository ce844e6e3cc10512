#include "platform/strings.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>

namespace vx {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitQuoted, QuotesProtectTheDelimiter) {
    EXPECT_EQ(SplitQuoted("a,\"b,c\",d", ','), (Fields{"a", "b,c", "d"}));
    EXPECT_EQ(SplitQuoted(",", ','), (Fields{"", ""}));
    EXPECT_EQ(SplitQuoted("", ','), (Fields{""}));
    EXPECT_EQ(SplitQuoted("a,\"b,c,d", ','), (Fields{"a", "b,c,d"}))
        << "unclosed quote keeps the rest";
    EXPECT_EQ(SplitQuoted("1;\"x;y\";3,5", ';'), (Fields{"1", "x;y", "3,5"}));
    EXPECT_EQ(SplitQuoted("a\tb\t", '\t'), (Fields{"a", "b", ""}));
}

TEST(SplitQuoted, DoubledQuoteInsideQuotesIsOneQuote) {
    EXPECT_EQ(SplitQuoted("\"say \"\"hi\"\"\",2", ','), (Fields{"say \"hi\"", "2"}));
    EXPECT_EQ(SplitQuoted("\"\",x", ','), (Fields{"", "x"}));
    EXPECT_EQ(SplitQuoted("\"\"\"\"", ','), (Fields{"\""}));
}

TEST(Strings, UpperCaseFollowsTheCodePage) {
    EXPECT_EQ(UpperAnsi("MapInfo symbols"), "MAPINFO SYMBOLS");
    EXPECT_EQ(UpperAnsi("\xE9t\xE9"), "\xC9T\xC9");  // été
    EXPECT_EQ(UpperAnsi(std::string("\xF7")), "\xF7") << "the division sign has no case";
    EXPECT_TRUE(EqualsNoCase("Roads.MIF", "roads.mif"));
    EXPECT_FALSE(EqualsNoCase("roads.mif", "roads.mi"));
    EXPECT_TRUE(EndsWithNoCase("x.Dbf", ".DBF"));
}

TEST(Strings, DecimalShortcutAgreesWithFromCharsToTheBit) {
    std::mt19937_64 random(42);
    for (int i = 0; i < 200000; ++i) {
        char text[64];
        const int decimals = static_cast<int>(random() % 12);
        const double magnitude = std::pow(10.0, static_cast<double>(random() % 14) - 3);
        const double v =
            (static_cast<double>(random() % 2000001) - 1000000.0) / 1000000.0 * magnitude;
        auto [end, ec] =
            std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
        ASSERT_EQ(ec, std::errc());
        const std::string_view s(text, static_cast<std::size_t>(end - text));
        double expected = 0, got = 0;
        std::from_chars(s.data(), s.data() + s.size(), expected);
        ASSERT_TRUE(ParseDecimal(s, got)) << s;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected)) << s;
    }
    double v = 0;
    for (const char* bad : {"", "-", "+", ".", "1.2.3", "12a", " 1", "1e", "--1", "+-1"}) {
        EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
    }
    for (auto [text, want] : {std::pair{"-0.5", -0.5},
                              {"+7", 7.0},
                              {"5.", 5.0},
                              {"1e3", 1000.0},
                              {"0.000000000000000000001234", 1.234e-21},
                              {"123456789012345678", 123456789012345678.0}}) {
        ASSERT_TRUE(ParseDecimal(text, v)) << text;
        EXPECT_EQ(v, want) << text;
    }
}

// The vertex reader parses numbers in place and judges what follows them itself, so the
// shortcut must stop exactly at the first character that is not part of the number, whatever
// that character is, on the eight-at-a-time road and on the byte road near the text's end.
TEST(Strings, PlainDecimalStopsAtTheFirstCharacterAfterTheNumber) {
    for (const std::string_view tail : {"", "7654321", "12345678.5"}) {
        for (int whole = 0; whole <= 20; ++whole) {
            for (int fraction = -1; fraction <= 9; ++fraction) {
                std::string number = "-";
                for (int i = 0; i < whole; ++i)
                    number += static_cast<char>('1' + i % 9);
                if (fraction >= 0) number += '.';
                for (int i = 0; i < fraction; ++i)
                    number += static_cast<char>('9' - i % 9);
                const int digits = whole + std::max(fraction, 0);
                std::uint64_t mantissa = 0;
                for (char c : number)
                    if (c >= '0' && c <= '9')
                        mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
                const bool exact = digits >= 1 && digits <= 19 && mantissa <= (1ull << 53);
                for (int next = 0; next < 256; ++next) {
                    if ((next >= '0' && next <= '9') || (next == '.' && fraction < 0)) continue;
                    const std::string text = number + static_cast<char>(next) + std::string(tail);
                    const char* p = text.data();
                    double got = 0;
                    const bool ok = ParsePlainDecimal(p, text.data() + text.size(), got);
                    ASSERT_EQ(ok, exact) << number << " then byte " << next;
                    if (!ok) {
                        ASSERT_EQ(p, text.data()) << "a refusal moves nothing";
                        continue;
                    }
                    ASSERT_EQ(p, text.data() + number.size()) << number << " then byte " << next;
                    double expected = 0;
                    std::from_chars(number.data(), number.data() + number.size(), expected);
                    ASSERT_EQ(std::bit_cast<std::uint64_t>(got),
                              std::bit_cast<std::uint64_t>(expected))
                        << number;
                }
            }
        }
    }
}

TEST(Strings, NumbersParseWholeTextsOnly) {
    EXPECT_EQ(ParseDouble(" -12.5 ").value_or(0), -12.5);
    EXPECT_EQ(ParseDouble("+3e2").value_or(0), 300.0);
    EXPECT_FALSE(ParseDouble("12,5").has_value());
    EXPECT_FALSE(ParseDouble("").has_value());
    EXPECT_FALSE(ParseDouble("1x").has_value());
    EXPECT_EQ(ParseInteger("2000000000").value_or(0), 2000000000);
    EXPECT_FALSE(ParseInteger("99999999999999999999").has_value());
}

}  // namespace
}  // namespace vx

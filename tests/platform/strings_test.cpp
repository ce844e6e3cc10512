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
        const double v = (static_cast<double>(random() % 2000001) - 1000000.0) / 1000000.0 * magnitude;
        auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
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
    for (auto [text, want] : {std::pair{"-0.5", -0.5}, {"+7", 7.0}, {"5.", 5.0}, {"1e3", 1000.0},
                              {"0.000000000000000000001234", 1.234e-21},
                              {"123456789012345678", 123456789012345678.0}}) {
        ASSERT_TRUE(ParseDecimal(text, v)) << text;
        EXPECT_EQ(v, want) << text;
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

#include "platform/strings.h"

#include <gtest/gtest.h>

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

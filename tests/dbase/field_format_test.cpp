#include "dbase/field_format.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

std::string Numeric(std::string_view value, int width, int decimals) {
    return FormatField('N', value, width, decimals);
}

TEST(NumericRule, CutsTheFractionAndNeverRounds) {
    EXPECT_EQ(Numeric("12.5", 8, 2), "   12.50");
    EXPECT_EQ(Numeric("7", 8, 2), "    7.00");
    EXPECT_EQ(Numeric("1.256", 8, 2), "    1.25");
    EXPECT_EQ(Numeric("12.7", 5, 0), "   12");
    EXPECT_EQ(Numeric("-0.5", 8, 2), "   -0.50");
    EXPECT_EQ(Numeric(" 007.10 ", 8, 3), "   7.100");
}

TEST(NumericRule, KeepsEveryDigitOfAValueThatFits) {
    EXPECT_EQ(Numeric("3500000000.25", 20, 2), "       3500000000.25");
    EXPECT_EQ(Numeric("-98765432109876543", 20, 0), "  -98765432109876543");
    EXPECT_EQ(Numeric("12345678901234567890", 20, 0), "12345678901234567890");
    // Exponent forms go through their value.
    EXPECT_EQ(Numeric("1.5e3", 8, 1), "  1500.0");
    EXPECT_EQ(Numeric("25E-4", 8, 4), "  0.0025");
}

TEST(NumericRule, BlanksCutsAndOddForms) {
    EXPECT_EQ(Numeric("", 6, 2), "      ");
    EXPECT_EQ(Numeric("   ", 6, 0), "      ");
    EXPECT_EQ(Numeric("12a", 6, 0), "      ");
    EXPECT_EQ(Numeric("abc.5", 6, 1), "      ");
    EXPECT_EQ(Numeric("inf", 6, 0), "      ");
    EXPECT_EQ(Numeric("1.2.3", 8, 2), "    0.00");  // two points make a zero
    EXPECT_EQ(Numeric("123456", 5, 0), "12345");    // too long: its first characters
    EXPECT_EQ(Numeric("123456.5", 7, 2), "1234.50");
    EXPECT_EQ(Numeric("5", 2, 2), "  ");  // no room for the point
}

TEST(LogicalAndDate, FormatTruthValuesAndDates) {
    EXPECT_EQ(FormatField('L', "yes", 1, 0), "?");
    EXPECT_EQ(FormatField('L', "", 1, 0), "?");
    EXPECT_EQ(FormatField('l', "1", 1, 0), "T");
    EXPECT_EQ(FormatField('L', "True", 1, 0), "T");
    EXPECT_EQ(FormatField('L', "t", 1, 0), "T");  // MIF writes its logicals as T and F
    EXPECT_EQ(FormatField('L', "F", 1, 0), "F");

    EXPECT_EQ(FormatField('D', "20050314", 8, 0), "20050314");
    EXPECT_EQ(FormatField('D', "2005-03-14", 8, 0), "20050314");
    EXPECT_EQ(FormatField('D', "2005/3/4", 8, 0), "20050304");
    EXPECT_EQ(FormatField('D', "2004/02/29 10:11:12", 8, 0), "20040229");
    EXPECT_EQ(FormatField('D', "20050314101112000", 8, 0), "20050314");
    EXPECT_EQ(FormatField('D', "20050229", 8, 0), "        ");
    EXPECT_EQ(FormatField('D', "14/03/2005", 8, 0), "        ");
    EXPECT_EQ(FormatField('D', "", 8, 0), "        ");
}

TEST(StoredValues, ReadBackAsPlainTextOrNothing) {
    EXPECT_EQ(StoredValueText('N', "  -3.250"), "-3.25");
    EXPECT_EQ(StoredValueText('N', "  -0.00"), "0");
    EXPECT_EQ(StoredValueText('F', " 1.5e+03"), "1500");
    EXPECT_FALSE(StoredValueText('N', "*****"));  // GDAL's empty number
    EXPECT_FALSE(StoredValueText('D', "00000000"));
    EXPECT_EQ(StoredValueText('C', std::string_view("  ab c \0 ", 9)), "  ab c");
}

}  // namespace
}  // namespace vx

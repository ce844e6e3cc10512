#include "dbase/field_format.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// Numbers are cut, never rounded, keep every digit that fits, and what is no number is
// blanks; too long, a value keeps its first characters; two points make a zero; MIF writes
// its logicals as T and F.
TEST(FieldFormat, NumericLogicalAndDateValues) {
    const std::tuple<const char*, char, int, int, const char*> cases[] = {
        {"12.5", 'N', 8, 2, "   12.50"},
        {"7", 'N', 8, 2, "    7.00"},
        {"1.256", 'N', 8, 2, "    1.25"},
        {"12.7", 'N', 5, 0, "   12"},
        {"-0.5", 'N', 8, 2, "   -0.50"},
        {" 007.10 ", 'N', 8, 3, "   7.100"},
        {"3500000000.25", 'N', 20, 2, "       3500000000.25"},
        {"-98765432109876543", 'N', 20, 0, "  -98765432109876543"},
        {"12345678901234567890", 'N', 20, 0, "12345678901234567890"},
        {"1.5e3", 'N', 8, 1, "  1500.0"},
        {"25E-4", 'N', 8, 4, "  0.0025"},
        {"", 'N', 6, 2, "      "},
        {"   ", 'N', 6, 0, "      "},
        {"12a", 'N', 6, 0, "      "},
        {"abc.5", 'N', 6, 1, "      "},
        {"inf", 'N', 6, 0, "      "},
        {"1.2.3", 'N', 8, 2, "    0.00"},
        {"123456", 'N', 5, 0, "12345"},
        {"123456.5", 'N', 7, 2, "1234.50"},
        {"5", 'N', 2, 2, "  "},
        {"yes", 'L', 1, 0, "?"},
        {"", 'L', 1, 0, "?"},
        {"1", 'l', 1, 0, "T"},
        {"True", 'L', 1, 0, "T"},
        {"t", 'L', 1, 0, "T"},
        {"F", 'L', 1, 0, "F"},
        {"20050314", 'D', 8, 0, "20050314"},
        {"2005-03-14", 'D', 8, 0, "20050314"},
        {"2005/3/4", 'D', 8, 0, "20050304"},
        {"2004/02/29 10:11:12", 'D', 8, 0, "20040229"},
        {"20050314101112000", 'D', 8, 0, "20050314"},
        {"20050229", 'D', 8, 0, "        "},
        {"14/03/2005", 'D', 8, 0, "        "},
        {"", 'D', 8, 0, "        "}};
    for (const auto& [value, type, width, decimals, stored] : cases)
        EXPECT_EQ(FormatField(type, value, width, decimals), stored) << type << " " << value;
}

TEST(FieldFormat, StoredValuesReadBackAsPlainTextOrNothing) {
    EXPECT_EQ(StoredValueText('N', "  -3.250"), "-3.25");
    EXPECT_EQ(StoredValueText('N', "  -0.00"), "0");
    EXPECT_EQ(StoredValueText('F', " 1.5e+03"), "1500");
    EXPECT_FALSE(StoredValueText('N', "*****"));  // GDAL's empty number
    EXPECT_FALSE(StoredValueText('D', "00000000"));
    EXPECT_EQ(StoredValueText('C', std::string_view("  ab c \0 ", 9)), "  ab c");
}

}  // namespace
}  // namespace vx

#include "mif/mif_header.h"

#include <gtest/gtest.h>

#include <set>

#include "mif_test_support.h"
#include "platform/strings.h"

namespace vx {
namespace {

using test::MifText;

const MifReadOptions kWithTable{.CreateDbf = true, .CreateContours = false};
const std::string kHeaderError = "\tError Reading MIF Header\r\n";

TEST(MifHeader, DelimiterCoordSysAndColumns) {
    test::MifResult r =
        test::ReadMif(MifText("",
                              "Delimiter \";\"\r\nCoordSys Earth Projection 1, 104\r\nColumns 4\r\n"
                              "  Name Char(20)\r\n  Area Decimal(12, 2)\r\n  road-name Char(30)\r\n"
                              "  CustomerNameFirst Char(5)\r\n"),
                      kWithTable);
    EXPECT_EQ(r.table.delimiter, ';');
    EXPECT_EQ(r.model.Layer.lProjection, 1);
    EXPECT_EQ(r.table.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(20),\r\n[Area] Decimal(12, 2),\r\n"
              "[road_name] Char(30),\r\n[Customer_1] Char(5)");
    EXPECT_EQ(r.table.sourceIdColumn, -1);

    // Keywords in any case and indented; a delimiter without quotes after two blanks.
    r = test::ReadMif(MifText("", "  columns 1\r\n  Name Char(5)\r\n   DELIMITER  |\r\n"),
                      kWithTable);
    EXPECT_EQ(r.table.delimiter, '|');
    EXPECT_EQ(r.table.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(5)");
    r = test::ReadMif("Version 300\nCharset \"x\"\nColumns 1\n a Integer\n  data  \n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.table.columnList, "") << "attributes not carried";

    // The second item is never read as a clause; a line cut at its comma goes on as a line.
    EXPECT_EQ(test::ReadMif("Version 300\r\nDelimiter \";\"\r\nData\r\n").table.delimiter, ',');
    EXPECT_EQ(test::ReadMif("Version 300\r\nDelimiter \",\" \r\nDelimiter \"|\"\r\nData\r\n")
                  .table.delimiter,
              '|');
}

TEST(MifHeader, SourceSpatialIdColumnIsRecordedNotCarried) {
    test::MifResult r =
        test::ReadMif(MifText("", "Columns 1\r\n  Spatial_ID Decimal(15,0)\r\n"), kWithTable);
    EXPECT_EQ(r.table.columnList, "SPATIAL_ID Decimal(20, 0)");
    EXPECT_EQ(r.table.sourceIdColumn, 1);
    EXPECT_TRUE(r.table.sourceIdPresent);
    r = test::ReadMif(MifText("", "Columns 3\r\n  A Char(1)\r\n  B Char(2)\r\n  SPATIAL_id X\r\n"),
                      kWithTable);
    EXPECT_EQ(r.table.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[A] Char(1),\r\n[B] Char(2)");
    EXPECT_EQ(r.table.sourceIdColumn, 3);
}

TEST(MifHeader, ManyLongNamesWithOneStartStayUniqueAndShort) {
    std::string clauses = "Columns 13\r\n  Measurem_1 Integer\r\n";
    for (int i = 0; i < 12; ++i)
        clauses += "  Measurement" + std::to_string(i) + " Float\r\n";
    const std::string list = test::ReadMif(MifText("", clauses), kWithTable).table.columnList;
    std::set<std::string> names;
    for (std::size_t open = 0; (open = list.find('[', open)) != std::string::npos;) {
        const std::size_t close = list.find(']', open);
        const std::string name = list.substr(open + 1, close - open - 1);
        EXPECT_LE(name.size(), 10u) << name;
        EXPECT_TRUE(names.insert(UpperAnsi(name)).second) << "duplicate " << name;
        open = close;
    }
    EXPECT_EQ(names.size(), 13u);
    EXPECT_TRUE(names.count("MEASUREM_2")) << "the first number not taken";
    EXPECT_TRUE(names.count("MEASURE_10") && names.count("MEASURE_13"));
}

TEST(MifHeader, CharsetNamesTheCodePageOfTheText) {
    const std::pair<const char*, const char*> charsets[] = {
        {"Charset \"WindowsCyrillic\"", "CP1251"},
        {"charset \"windowsgreek\"", "CP1253"},
        {"Charset \"ISO8859_5\"", "ISO-8859-5"},
        {"Charset \"Neutral\"", "CP1252"},
        {"Delimiter \",\"", "CP1252"},
    };
    for (auto [line, codePage] : charsets) {
        const test::MifResult r =
            test::ReadMif(std::string("Version 300\r\n") + line + "\r\nData\r\n");
        EXPECT_EQ(r.table.codePage, codePage) << line;
        EXPECT_EQ(r.log, "\tReading ...\r\n") << line;
    }
    // A name not known is said once the header has been read, and the text kept as it is.
    const test::MifResult r =
        test::ReadMif("Version 300\r\nCharset \"Klingon\"\r\nDelimiter \";\"\r\nData\r\n");
    EXPECT_EQ(r.table.codePage, "CP1252");
    EXPECT_EQ(r.table.delimiter, ';');
    EXPECT_EQ(r.log, "\t" + UnknownCodePageLine("Klingon") + "\r\n\tReading ...\r\n");
}

TEST(MifHeader, MalformedHeadersAreReported) {
    for (const char* clauses :
         {"Columns x\r\n  A Char(1)\r\n", "Columns 0\r\n", "Columns 2\r\n  A Char(1)\r\n  Bare\r\n",
          "Columns 70000\r\n  A Char(1)\r\n", "Delimiter \r\n"}) {
        const test::MifResult r = test::ReadMif(MifText("", clauses), kWithTable);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.log, kHeaderError) << clauses;
    }
    EXPECT_EQ(test::ReadMif("Version 300\r\nCharset \"x\"\r\nColumns 1\r\n  A Char(1)\r\n").log,
              kHeaderError)
        << "no Data line";
}

}  // namespace
}  // namespace vx

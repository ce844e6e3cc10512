#include "mif/mif_header.h"

#include <gtest/gtest.h>

#include <set>

#include "mif_test_support.h"
#include "platform/strings.h"

namespace vx {
namespace {

using test::MifText;

// Reads a header with attributes carried.
bool ReadHeader(test::MifRead& ctx, const std::string& clauses) {
    ctx.options.CreateDbf = true;
    return ctx.Read(MifText("", clauses));
}

TEST(MifHeader, DelimiterCoordSysAndColumns) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadHeader(ctx,
                           "Delimiter \";\"\r\nCoordSys Earth Projection 1, 104\r\nColumns 4\r\n"
                           "  Name Char(20)\r\n  Area Decimal(12, 2)\r\n  road-name Char(30)\r\n"
                           "  CustomerNameFirst Char(5)\r\n"));
    EXPECT_EQ(ctx.table.delimiter, ';');
    EXPECT_EQ(ctx.model.Layer.lProjection, 1);
    EXPECT_EQ(ctx.table.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(20),\r\n[Area] Decimal(12, 2),\r\n"
              "[road_name] Char(30),\r\n[Customer_1] Char(5)");
    EXPECT_EQ(ctx.table.sourceIdColumn, -1);

    // Keywords in any case and indented; a delimiter without quotes after two blanks.
    ASSERT_TRUE(ReadHeader(ctx, "  columns 1\r\n  Name Char(5)\r\n   DELIMITER  |\r\n"));
    EXPECT_EQ(ctx.table.delimiter, '|');
    EXPECT_EQ(ctx.table.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(5)");

    ctx.options.CreateDbf = false;
    ASSERT_TRUE(ctx.Read("Version 300\nCharset \"x\"\nColumns 1\n a Integer\n  data  \n"));
    EXPECT_EQ(ctx.table.delimiter, ',');
    EXPECT_EQ(ctx.table.columnList, "") << "attributes not carried";
}

TEST(MifHeader, TheSecondItemIsNeverReadAsAClause) {
    test::MifRead ctx;
    ASSERT_TRUE(ctx.Read("Version 300\r\nDelimiter \";\"\r\nData\r\n"));
    EXPECT_EQ(ctx.table.delimiter, ',');
    // Cut at the comma, the rest of the line is read as a line of its own.
    ASSERT_TRUE(ctx.Read("Version 300\r\nDelimiter \",\" \r\nDelimiter \"|\"\r\nData\r\n"));
    EXPECT_EQ(ctx.table.delimiter, '|');
}

TEST(MifHeader, SourceSpatialIdColumnIsRecordedNotCarried) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadHeader(ctx, "Columns 1\r\n  Spatial_ID Decimal(15,0)\r\n"));
    EXPECT_EQ(ctx.table.columnList, "SPATIAL_ID Decimal(20, 0)");
    EXPECT_EQ(ctx.table.sourceIdColumn, 1);
    EXPECT_TRUE(ctx.table.sourceIdPresent);

    ASSERT_TRUE(ReadHeader(ctx, "Columns 3\r\n  A Char(1)\r\n  B Char(2)\r\n  SPATIAL_id X\r\n"));
    EXPECT_EQ(ctx.table.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[A] Char(1),\r\n[B] Char(2)");
    EXPECT_EQ(ctx.table.sourceIdColumn, 3);
}

TEST(MifHeader, ManyLongNamesWithOneStartStayUniqueAndShort) {
    std::string clauses = "Columns 13\r\n  Measurem_1 Integer\r\n";
    for (int i = 0; i < 12; ++i)
        clauses += "  Measurement" + std::to_string(i) + " Float\r\n";
    test::MifRead ctx;
    ASSERT_TRUE(ReadHeader(ctx, clauses));
    std::set<std::string> names;
    for (std::size_t open = 0;
         (open = ctx.table.columnList.find('[', open)) != std::string::npos;) {
        const std::size_t close = ctx.table.columnList.find(']', open);
        const std::string name = ctx.table.columnList.substr(open + 1, close - open - 1);
        EXPECT_LE(name.size(), 10u) << name;
        EXPECT_TRUE(names.insert(UpperAnsi(name)).second) << "duplicate " << name;
        open = close;
    }
    EXPECT_EQ(names.size(), 13u);
    EXPECT_TRUE(names.count("MEASUREM_2")) << "the first number not taken";
    EXPECT_TRUE(names.count("MEASURE_10"));
    EXPECT_TRUE(names.count("MEASURE_13"));
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
        test::MifRead ctx;
        ASSERT_TRUE(ctx.Read(std::string("Version 300\r\n") + line + "\r\nData\r\n"));
        EXPECT_EQ(ctx.table.codePage, codePage) << line;
        EXPECT_EQ(ctx.Log(), "\tReading ...\r\n") << line;
    }
    // A name not known is said once the header has been read, and the text kept as it is.
    test::MifRead ctx;
    ASSERT_TRUE(ctx.Read("Version 300\r\nCharset \"Klingon\"\r\nDelimiter \";\"\r\nData\r\n"));
    EXPECT_EQ(ctx.table.codePage, "CP1252");
    EXPECT_EQ(ctx.table.delimiter, ';');
    EXPECT_EQ(ctx.Log(), "\t" + UnknownCodePageLine("Klingon") + "\r\n\tReading ...\r\n");
}

TEST(MifHeader, MalformedHeadersAreReported) {
    for (const char* clauses :
         {"Columns x\r\n  A Char(1)\r\n", "Columns 0\r\n", "Columns 2\r\n  A Char(1)\r\n  Bare\r\n",
          "Columns 70000\r\n  A Char(1)\r\n", "Delimiter \r\n"}) {
        test::MifRead ctx;
        EXPECT_FALSE(ReadHeader(ctx, clauses));
        EXPECT_TRUE(ctx.Failed());
        EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n") << clauses;
    }
    test::MifRead ctx;
    EXPECT_FALSE(ctx.Read("Version 300\r\nCharset \"x\"\r\nColumns 1\r\n  A Char(1)\r\n"));
    EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n") << "no Data line";
}

}  // namespace
}  // namespace vx

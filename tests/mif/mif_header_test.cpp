#include "mif/mif_header.h"

#include <gtest/gtest.h>

#include <set>

#include "mif_test_support.h"
#include "platform/strings.h"

namespace vx {
namespace {

using test::MifText;
using test::ReadMifBytes;

// Reads a header with attributes carried.
bool ReadHeader(JobContext& ctx, const std::string& clauses) {
    ctx.options.CreateDbf = true;
    return ReadMifBytes(ctx, MifText("", clauses));
}

std::vector<std::string> Declarations(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = list.find(",\r\n", start);
        out.push_back(list.substr(start, end - start));
        if (end == std::string::npos) return out;
        start = end + 3;
    }
}

TEST(MifHeader, StandardHeader) {
    JobContext ctx;
    ASSERT_TRUE(ReadHeader(ctx,
                           "Delimiter \";\"\r\n"
                           "CoordSys Earth Projection 1, 104\r\n"
                           "Columns 3\r\n"
                           "  Name Char(20)\r\n"
                           "  Area Decimal(12, 2)\r\n"
                           "  Count Integer\r\n"));
    EXPECT_EQ(ctx.delimiter, ';');
    EXPECT_EQ(ctx.model.Layer.lProjection, 1);
    EXPECT_EQ(ctx.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(20),\r\n[Area] Decimal(12, 2),\r\n"
              "[Count] Integer");
    EXPECT_EQ(ctx.sourceIdColumn, -1);
    EXPECT_FALSE(ctx.sourceIdPresent);
    EXPECT_EQ(ctx.Log(), "\tReading ...\r\n");
}

TEST(MifHeader, KeywordsInAnyCaseAndIndentedWithoutDelimiterClause) {
    JobContext ctx;
    ASSERT_TRUE(ReadHeader(ctx,
                           "  columns 1\r\n"
                           "  Name Char(5)\r\n"
                           "   coordsys nonearth units \"m\" bounds (0, 0) (1, 1)\r\n"
                           "   DELIMITER \"\t\"\r\n"));
    EXPECT_EQ(ctx.delimiter, '\t');
    EXPECT_EQ(ctx.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[Name] Char(5)");
    EXPECT_EQ(ctx.model.Layer.lCoordSys, 1);

    ctx.options.CreateDbf = false;
    ASSERT_TRUE(ReadMifBytes(ctx, "Version 300\nCharset \"x\"\nCOLUMNS 1\n a Integer\n  data  \n"));
    EXPECT_EQ(ctx.delimiter, ',');
    EXPECT_EQ(ctx.columnList, "") << "attributes not carried";

    ASSERT_TRUE(ReadMifBytes(ctx, MifText("", "Delimiter  |\r\n")));
    EXPECT_EQ(ctx.delimiter, '|') << "unquoted, after two blanks";
}

TEST(MifHeader, TheSecondItemIsNeverReadAsAClause) {
    JobContext ctx;
    ASSERT_TRUE(ReadMifBytes(ctx, "Version 300\r\nDelimiter \";\"\r\nData\r\n"));
    EXPECT_EQ(ctx.delimiter, ',');
    // Cut at the comma, the rest of the line is read as a line of its own.
    ASSERT_TRUE(
        ReadMifBytes(ctx, "Version 300\r\nDelimiter \",\" \r\nDelimiter \"|\"\r\nData\r\n"));
    EXPECT_EQ(ctx.delimiter, '|');
}

TEST(MifHeader, SourceSpatialIdColumnIsRecordedNotCarried) {
    JobContext ctx;
    ASSERT_TRUE(ReadHeader(ctx, "Columns 1\r\n  Spatial_ID Decimal(15,0)\r\n"));
    EXPECT_EQ(ctx.columnList, "SPATIAL_ID Decimal(20, 0)");
    EXPECT_EQ(ctx.sourceIdColumn, 1);
    EXPECT_TRUE(ctx.sourceIdPresent);

    ASSERT_TRUE(
        ReadHeader(ctx, "Columns 3\r\n  A Char(1)\r\n  B Char(2)\r\n  SPATIAL_id Integer\r\n"));
    EXPECT_EQ(ctx.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[A] Char(1),\r\n[B] Char(2)");
    EXPECT_EQ(ctx.sourceIdColumn, 3);

    ASSERT_TRUE(ReadHeader(ctx, "Columns 2\r\n  Old_Spatial_ID Integer\r\n  B Char(2)\r\n"));
    EXPECT_EQ(ctx.columnList, "SPATIAL_ID Decimal(20, 0),\r\n[B] Char(2)");
    EXPECT_EQ(ctx.sourceIdColumn, 1);

    ctx.options.CreateDbf = false;
    ASSERT_TRUE(ReadMifBytes(ctx, MifText("", "Columns 1\r\n  Spatial_ID Integer\r\n")));
    EXPECT_EQ(ctx.columnList, "");
    EXPECT_EQ(ctx.sourceIdColumn, -1);
    EXPECT_FALSE(ctx.sourceIdPresent);
}

TEST(MifHeader, LongAndHyphenatedNames) {
    JobContext ctx;
    ASSERT_TRUE(ReadHeader(ctx,
                           "Columns 4\r\n"
                           "  CustomerNameFirst Char(20)\r\n"
                           "  CustomerNameLast Char(20)\r\n"
                           "  road-name Char(30)\r\n"
                           "  Exactly10c Float\r\n"));
    EXPECT_EQ(Declarations(ctx.columnList),
              (std::vector<std::string>{"SPATIAL_ID Decimal(20, 0)", "[Customer_1] Char(20)",
                                        "[Customer_2] Char(20)", "[road_name] Char(30)",
                                        "[Exactly10c] Float"}));
}

TEST(MifHeader, ManyLongNamesWithOneStartStayUniqueAndShort) {
    std::string clauses = "Columns 13\r\n  Measurem_1 Integer\r\n";
    for (int i = 0; i < 12; ++i)
        clauses += "  Measurement" + std::to_string(i) + " Float\r\n";
    JobContext ctx;
    ASSERT_TRUE(ReadHeader(ctx, clauses));
    std::set<std::string> names;
    for (const std::string& declaration : Declarations(ctx.columnList)) {
        if (declaration.starts_with("SPATIAL_ID")) continue;
        ASSERT_EQ(declaration.front(), '[');
        std::string name = declaration.substr(1, declaration.find(']') - 1);
        EXPECT_LE(name.size(), 10u) << name;
        EXPECT_TRUE(names.insert(UpperAnsi(name)).second) << "duplicate " << name;
    }
    EXPECT_EQ(names.size(), 13u);
    EXPECT_TRUE(names.count("MEASUREM_2")) << "the first free number after a name in use";
    EXPECT_TRUE(names.count("MEASUREM_9"));
    EXPECT_TRUE(names.count("MEASURE_10"));
    EXPECT_TRUE(names.count("MEASURE_13"));
}

TEST(MifHeader, MalformedHeadersAreReported) {
    const char* headers[] = {
        "Columns x\r\n  A Char(1)\r\n",
        "Columns 0\r\n",
        "Columns 2\r\n  A Char(1)\r\n  Bare\r\n",
        "Columns 70000\r\n  A Char(1)\r\n",
        "Delimiter \r\n",
    };
    for (const char* header : headers) {
        SCOPED_TRACE(header);
        JobContext ctx;
        EXPECT_FALSE(ReadHeader(ctx, header));
        EXPECT_TRUE(ctx.Failed());
        EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n");
    }
    JobContext ctx;
    EXPECT_FALSE(ReadMifBytes(ctx, "Version 300\r\nCharset \"x\"\r\nColumns 1\r\n  A Char(1)\r\n"));
    EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n") << "no Data line";
}

}  // namespace
}  // namespace vx

#include "dbase/attribute_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbase/dbase_test_support.h"

namespace vx {
namespace {

using test::TempDir;

std::string Pad(std::string s, std::size_t width) {
    s.resize(width, ' ');
    return s;
}
std::string Right(const std::string& s, std::size_t width) {
    return std::string(width - s.size(), ' ') + s;
}

TEST(AttributeTable, NamesAndRowTextKeepValuesInTheirColumns) {
    TempDir dir;
    EXPECT_EQ(AttributeTableFileName("roads_pt.VXV"), "roads_pt.dbf");
    EXPECT_EQ(ShortTableName(dir.path(), "roads_pt.dbf"), "roads_pt");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the file asked about is gone again
    test::WriteFile(dir / "kept.dbf", "table");
    EXPECT_EQ(ShortTableName(dir.path(), "kept.dbf"), "kept");
    EXPECT_EQ(test::ReadFile(dir / "kept.dbf"), "table");

    EXPECT_EQ(AttributeRowText(3, "12,\"Main Street\"", ',', -1), "3,12,Main Street");
    EXPECT_EQ(AttributeRowText(1, "1,5;\"Rue X, 4\";x", ';', -1), "1,\"1,5\",\"Rue X, 4\",x");
    EXPECT_EQ(AttributeRowText(2, "a\t9\tb,c", '\t', 2), "2,a,\"b,c\"");
    EXPECT_EQ(AttributeRowText(4, "\"say \"\"hi\"\"\",1", ',', -1), "4,\"say \"\"hi\"\"\",1");
    EXPECT_EQ(AttributeRowText(5, "", ',', -1), "5,");
}

TEST(AttributeTable, EachKindGetsItsOwnRowsNumberedFromOne) {
    TempDir dir;
    // Objects: region, point, line, text, point, region and a NONE object; one line too many.
    const std::string mid = "r1;a,b;1.5\np1;q;2\nl1;l;3\nt1;t;4\np2;p,2;5\nr2;r;6\nn1;n;7\nx;x;8\n";
    const std::vector<std::int32_t> order = {3, 1, 2, 4, 1, 3, 10};
    AttributeRows rows = test::WithColumns(
        "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(10),\r\n[addr] Char(8),\r\n[count] "
        "Decimal(6,1)");
    rows.delimiter = ';';
    auto row = [](const char* id, const char* name, const char* addr, const char* count) {
        return Right(id, 21) + Pad(name, 10) + Pad(addr, 8) + Right(count, 8);
    };
    const std::string regions = test::MakeLayerTable(dir, "x_rg", rows, mid, order, kKindRegion);
    EXPECT_EQ(test::Records(regions),
              (std::vector<std::string>{row("1", "r1", "a,b", "1.5"), row("2", "r2", "r", "6.0")}));
    VXRecordset table;  // a bracketed name that is a keyword stays as it is
    table.OpenDBF(regions);
    EXPECT_EQ(table.Layout().fields[3].Name(), "count");
    EXPECT_EQ(test::Records(test::MakeLayerTable(dir, "x_ln", rows, mid, order, kKindLine)),
              std::vector<std::string>{row("1", "l1", "l", "3.0")});
    // Points and texts are numbered together; only texts carry a label.
    const std::string label = "Label \"A\", big";
    EXPECT_EQ(
        test::Records(test::MakeLayerTable(dir, "x_pt", rows, mid, order, kKindPoint, {label})),
        (std::vector<std::string>{row("1", "p1", "q", "2.0") + std::string(254, ' '),
                                  row("2", "t1", "t", "4.0") + Pad(label, 254),
                                  row("3", "p2", "p,2", "5.0") + std::string(254, ' ')}));

    // The source's own Spatial_ID column is left out.
    rows = test::WithColumns("SPATIAL_ID Decimal(20, 0),\r\n[x] Char(2),\r\n[y] Char(2)");
    rows.sourceIdColumn = 2;
    EXPECT_EQ(
        test::Records(test::MakeLayerTable(dir, "s", rows, "a,99,b\nc,98,d\n", {2, 2}, kKindLine))
            .at(1),
        Right("2", 21) + "c d ");
}

TEST(AttributeTable, LargeFillsAreWrittenInFlushesOf20000Rows) {
    for (int total : {20000, 45000}) {
        SCOPED_TRACE(total);
        TempDir dir;
        std::string mid;
        for (int i = 1; i <= total; ++i)
            mid += std::to_string(i * 3) + "\r\n";
        const std::string path = test::MakeLayerTable(
            dir, "big", test::WithColumns("SPATIAL_ID Decimal(20, 0),\r\n[v] Integer"), mid,
            std::vector<std::int32_t>(static_cast<std::size_t>(total), kOrderRegion));
        const auto records = test::Records(path);
        ASSERT_EQ(records.size(), static_cast<std::size_t>(total));
        for (int i : {1, 19999, 20000, 20001, 40000, 40001, total}) {
            if (i > total) continue;
            EXPECT_EQ(records[i - 1],
                      Right(std::to_string(i), 21) + Right(std::to_string(i * 3), 11))
                << i;
        }
        // Records end in one end-of-file byte, nothing more.
        const std::string bytes = test::ReadFile(path);
        EXPECT_EQ(bytes.size(), 32u + 2 * 32 + 1 + static_cast<std::size_t>(total) * 33 + 1);
        EXPECT_EQ(bytes.back(), '\x1A');
        EXPECT_NE(bytes[bytes.size() - 2], '\x1A');
    }
}

TEST(AttributeTable, CreationFailsWithItsReasonAndAnExistingTableIsReplaced) {
    TempDir dir;
    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    std::string error;
    EXPECT_FALSE(CreateAttributeTable(connection, "bad", dir / "bad.dbf",
                                      test::WithColumns("SPATIAL_ID Decimal(20, 0),\r\n[v] Blob"),
                                      false, error));
    EXPECT_NE(error.find("Blob"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dbf"));

    // No column list gives the key column alone; no MID, no rows.
    test::WriteFile(dir / "old.dbf", "stale");
    ASSERT_TRUE(CreateAttributeTable(connection, "old", dir / "old.dbf", {}, false, error))
        << error;
    EXPECT_TRUE(FillAttributeRows(dir / "old.dbf", {}, {1}, {}, kKindPoint));
    EXPECT_TRUE(test::Records(dir / "old.dbf").empty());
    VXRecordset table;
    table.OpenDBF(dir / "old.dbf");
    ASSERT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.Layout().fields[0].Name(), "SPATIAL_ID");
}

}  // namespace
}  // namespace vx

#include "dbase/attribute_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbase/vx_recordset.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A layer's table as a MIF import makes it, in `dir`: the rows the reader found, and the
// objects of the source in order.
struct TableJob {
    const TempDir& dir;
    AttributeRows rows;
    std::vector<std::int32_t> objectOrder;
    std::vector<std::string> labels;
};

TableJob MakeJob(const TempDir& dir, const std::string& mid, std::string columns) {
    TableJob job{dir, {}, {}, {}};
    job.rows.midPath = dir / "source.mid";
    job.rows.columnList = std::move(columns);
    WriteFile(job.rows.midPath, mid);
    return job;
}

// Creates and fills the table of one layer as the layer set's writer does; its rows.
std::vector<std::string> WriteTable(const TableJob& job, const std::string& layerFile, int kind,
                                    bool textLabels) {
    const std::string tableFile = AttributeTableFileName(layerFile);
    const std::string shortName = ShortTableName(job.dir.path(), tableFile);
    TableConnection connection;
    EXPECT_TRUE(connection.Open(job.dir.path()));
    std::string error;
    EXPECT_TRUE(CreateAttributeTable(connection, shortName, job.dir / tableFile, job.rows,
                                     textLabels, error))
        << error;
    EXPECT_TRUE(
        FillAttributeRows(job.dir / tableFile, job.rows, job.objectOrder, job.labels, kind));
    VXRecordset table;
    table.OpenDBF(job.dir / tableFile);
    std::vector<std::string> rows;
    for (std::size_t i = 1; i <= table.RecordsHeld(); ++i)
        rows.emplace_back(table.RecordData(i));
    EXPECT_EQ(table.RecordCount(), static_cast<std::int32_t>(rows.size()));
    return rows;
}

std::string Pad(std::string s, std::size_t width) {
    s.resize(width, ' ');
    return s;
}
std::string Right(const std::string& s, std::size_t width) {
    return std::string(width - s.size(), ' ') + s;
}

TEST(AttributeNames, ShortNameOfTheTableFile) {
    TempDir dir;
    EXPECT_EQ(AttributeTableFileName("roads_pt.VXV"), "roads_pt.dbf");
    EXPECT_EQ(ShortTableName(dir.path(), "roads_pt.dbf"), "roads_pt");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the file asked about is gone again
    WriteFile(dir / "kept.dbf", "table");
    EXPECT_EQ(ShortTableName(dir.path(), "kept.dbf"), "kept");
    EXPECT_EQ(ReadFile(dir / "kept.dbf"), "table");
}

TEST(AttributeRows, ValuesStayInTheirColumnsWhateverTheDelimiter) {
    EXPECT_EQ(AttributeRowText(3, "12,\"Main Street\"", ',', -1), "3,12,Main Street");
    EXPECT_EQ(AttributeRowText(1, "1,5;\"Rue X, 4\";x", ';', -1), "1,\"1,5\",\"Rue X, 4\",x");
    EXPECT_EQ(AttributeRowText(2, "a\t9\tb,c", '\t', 2), "2,a,\"b,c\"");
    EXPECT_EQ(AttributeRowText(4, "\"say \"\"hi\"\"\",1", ',', -1), "4,\"say \"\"hi\"\"\",1");
    EXPECT_EQ(AttributeRowText(5, "", ',', -1), "5,");
}

TEST(AttributeTable, EachKindGetsItsOwnRowsNumberedFromOne) {
    TempDir dir;
    // Objects: region, point, line, text, point, region and a NONE object; one line too many.
    TableJob job =
        MakeJob(dir, "r1;a,b;1.5\np1;q;2\nl1;l;3\nt1;t;4\np2;p,2;5\nr2;r;6\nn1;n;7\nx;x;8\n",
                "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(10),\r\n[addr] Char(8),\r\n"
                "[count] Decimal(6,1)");
    job.rows.delimiter = ';';
    job.objectOrder = {3, 1, 2, 4, 1, 3, 10};
    job.labels = {"Label \"A\", big"};
    auto row = [](const char* id, const char* name, const char* addr, const char* count) {
        return Right(id, 21) + Pad(name, 10) + Pad(addr, 8) + Right(count, 8);
    };

    auto regions = WriteTable(job, "x_rg.vxv", kKindRegion, false);
    ASSERT_EQ(regions.size(), 2u);
    EXPECT_EQ(regions[0], row("1", "r1", "a,b", "1.5"));
    EXPECT_EQ(regions[1], row("2", "r2", "r", "6.0"));
    VXRecordset table;  // a bracketed name that is a keyword stays as it is
    table.OpenDBF(dir / "x_rg.dbf");
    EXPECT_EQ(table.Layout().fields[3].Name(), "count");

    auto lines = WriteTable(job, "x_ln.vxv", kKindLine, false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], row("1", "l1", "l", "3.0"));

    // Points and texts are numbered together; only texts carry a label.
    auto points = WriteTable(job, "x_pt.vxv", kKindPoint, true);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], row("1", "p1", "q", "2.0") + std::string(254, ' '));
    EXPECT_EQ(points[1], row("2", "t1", "t", "4.0") + Pad("Label \"A\", big", 254));
    EXPECT_EQ(points[2], row("3", "p2", "p,2", "5.0") + std::string(254, ' '));
}

TEST(AttributeTable, SourceIdColumnIsLeftOut) {
    TempDir dir;
    TableJob job = MakeJob(dir, "a,99,b\nc,98,d\n",
                           "SPATIAL_ID Decimal(20, 0),\r\n[x] Char(2),\r\n[y] Char(2)");
    job.rows.sourceIdColumn = 2;
    job.objectOrder = {2, 2};
    auto rows = WriteTable(job, "s.vxv", kKindLine, false);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], Right("2", 21) + "c d ");
}

TEST(AttributeTable, LargeFillsAreWrittenInFlushesOf20000Rows) {
    for (int total : {20000, 45000}) {
        SCOPED_TRACE(total);
        TempDir dir;
        std::string mid;
        for (int i = 1; i <= total; ++i)
            mid += std::to_string(i * 3) + "\r\n";
        TableJob job = MakeJob(dir, mid, "SPATIAL_ID Decimal(20, 0),\r\n[v] Integer");
        job.objectOrder.assign(static_cast<std::size_t>(total), kOrderRegion);
        auto rows = WriteTable(job, "big.vxv", kKindRegion, false);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(total));
        for (int i : {1, 19999, 20000, 20001, 40000, 40001, total}) {
            if (i > total) continue;
            EXPECT_EQ(rows[i - 1], Right(std::to_string(i), 21) + Right(std::to_string(i * 3), 11))
                << i;
        }
        // Records end in one end-of-file byte, nothing more.
        std::string bytes = ReadFile(dir / "big.dbf");
        EXPECT_EQ(bytes.size(), 32u + 2 * 32 + 1 + static_cast<std::size_t>(total) * 33 + 1);
        EXPECT_EQ(bytes.back(), '\x1A');
        EXPECT_NE(bytes[bytes.size() - 2], '\x1A');
    }
}

TEST(AttributeTable, CreationFailureSaysWhy) {
    TempDir dir;
    TableJob job = MakeJob(dir, "1\n", "SPATIAL_ID Decimal(20, 0),\r\n[v] Blob");
    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    std::string error;
    EXPECT_FALSE(CreateAttributeTable(connection, "bad", dir / "bad.dbf", job.rows, false, error));
    EXPECT_NE(error.find("Blob"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dbf"));
}

TEST(AttributeTable, ExistingTableIsReplacedAndNoMidMeansNoRows) {
    TempDir dir;
    TableJob job = MakeJob(dir, "x\n", "");  // no column list: the key column alone
    WriteFile(dir / "old.dbf", "stale");
    job.objectOrder = {1};
    job.rows.midPath.clear();
    auto rows = WriteTable(job, "old.vxv", kKindPoint, false);
    EXPECT_TRUE(rows.empty());
    VXRecordset table;
    table.OpenDBF(dir / "old.dbf");
    EXPECT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.Layout().fields[0].Name(), "SPATIAL_ID");
}

}  // namespace
}  // namespace vx

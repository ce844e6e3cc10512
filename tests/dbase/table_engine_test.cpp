#include "dbase/table_engine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbase/vx_recordset.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct Expected {
    const char* name;
    char type;
    int length;
    int decimals;
    int ado;
};

TEST(CreateTable, EveryColumnTypeBecomesAFieldThatHoldsItsValues) {
    TempDir dir;
    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    std::string error;
    ASSERT_TRUE(connection.Execute(
        "create table [roads]\r\n(\r\nSPATIAL_ID Decimal(20, 0),\r\n[name] Char(30),\r\n"
        "[lanes] INTEGER,\r\n[small] Smallint,\r\n[area] decimal (12,2),\r\n[ratio] Float,\r\n"
        "[paved] Logical,\r\n[opened] Date,\r\n[count] Integer,\r\n[big] Decimal(5,0),\r\n"
        "[fine] Decimal(10,7)\r\n)",
        error))
        << error;
    const Expected expected[] = {
        {"SPATIAL_ID", 'N', 21, 0, kAdSingle}, {"name", 'C', 30, 0, kAdChar},
        {"lanes", 'N', 11, 0, kAdInteger},     {"small", 'N', 6, 0, kAdInteger},
        {"area", 'N', 14, 2, kAdDouble},       {"ratio", 'N', 32, 15, kAdSingle},
        {"paved", 'L', 1, 0, kAdBoolean},      {"opened", 'D', 8, 0, kAdDate},
        {"count", 'N', 11, 0, kAdInteger},     {"big", 'N', 12, 0, kAdNumeric},
        {"fine", 'N', 12, 7, kAdSingle},
    };
    const int n = static_cast<int>(std::size(expected));
    std::string bytes = ReadFile(dir / "roads.dbf");
    int recordLength = 1;
    for (const auto& e : expected)
        recordLength += e.length;
    // Version 3, no records, header and record lengths, the terminator and nothing after it.
    ASSERT_EQ(bytes.size(), 32u + 32u * n + 1u);
    EXPECT_EQ(bytes[0], '\x03');
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8,
              32 + 32 * n + 1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8,
              recordLength);
    EXPECT_EQ(bytes.back(), '\x0D');

    VXRecordset table;
    EXPECT_FALSE(table.OpenDBF(dir / "roads.dbf"));
    ASSERT_EQ(table.FieldCount(), n);
    TableRecordset rows;
    ASSERT_TRUE(rows.Open(connection, "[roads]", error)) << error;
    EXPECT_TRUE(rows.IsEOF());
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(table.Layout().fields[i].Name(), expected[i].name);
        EXPECT_EQ(table.FieldType(i + 1), expected[i].type);
        EXPECT_EQ(table.FieldSize(i + 1), expected[i].length);
        EXPECT_EQ(table.FieldDecimalSize(i + 1), expected[i].decimals);
        EXPECT_EQ(rows.Field(i).Type, expected[i].ado);
        EXPECT_EQ(rows.Field(i).DefinedSize, expected[i].length);
    }
}

TEST(CreateTable, StatementsItCannotRunGiveAReason) {
    TempDir dir;
    TableConnection connection;
    std::string error;
    EXPECT_FALSE(connection.Execute("CREATE TABLE [t] (a Integer)", error));
    EXPECT_FALSE(connection.Open(dir / "no_such_folder"));
    ASSERT_TRUE(connection.Open(dir.path()));
    const char* bad[] = {
        "DROP TABLE [t]",
        "CREATE TABLE [t] a Integer",
        "CREATE TABLE [t] (a Integer",
        "CREATE TABLE [t] (a Blob)",
        "CREATE TABLE [t] (a Char(0))",
        "CREATE TABLE [t] (a Char(1, 2, 3))",
        "CREATE TABLE [t] (a Integer(4))",
        "CREATE TABLE [t] (a_very_long_name Integer)",
        "CREATE TABLE [t] (a Integer, A Char(2))",
        "CREATE TABLE [t] (a Integer,)",
        "CREATE TABLE [t] (a)",
        "CREATE TABLE [t] (a Integer) extra",
        "CREATE TABLE [../t] (a Integer)",
    };
    for (const char* sql : bad) {
        error.clear();
        EXPECT_FALSE(connection.Execute(sql, error)) << sql;
        EXPECT_FALSE(error.empty()) << sql;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // no failed statement left a file

    ASSERT_TRUE(connection.Execute("CREATE TABLE [t] (a Integer);", error)) << error;
    EXPECT_FALSE(connection.Execute("CREATE TABLE t (b Integer)", error));
    EXPECT_NE(error.find("exists"), std::string::npos);
}

TEST(Recordset, WalksLiveRowsInFileOrderWithTypedValues) {
    TempDir dir;
    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    std::string error;
    ASSERT_TRUE(connection.Execute(
        "CREATE TABLE [t] (SPATIAL_ID Decimal(20, 0), [name] Char(8), [area] Decimal(8,2), "
        "[ok] Logical, [day] Date)",
        error));
    VXRecordset table;
    table.OpenDBF(dir / "t.dbf");
    table.InsertRecord("1,first,12.5,T,20050314");
    table.InsertRecord("2,gone,1,F,20050315");
    table.InsertRecord("3,,,,");
    table.UpdateFile();
    // Mark the second row deleted the way dBASE does.
    std::string bytes = ReadFile(dir / "t.dbf");
    bytes[table.Layout().header.headerLength + table.Layout().header.recordLength] = '*';
    WriteFile(dir / "T.DBF", bytes);
    std::filesystem::remove(dir / "t.dbf");

    TableRecordset rows;
    ASSERT_TRUE(rows.Open(connection, " [t] ", error)) << error;  // found as T.DBF
    ASSERT_EQ(rows.FieldCount(), 5);
    EXPECT_EQ(rows.Field(1).Name, "name");
    ASSERT_FALSE(rows.IsEOF());
    EXPECT_EQ(rows.Value(0), "1");
    EXPECT_EQ(rows.Value(1), "first");
    EXPECT_EQ(rows.Value(2), "12.5");
    EXPECT_EQ(rows.Value(3), "True");
    EXPECT_EQ(rows.Value(4), "20050314");
    EXPECT_FALSE(rows.Value(5));
    rows.MoveNext();
    ASSERT_FALSE(rows.IsEOF());
    EXPECT_EQ(rows.Value(0), "3");
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(rows.Value(i)) << i;  // empty values are null; "?" is no truth value
    rows.MoveNext();
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_FALSE(rows.Value(0));

    EXPECT_FALSE(rows.Open(connection, "[missing]", error));
    WriteFile(dir / "short.dbf", bytes.substr(0, bytes.size() - 10));
    EXPECT_FALSE(rows.Open(connection, "[short]", error));
    EXPECT_FALSE(rows.IsOpen());
}

}  // namespace
}  // namespace vx

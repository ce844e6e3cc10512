#include "dbase/table_engine.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbase/dbase_test_support.h"
#include "platform/endian.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(CreateTable, EveryColumnTypeBecomesAFieldWithItsTypeCode) {
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
    const std::tuple<const char*, char, int, int, int> expected[] = {
        {"SPATIAL_ID", 'N', 21, 0, kAdSingle}, {"name", 'C', 30, 0, kAdChar},
        {"lanes", 'N', 11, 0, kAdInteger},     {"small", 'N', 6, 0, kAdInteger},
        {"area", 'N', 14, 2, kAdDouble},       {"ratio", 'N', 32, 15, kAdSingle},
        {"paved", 'L', 1, 0, kAdBoolean},      {"opened", 'D', 8, 0, kAdDate},
        {"count", 'N', 11, 0, kAdInteger},     {"big", 'N', 12, 0, kAdNumeric},
        {"fine", 'N', 12, 7, kAdSingle},
    };
    const int n = static_cast<int>(std::size(expected));
    int recordLength = 1;
    for (const auto& e : expected)
        recordLength += std::get<2>(e);
    // Version 3, no records, header and record lengths, the terminator and nothing after it.
    const std::string bytes = ReadFile(dir / "roads.dbf");
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    ASSERT_EQ(bytes.size(), 32u + 32u * n + 1u);
    EXPECT_EQ(bytes.substr(0, 1) + bytes.substr(4, 4), std::string("\x03\0\0\0\0", 5));
    EXPECT_EQ(LoadLE<std::uint16_t>(raw + 8), 32 + 32 * n + 1);
    EXPECT_EQ(LoadLE<std::uint16_t>(raw + 10), recordLength);
    EXPECT_EQ(bytes.back(), '\x0D');

    VXRecordset table;
    EXPECT_FALSE(table.OpenDBF(dir / "roads.dbf")) << "no records";
    ASSERT_EQ(table.FieldCount(), n);
    TableRecordset rows;
    ASSERT_TRUE(rows.Open(connection, "[roads]", error)) << error;
    EXPECT_TRUE(rows.IsEOF());
    for (int i = 0; i < n; ++i) {
        const auto& [name, type, length, decimals, ado] = expected[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(table.Layout().fields[i].Name(), name);
        // The descriptor's bytes: type at 11, length at 16, decimals at 17.
        EXPECT_EQ(bytes.substr(32 + 32 * i + 11, 1), std::string(1, type));
        EXPECT_EQ(raw[32 + 32 * i + 16], length);
        EXPECT_EQ(raw[32 + 32 * i + 17], decimals);
        EXPECT_EQ(rows.Field(i).Type, ado);
        EXPECT_EQ(rows.Field(i).DefinedSize, length);
    }
}

TEST(CreateTable, StatementsItCannotRunGiveAReasonAndLeaveNoFile) {
    TempDir dir;
    TableConnection connection;
    std::string error;
    EXPECT_FALSE(connection.Execute("CREATE TABLE [t] (a Integer)", error)) << "not open";
    EXPECT_FALSE(connection.Open(dir / "no_such_folder"));
    ASSERT_TRUE(connection.Open(dir.path()));
    for (const char* sql :
         {"DROP TABLE [t]", "CREATE TABLE [t] a Integer", "CREATE TABLE [t] (a Integer",
          "CREATE TABLE [t] (a Blob)", "CREATE TABLE [t] (a Char(0))",
          "CREATE TABLE [t] (a Char(1, 2, 3))", "CREATE TABLE [t] (a Integer(4))",
          "CREATE TABLE [t] (a_very_long_name Integer)", "CREATE TABLE [t] (a Integer, A Char(2))",
          "CREATE TABLE [t] (a Integer,)", "CREATE TABLE [t] (a)",
          "CREATE TABLE [t] (a Integer) extra", "CREATE TABLE [../t] (a Integer)"}) {
        error.clear();
        EXPECT_FALSE(connection.Execute(sql, error)) << sql;
        EXPECT_FALSE(error.empty()) << sql;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    ASSERT_TRUE(connection.Execute("CREATE TABLE [t] (a Integer);", error)) << error;
    EXPECT_FALSE(connection.Execute("CREATE TABLE t (b Integer)", error));
    EXPECT_NE(error.find("exists"), std::string::npos);
}

TEST(Recordset, WalksLiveRowsInFileOrderWithTypedValues) {
    TempDir dir;
    test::MakeTable(dir.path(), "t",
                    "SPATIAL_ID Decimal(20, 0), [name] Char(8), [area] Decimal(8,2), [ok] Logical, "
                    "[day] Date",
                    {"1,first,12.5,T,20050314", "2,gone,1,F,20050315", "3,,,,"});
    // Mark the second row deleted the way dBASE does; the table is found as T.DBF.
    std::string bytes = ReadFile(dir / "t.dbf");
    bytes[32 + 5 * 32 + 1 + (1 + 21 + 8 + 10 + 1 + 8)] = '*';  // after the head and one record
    WriteFile(dir / "T.DBF", bytes);
    std::filesystem::remove(dir / "t.dbf");

    TableConnection connection;
    TableRecordset rows;
    std::string error;
    ASSERT_TRUE(connection.Open(dir.path()));
    ASSERT_TRUE(rows.Open(connection, " [t] ", error)) << error;
    ASSERT_EQ(rows.FieldCount(), 5);
    EXPECT_EQ(rows.Field(1).Name, "name");
    using Row = std::vector<std::optional<std::string>>;
    std::vector<Row> read;
    for (; !rows.IsEOF(); rows.MoveNext())
        read.push_back({rows.Value(0), rows.Value(1), rows.Value(2), rows.Value(3), rows.Value(4),
                        rows.Value(5)});
    // Empty values are null, and "?" is no truth value.
    const auto null = std::nullopt;
    EXPECT_EQ(read, (std::vector<Row>{{"1", "first", "12.5", "True", "20050314", null},
                                      {"3", null, null, null, null, null}}));
    EXPECT_FALSE(rows.Value(0)) << "past the end";
    EXPECT_EQ(rows.LiveRowCount(), 2) << "the rows walked, wherever the recordset stands";

    EXPECT_FALSE(rows.Open(connection, "[missing]", error));
    WriteFile(dir / "short.dbf", bytes.substr(0, bytes.size() - 10));
    EXPECT_FALSE(rows.Open(connection, "[short]", error));
    EXPECT_FALSE(rows.IsOpen());
}

}  // namespace
}  // namespace vx

// Our tables against GDAL's reading and writing of dBASE files.
#include <gtest/gtest.h>

#include "dbase/dbase_test_support.h"
#include "dbase/table_engine.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

using Row = std::map<std::string, std::string>;

TEST(GdalInterop, TablesMadeHereReadTheSameInGdal) {
    test::TempDir dir;
    const std::string path = test::MakeLayerTable(
        dir, "made",
        test::WithColumns("SPATIAL_ID Decimal(20, 0),\r\n[name] Char(12),\r\n[lanes] Integer,\r\n"
                          "[small] Smallint,\r\n[area] Decimal(12,2),\r\n[ratio] Float,\r\n"
                          "[paved] Logical,\r\n[opened] Date"),
        "\"Main, St\",2,-7,3500000000.25,0.125,T,20050314\r\n"
        "\"\",-2147483648,32767,-0.5,-1234567.5,F,2024-02-29\r\n"
        ",,,,,,\r\n",
        {kOrderRegion, kOrderRegion, kOrderRegion});
    // (The fields' bytes are the table engine's tests'.)
    const test::PeerLayer gdal = test::ReadWithGdal(path);
    EXPECT_EQ(gdal.fieldTypes, (std::vector<std::string>{"Real", "String", "Integer64", "Integer",
                                                         "Real", "Real", "String", "Date"}));
    // Reals as GDAL prints them with the field's decimals.
    ASSERT_EQ(gdal.features.size(), 3u);
    EXPECT_EQ(gdal.features[0].fields, (Row{{"SPATIAL_ID", "1"},
                                            {"name", "Main, St"},
                                            {"lanes", "2"},
                                            {"small", "-7"},
                                            {"area", "3500000000.25"},
                                            {"ratio", "0.125000000000000"},
                                            {"paved", "T"},
                                            {"opened", "2005/03/14"}}));
    EXPECT_EQ(gdal.features[1].fields, (Row{{"SPATIAL_ID", "2"},
                                            {"lanes", "-2147483648"},
                                            {"small", "32767"},
                                            {"area", "-0.50"},
                                            {"ratio", "-1234567.500000000000000"},
                                            {"paved", "F"},
                                            {"opened", "2024/02/29"}}));
    EXPECT_EQ(gdal.features[2].fields, (Row{{"SPATIAL_ID", "3"}, {"paved", "?"}}));
}

TEST(GdalInterop, TablesWrittenByGdalOpenHereWithTheSameFieldsAndRows) {
    test::TempDir dir;
    test::WriteFile(dir / "g.csv",
                    "NAME,N,V,D\nfirst,42,1.5,1999/12/31\nsecond,,,\n"
                    "third,-7,-0.25,1999/12/31\n");
    test::WriteFile(dir / "g.csvt", "String(15),Integer(9),Real(12.3),Date\n");
    const auto made = test::RunCommand("ogr2ogr -f \"ESRI Shapefile\" '" + (dir / "g.dbf") + "' '" +
                                       (dir / "g.csv") + "'");
    ASSERT_EQ(made.status, 0) << made.err;

    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    TableRecordset rows;
    std::string error;
    ASSERT_TRUE(rows.Open(connection, "[g]", error)) << error;
    ASSERT_EQ(rows.FieldCount(), 4);
    const std::tuple<const char*, int, int> fields[] = {
        {"NAME", kAdChar, 15}, {"N", kAdInteger, 9}, {"V", kAdDouble, 12}, {"D", kAdDate, 8}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::tie(rows.Field(i).Name, rows.Field(i).Type, rows.Field(i).DefinedSize),
                  fields[i]);
    }
    std::vector<std::vector<std::optional<std::string>>> read;
    for (; !rows.IsEOF(); rows.MoveNext())
        read.push_back({rows.Value(0), rows.Value(1), rows.Value(2), rows.Value(3)});
    EXPECT_EQ(read, (decltype(read){{"first", "42", "1.5", "19991231"},
                                    {"second", std::nullopt, std::nullopt, std::nullopt},
                                    {"third", "-7", "-0.25", "19991231"}}));

    // Changed by the table class, the table still reads in GDAL with the new key column.
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "g.dbf"));
    table.RemoveField(2);
    table.AddSpatialID();
    table.UpdateFile();
    ASSERT_FALSE(table.WriteFailed());
    const test::PeerLayer gdal = test::ReadWithGdal(dir / "g.dbf");
    EXPECT_EQ(gdal.fieldNames, (std::vector<std::string>{"NAME", "V", "D", "SPATIAL_ID"}));
    ASSERT_EQ(gdal.features.size(), 3u);
    EXPECT_EQ(
        gdal.features[2].fields,
        (Row{{"NAME", "third"}, {"V", "-0.250"}, {"D", "1999/12/31"}, {"SPATIAL_ID", "3.00000"}}));
}

}  // namespace
}  // namespace vx

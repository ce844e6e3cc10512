// Our tables against GDAL's reading and writing of dBASE files.
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <map>

#include "dbase/attribute_table.h"
#include "dbase/vx_recordset.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::TempDir;
using test::WriteFile;

struct GdalField {
    std::string name;
    OGRFieldType type;
    int width;
    int precision;
};

struct GdalTable {
    std::vector<GdalField> fields;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

GdalTable ReadWithGdal(const std::string& path) {
    GDALAllRegister();
    GdalTable table;
    const char* options[] = {"ENCODING=", nullptr};  // bytes as stored
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, options, nullptr);
    EXPECT_NE(ds, nullptr) << path;
    if (ds == nullptr) return table;
    OGRLayerH layer = GDALDatasetGetLayer(ds, 0);
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
    for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i) {
        OGRFieldDefnH f = OGR_FD_GetFieldDefn(defn, i);
        table.fields.push_back({OGR_Fld_GetNameRef(f), OGR_Fld_GetType(f), OGR_Fld_GetWidth(f),
                                OGR_Fld_GetPrecision(f)});
    }
    OGR_L_ResetReading(layer);
    while (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) {
        std::vector<std::optional<std::string>> row;
        for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i) {
            if (OGR_F_IsFieldSetAndNotNull(feature, i)) {
                row.emplace_back(OGR_F_GetFieldAsString(feature, i));
            } else {
                row.emplace_back();
            }
        }
        table.rows.push_back(std::move(row));
        OGR_F_Destroy(feature);
    }
    GDALClose(ds);
    return table;
}

TEST(GdalInterop, TablesMadeHereReadTheSameInGdal) {
    TempDir dir;
    AttributeRows rows;
    rows.midPath = dir / "s.mid";
    rows.columnList =
        "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(12),\r\n[lanes] Integer,\r\n[small] "
        "Smallint,\r\n[area] Decimal(12,2),\r\n[ratio] Float,\r\n[paved] Logical,\r\n[opened] "
        "Date";
    WriteFile(rows.midPath,
              "\"Main, St\",2,-7,3500000000.25,0.125,T,20050314\r\n"
              "\"\",-2147483648,32767,-0.5,-1234567.5,F,2024-02-29\r\n"
              ",,,,,,\r\n");
    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    std::string error;
    ASSERT_TRUE(CreateAttributeTable(connection, "made", dir / "made.dbf", rows, false, error));
    ASSERT_TRUE(FillAttributeRows(dir / "made.dbf", rows,
                                  {kOrderRegion, kOrderRegion, kOrderRegion}, {}, kKindRegion));

    GdalTable gdal = ReadWithGdal(dir / "made.dbf");
    VXRecordset ours;
    ASSERT_TRUE(ours.OpenDBF(dir / "made.dbf"));
    ASSERT_EQ(gdal.fields.size(), static_cast<std::size_t>(ours.FieldCount()));
    for (int i = 1; i <= ours.FieldCount(); ++i) {
        const GdalField& g = gdal.fields[i - 1];
        SCOPED_TRACE(g.name);
        EXPECT_EQ(g.name, ours.Layout().fields[i - 1].Name());
        if (ours.FieldType(i) != 'D') {  // GDAL gives dates the width of YYYY/MM/DD
            EXPECT_EQ(g.width, ours.FieldSize(i));
            EXPECT_EQ(g.precision, ours.FieldDecimalSize(i));
        }
    }
    const std::map<std::string, OGRFieldType> types = {
        {"name", OFTString}, {"lanes", OFTInteger64}, {"small", OFTInteger},
        {"area", OFTReal},   {"ratio", OFTReal},      {"opened", OFTDate}};
    for (const auto& f : gdal.fields) {
        if (types.count(f.name)) {
            EXPECT_EQ(f.type, types.at(f.name)) << f.name;
        }
    }
    // Reals are compared as numbers, since GDAL shows them with the field's decimals.
    for (auto& row : gdal.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (gdal.fields[i].type == OFTReal && row[i])
                row[i] = std::to_string(std::stod(*row[i]));
        }
    }
    auto real = [](double v) { return std::to_string(v); };
    using Row = std::vector<std::optional<std::string>>;
    ASSERT_EQ(gdal.rows.size(), 3u);
    EXPECT_EQ(gdal.rows[0], (Row{real(1), "Main, St", "2", "-7", real(3500000000.25), real(0.125),
                                 "T", "2005/03/14"}));
    EXPECT_EQ(gdal.rows[1], (Row{real(2), std::nullopt, "-2147483648", "32767", real(-0.5),
                                 real(-1234567.5), "F", "2024/02/29"}));
    EXPECT_EQ(gdal.rows[2], (Row{real(3), std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                 std::nullopt, "?", std::nullopt}));
}

TEST(GdalInterop, TablesWrittenByGdalOpenHereWithTheSameFieldsAndRows) {
    TempDir dir;
    const std::string path = dir / "g.dbf";
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("ESRI Shapefile");
    ASSERT_NE(driver, nullptr);
    GDALDatasetH ds = GDALCreate(driver, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH layer = GDALDatasetCreateLayer(ds, "g", nullptr, wkbNone, nullptr);
    ASSERT_NE(layer, nullptr);
    struct Def {
        const char* name;
        OGRFieldType type;
        int width;
        int precision;
    };
    const Def defs[] = {{"NAME", OFTString, 15, 0},
                        {"N", OFTInteger, 9, 0},
                        {"V", OFTReal, 12, 3},
                        {"D", OFTDate, 0, 0}};
    for (const auto& d : defs) {
        OGRFieldDefnH f = OGR_Fld_Create(d.name, d.type);
        OGR_Fld_SetWidth(f, d.width);
        OGR_Fld_SetPrecision(f, d.precision);
        ASSERT_EQ(OGR_L_CreateField(layer, f, TRUE), OGRERR_NONE);
        OGR_Fld_Destroy(f);
    }
    auto add = [&](const char* name, int n, double v, bool withValues) {
        OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGR_F_SetFieldString(feature, 0, name);
        if (withValues) {
            OGR_F_SetFieldInteger(feature, 1, n);
            OGR_F_SetFieldDouble(feature, 2, v);
            OGR_F_SetFieldDateTime(feature, 3, 1999, 12, 31, 0, 0, 0, 0);
        }
        ASSERT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
        OGR_F_Destroy(feature);
    };
    add("first", 42, 1.5, true);
    add("second", 0, 0, false);
    add("third", -7, -0.25, true);
    GDALClose(ds);

    TableConnection connection;
    ASSERT_TRUE(connection.Open(dir.path()));
    TableRecordset rows;
    std::string error;
    ASSERT_TRUE(rows.Open(connection, "[g]", error)) << error;
    ASSERT_EQ(rows.FieldCount(), 4);
    const int ado[] = {kAdChar, kAdInteger, kAdDouble, kAdDate};
    const int sizes[] = {15, 9, 12, 8};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows.Field(i).Name, defs[i].name);
        EXPECT_EQ(rows.Field(i).Type, ado[i]) << i;
        EXPECT_EQ(rows.Field(i).DefinedSize, sizes[i]) << i;
    }
    using Row = std::vector<std::optional<std::string>>;
    std::vector<Row> read;
    for (; !rows.IsEOF(); rows.MoveNext())
        read.push_back({rows.Value(0), rows.Value(1), rows.Value(2), rows.Value(3)});
    EXPECT_EQ(read, (std::vector<Row>{{"first", "42", "1.5", "19991231"},
                                      {"second", std::nullopt, std::nullopt, std::nullopt},
                                      {"third", "-7", "-0.25", "19991231"}}));

    // Changed by the table class, the table still reads in GDAL with the new key column.
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(path));
    table.RemoveField(2);
    table.AddSpatialID();
    table.UpdateFile();
    ASSERT_FALSE(table.WriteFailed());
    GdalTable gdal = ReadWithGdal(path);
    ASSERT_EQ(gdal.fields.size(), 4u);
    EXPECT_EQ(gdal.fields[1].name, "V");
    EXPECT_EQ(gdal.fields[3].name, "SPATIAL_ID");
    ASSERT_EQ(gdal.rows.size(), 3u);
    EXPECT_EQ(gdal.rows[2][0], "third");
    EXPECT_EQ(gdal.rows[2][1], "-0.250");
    EXPECT_EQ(gdal.rows[2][3], "3.00000");
}

}  // namespace
}  // namespace vx

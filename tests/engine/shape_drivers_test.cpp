#include <gtest/gtest.h>

#include "dbase/vx_recordset.h"
#include "engine/import.h"
#include "platform/file_system.h"
#include "platform/strings.h"
#include "support/test_support.h"
#include "vxv/layer_format.h"

namespace vx {
namespace {

const char* kRoads = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "park", "value": 12.5}, "geometry": {"type": "Polygon",
  "coordinates": [[[0,0],[100,0],[100,100],[0,100],[0,0]],
                  [[10,10],[10,40],[40,40],[40,10],[10,10]],
                  [[60,60],[60,90],[90,90],[90,60],[60,60]]]}},
 {"type": "Feature", "properties": {"name": "gone", "value": 3}, "geometry": null},
 {"type": "Feature", "properties": {"name": "lake", "value": -7.25}, "geometry": {"type": "Polygon",
  "coordinates": [[[200,0],[260,0],[230,50],[200,0]]]}},
 {"type": "Feature", "properties": {"name": "tail", "value": 0}, "geometry": null}]})";

const char* kLines = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "a"}, "geometry": {"type": "MultiLineString",
  "coordinates": [[[0,0],[3,4]], [[10,10],[10,20],[20,20]]]}},
 {"type": "Feature", "properties": {"name": "b"}, "geometry": {"type": "LineString",
  "coordinates": [[1,2],[7,-3]]}}]})";

const char* kPoints = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "p1"}, "geometry": {"type": "Point", "coordinates": [1.5,2.5]}},
 {"type": "Feature", "properties": {"name": "p2"}, "geometry": null},
 {"type": "Feature", "properties": {"name": "p3"}, "geometry": {"type": "Point", "coordinates": [5,-6.75]}}]})";

// A single-property collection of two points, the property named `field`.
std::string PointsWithField(const std::string& field) {
    return R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {")" +
           field + R"(": 77}, "geometry": {"type": "Point", "coordinates": [1,1]}},
 {"type": "Feature", "properties": {")" +
           field + R"(": 78}, "geometry": {"type": "Point", "coordinates": [2,2]}}]})";
}

const std::string kCrLfText = "\r\n";

class ShapeDriverTest : public ::testing::Test {
  protected:
    ShapeDriverTest() {
        engine.SetCreateDbf(true);
        engine.SubscribeReportStatus(
            [this](const std::string& status) { raised.push_back(status); });
    }

    // A shapefile written by GDAL from `geojson`.
    void MakeShapefile(const std::string& geojson, const std::string& shpPath) {
        test::WriteFile(shpPath + ".geojson", geojson);
        const auto result = test::RunCommand("ogr2ogr -f 'ESRI Shapefile' '" + shpPath + "' '" +
                                             shpPath + ".geojson'");
        ASSERT_EQ(result.status, 0) << "ogr2ogr failed: " << result.err;
    }

    // What GDAL reads from a data set: one CSV line per feature, the geometry as WKT first.
    static std::string GdalRows(const std::string& path, const std::string& select = "") {
        const auto result =
            test::RunCommand("ogr2ogr -f CSV /vsistdout/ '" + path + "' -lco GEOMETRY=AS_WKT" +
                             (select.empty() ? "" : " -select " + select));
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }

    // The values of one numeric field of a data set, in row order.
    static std::vector<double> NumbersOf(const std::string& path, const std::string& field) {
        const auto result =
            test::RunCommand("ogr2ogr -f CSV /vsistdout/ '" + path + "' -select " + field);
        EXPECT_EQ(result.status, 0) << result.err;
        std::vector<double> values;
        std::size_t at = result.out.find('\n');  // past the header
        while (at != std::string::npos && at + 1 < result.out.size()) {
            const std::size_t end = result.out.find('\n', at + 1);
            std::string cell = result.out.substr(at + 1, end - at - 1);
            std::erase(cell, '"');
            std::erase(cell, '\r');
            values.push_back(ParseDouble(cell).value_or(-1));
            at = end;
        }
        return values;
    }

    // The field names of a table, in order.
    static std::vector<std::string> FieldNames(const std::string& path) {
        VXRecordset table;
        table.OpenDBF(path);
        EXPECT_TRUE(table.HasTable()) << path;
        std::vector<std::string> names;
        for (int i = 1; i <= table.FieldCount(); ++i) {
            std::string name = table.FieldName(i);
            name.resize(std::min(name.size(), name.find('\0')));
            names.push_back(name);
        }
        return names;
    }

    // The log written since `mark`.
    std::string LogSince(std::size_t mark) const { return engine.JobLog().substr(mark); }

    test::TempDir dir;
    Import engine;
    std::vector<std::string> raised;
};

TEST_F(ShapeDriverTest, ImportWritesTheLayerAndItsTableInAVxvFolder) {
    MakeShapefile(kRoads, dir / "gis/road-net.shp");
    // Companions in upper case are found all the same.
    ASSERT_TRUE(RenameFile(dir / "gis/road-net.dbf", dir / "gis/road-net.DBF"));
    ASSERT_TRUE(RenameFile(dir / "gis/road-net.shx", dir / "gis/road-net.SHX"));

    ASSERT_TRUE(engine.ImportShapeFile(dir / "gis/road-net.shp", dir / "gis/road-net.vxv"))
        << engine.JobLog();
    EXPECT_EQ(engine.JobLog(),
              "Importing ShapeFile road-net.shp\r\n\tChecking Input Files...\r\n\tReading....\r\n"
              "\tReading Shape Region\r\n\tWriting.....\r\n\tWriting Shape Region\r\n"
              "\r\n\tImport Successfully Completed.\r\n\r\n");
    EXPECT_EQ(raised.back(), "\r\n\tImport Successfully Completed.\r\n\r\n");

    EXPECT_TRUE(FileExists(dir / "gis/VXV/road_net.vxv"));
    EXPECT_TRUE(FileExists(dir / "gis/VXV/road_net.vxs"));
    std::vector<std::string> tables;
    ASSERT_TRUE(ReadLayerTableNames(dir / "gis/VXV/road_net.vxv", tables));
    EXPECT_EQ(tables, std::vector<std::string>{"road_net.dbf"});

    // The table keeps every row, the null shape's too, and gains the key column.
    EXPECT_EQ(FieldNames(dir / "gis/VXV/road_net.dbf"),
              (std::vector<std::string>{"name", "value", "SPATIAL_ID"}));
    EXPECT_EQ(NumbersOf(dir / "gis/VXV/road_net.dbf", "value"),
              (std::vector<double>{12.5, 3, -7.25, 0}));
    EXPECT_EQ(NumbersOf(dir / "gis/VXV/road_net.dbf", "SPATIAL_ID"),
              (std::vector<double>{1, 2, 3, 4}));
    EXPECT_TRUE(FileExists(dir / "gis/road-net.shp")) << "sources stay unless asked";
}

TEST_F(ShapeDriverTest, SpatialIdOfTheSourceIsRenamedOrReplaced) {
    // The only field: kept under another name, so that the table keeps its data.
    MakeShapefile(PointsWithField("SPATIAL_ID"), dir / "only.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "only.shp", dir / "only.vxv")) << engine.JobLog();
    EXPECT_EQ(FieldNames(dir / "VXV/only.dbf"), (std::vector<std::string>{"SPL_ID", "SPATIAL_ID"}));
    EXPECT_EQ(NumbersOf(dir / "VXV/only.dbf", "SPL_ID"), (std::vector<double>{77, 78}));
    EXPECT_EQ(NumbersOf(dir / "VXV/only.dbf", "SPATIAL_ID"), (std::vector<double>{1, 2}));

    // Among other fields, in any letter case: dropped for the new key.
    const std::string withName = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "x", "Spatial_Id": 77}, "geometry": {"type": "Point", "coordinates": [1,1]}},
 {"type": "Feature", "properties": {"name": "y", "Spatial_Id": 77}, "geometry": {"type": "Point", "coordinates": [2,2]}}]})";
    MakeShapefile(withName, dir / "among.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "among.shp", dir / "among.vxv")) << engine.JobLog();
    EXPECT_EQ(FieldNames(dir / "VXV/among.dbf"), (std::vector<std::string>{"name", "SPATIAL_ID"}));
    EXPECT_EQ(NumbersOf(dir / "VXV/among.dbf", "SPATIAL_ID"), (std::vector<double>{1, 2}));
}

TEST_F(ShapeDriverTest, TableNamesAreCleaned) {
    EXPECT_EQ(Import::CleanFileName("my roads-2 (old).dbf"), "my_roads_2__old_.dbf");
    EXPECT_EQ(Import::CleanFileName("Caf\xe9#1.dbf"), "Caf__1.dbf");
    EXPECT_EQ(Import::CleanFileName("dir/A_b.9.DBF"), "dir/A_b.9.DBF");

    MakeShapefile(kPoints, dir / "my roads.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "my roads.shp", dir / "my roads.vxv"))
        << engine.JobLog();
    EXPECT_TRUE(FileExists(dir / "VXV/my roads.vxv"));
    EXPECT_TRUE(FileExists(dir / "VXV/my_roads.dbf"));
    std::vector<std::string> tables;
    ASSERT_TRUE(ReadLayerTableNames(dir / "VXV/my roads.vxv", tables));
    EXPECT_EQ(tables, std::vector<std::string>{"my_roads.dbf"});
}

TEST_F(ShapeDriverTest, ImportRefusalsAndFailuresReportTheirLines) {
    MakeShapefile(kPoints, dir / "pts.shp");
    test::WriteFile(dir / "pts.txt", "x");
    struct Refusal {
        std::string source;
        std::string line;
    };
    const Refusal refusals[] = {{dir / "none.shp", "\r\nSource file does not exist."},
                                {dir / "pts.txt", "\r\nInvalid source file."}};
    for (const auto& [source, line] : refusals) {
        const std::size_t mark = engine.JobLog().size();
        EXPECT_FALSE(engine.ImportShapeFile(source, dir / "out.vxv"));
        EXPECT_EQ(LogSince(mark).substr(LogSince(mark).size() - line.size()), line);
        EXPECT_EQ(engine.StatusText(), line);
        EXPECT_EQ(raised.back(), line);
    }

    // An existing layer refuses the job unless overwriting is on.
    ASSERT_TRUE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv")) << engine.JobLog();
    EXPECT_FALSE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv"));
    EXPECT_EQ(engine.StatusText(), "\r\nShape Import Aborted");
    DeleteFile(dir / "VXV/pts.vxs");
    EXPECT_FALSE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv"))
        << "the layer file alone is an output too";
    engine.SetOverwriteExistingFiles(true);
    ASSERT_TRUE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv")) << engine.JobLog();
    EXPECT_TRUE(FileExists(dir / "VXV/pts.dbf"));

    // The table is needed only when attributes are carried.
    ASSERT_TRUE(DeleteFile(dir / "pts.dbf"));
    std::size_t mark = engine.JobLog().size();
    EXPECT_FALSE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv"));
    EXPECT_NE(LogSince(mark).find("\tDBF File does not exist. Shape Import Aborted\r\n"),
              std::string::npos);
    EXPECT_EQ(engine.StatusText(), "\tDBF file does not exist. Shape Import Aborted\r\n");
    engine.SetCreateDbf(false);
    DeleteFile(dir / "VXV/pts.dbf");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "pts.shp", dir / "pts.vxv")) << engine.JobLog();
    EXPECT_FALSE(FileExists(dir / "VXV/pts.dbf"));

    // A damaged .shp fails the import after the reader's own lines.
    const std::string good = test::ReadFile(dir / "pts.shp");
    test::WriteFile(dir / "cut.shp", good.substr(0, good.size() - 4));
    mark = engine.JobLog().size();
    EXPECT_FALSE(engine.ImportShapeFile(dir / "cut.shp", dir / "cut.vxv"));
    const std::string failed = "\r\nThere was some problem during import.\r\n";
    EXPECT_EQ(LogSince(mark).substr(LogSince(mark).size() - failed.size()), failed);
    EXPECT_FALSE(FileExists(dir / "VXV/cut.vxv"));

    test::WriteFile(dir / "bad.shp", std::string(100, '\0'));
    mark = engine.JobLog().size();
    EXPECT_FALSE(engine.ImportShapeFile(dir / "bad.shp", dir / "bad.vxv"));
    EXPECT_NE(LogSince(mark).find("bad.shp,Incorrect Shape Version Code\r\n"
                                  "\r\nThere was some problem during import.\r\n"),
              std::string::npos)
        << LogSince(mark);
}

TEST_F(ShapeDriverTest, DeletingTheSourceKeepsItsTable) {
    MakeShapefile(kLines, dir / "lines.shp");
    ASSERT_TRUE(RenameFile(dir / "lines.shx", dir / "lines.SHX"));
    engine.SetDeleteScrFile(true);
    ASSERT_TRUE(engine.ImportShapeFile(dir / "lines.shp", dir / "lines.vxv")) << engine.JobLog();
    EXPECT_FALSE(FileExists(dir / "lines.shp"));
    EXPECT_FALSE(FileExists(dir / "lines.SHX"));
    EXPECT_TRUE(FileExists(dir / "lines.dbf"));

    // The export removes its layer files, never the table.
    ASSERT_TRUE(engine.ExportShapeFile(dir / "VXV/lines.vxv", dir / "VXV/lines.shp"))
        << engine.JobLog();
    EXPECT_FALSE(FileExists(dir / "VXV/lines.vxv"));
    EXPECT_FALSE(FileExists(dir / "VXV/lines.vxs"));
    EXPECT_TRUE(FileExists(dir / "VXV/lines.dbf"));
    EXPECT_TRUE(FileExists(dir / "VXV/SHP/lines.shp"));
}

// Shapefiles from GDAL, imported and exported again, read the same in GDAL: the same shapes
// with the same rows, null shapes in their places.
TEST_F(ShapeDriverTest, ExportGivesGdalTheSameShapesAndRows) {
    const std::pair<const char*, const char*> sets[] = {
        {"roads", kRoads}, {"lines", kLines}, {"points", kPoints}};
    for (const auto& [name, geojson] : sets) {
        SCOPED_TRACE(name);
        const std::string source = dir / (std::string(name) + ".shp");
        MakeShapefile(geojson, source);
        ASSERT_TRUE(engine.ImportShapeFile(source, dir / (std::string(name) + ".vxv")))
            << engine.JobLog();
        const std::size_t mark = engine.JobLog().size();
        const std::string layer = dir / ("VXV/" + std::string(name) + ".vxv");
        ASSERT_TRUE(engine.ExportShapeFile(layer, dir / ("out/" + std::string(name) + ".shp")))
            << engine.JobLog();
        const std::string exported = dir / ("out/SHP/" + std::string(name) + ".shp");
        ASSERT_TRUE(FileExists(exported));
        EXPECT_TRUE(FileExists(dir / ("out/SHP/" + std::string(name) + ".shx")));

        const std::string select = std::string(name) == "roads" ? "name,value" : "name";
        std::string theirs = GdalRows(source, select);
        const std::string ours = GdalRows(exported, select);
        if (std::string(name) == "points") {
            // Points go out as multipoints of one point.
            for (std::size_t at; (at = theirs.find("\"POINT (")) != std::string::npos;) {
                const std::size_t end = theirs.find(')', at);
                theirs.replace(end, 1, "))");
                theirs.replace(at, 8, "\"MULTIPOINT ((");
            }
        }
        EXPECT_EQ(ours, theirs);
        const std::vector<double> keys = NumbersOf(exported, "SPATIAL_ID");
        ASSERT_FALSE(keys.empty());
        EXPECT_EQ(keys.back(), static_cast<double>(keys.size())) << "the key column";

        const std::string kind = std::string(name) == "roads"   ? "Regions"
                                 : std::string(name) == "lines" ? "Lines"
                                                                : "Points";
        EXPECT_EQ(LogSince(mark), "Exporting VXV File " + std::string(name) +
                                      ".vxv\r\n\tChecking Input Files...\r\n\tReading ...\r\n"
                                      "\tReading " +
                                      kind +
                                      "\r\n\tCreating Data File....\r\n\tWriting....\r\n"
                                      "\r\n\tExport Successfully Completed.\r\n\r\n");
    }
}

// A region of the MIF import with two holes, its rings turning either way and one of them
// left open, reaches GDAL as the same polygon with the same area.
TEST_F(ShapeDriverTest, MifRegionWithTwoHolesKeepsItsShapeThroughGdal) {
    test::WriteFile(dir / "parcel.mif",
                    "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
                    "CoordSys NonEarth Units \"m\" Bounds (-1000, -1000) (1000, 1000)\r\n"
                    "Columns 1\r\n  name Char(10)\r\nData\r\n\r\n"
                    "Region 3\r\n  5\r\n0 0\r\n100 0\r\n100 100\r\n0 100\r\n0 0\r\n"
                    "  5\r\n10 10\r\n10 40\r\n40 40\r\n40 10\r\n10 10\r\n"
                    "  4\r\n60 60\r\n90 60\r\n90 90\r\n60 90\r\n"
                    "    Pen (1,2,0)\r\n    Brush (2,16777215,16777215)\r\n");
    test::WriteFile(dir / "parcel.mid", "\"park\"\r\n");
    ASSERT_TRUE(engine.ImportMifFile(dir / "parcel.mif", dir / "parcel.vxv")) << engine.JobLog();
    ASSERT_TRUE(engine.ExportShapeFile(dir / "parcel.vxv", dir / "parcel.shp")) << engine.JobLog();

    const auto result = test::RunCommand("ogrinfo -ro -q '" + (dir / "SHP/parcel.shp") +
                                         "' -sql 'SELECT name, OGR_GEOM_AREA FROM parcel'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("name (String) = park"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("OGR_GEOM_AREA (Real) = 8200\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("POLYGON ((0 0,0 100,100 100,100 0,0 0),(10 10,40 10,40 40,10 40,"
                              "10 10),(60 60,90 60,90 90,60 90,60 60))"),
              std::string::npos)
        << result.out;
}

TEST_F(ShapeDriverTest, ExportRefusalsAndFailuresReportTheirLines) {
    MakeShapefile(kRoads, dir / "roads.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "roads.shp", dir / "roads.vxv")) << engine.JobLog();
    const std::string layer = dir / "VXV/roads.vxv";
    const std::string out = dir / "roads.shp";
    test::WriteFile(dir / "roads.txt", "x");

    EXPECT_FALSE(engine.ExportShapeFile(dir / "none.vxv", out));
    EXPECT_EQ(engine.StatusText(), "\r\nSource file does not exist.");
    EXPECT_EQ(raised.back(), "\r\nSource file does not exist.");
    EXPECT_FALSE(engine.ExportShapeFile(dir / "roads.txt", out));
    EXPECT_EQ(engine.StatusText(), "\r\nInvalid source file.");

    // Either file of an older set refuses the export with overwriting off.
    for (const char* older : {"roads.shx", "roads.shp"}) {
        SCOPED_TRACE(older);
        test::WriteFile(dir / ("SHP/" + std::string(older)), std::string(20000, 'x'));
        EXPECT_FALSE(engine.ExportShapeFile(layer, out));
        EXPECT_EQ(engine.StatusText(), "\r\nShape Export Aborted");
        EXPECT_EQ(test::ReadFile(dir / ("SHP/" + std::string(older))).size(), 20000u);
        DeleteFile(dir / ("SHP/" + std::string(older)));
    }
    // With overwriting on, both are made anew.
    test::WriteFile(dir / "SHP/roads.shp", std::string(20000, 'x'));
    test::WriteFile(dir / "SHP/roads.shx", std::string(20000, 'x'));
    engine.SetOverwriteExistingFiles(true);
    ASSERT_TRUE(engine.ExportShapeFile(layer, out)) << engine.JobLog();
    EXPECT_LT(test::ReadFile(dir / "SHP/roads.shp").size(), 20000u);
    EXPECT_EQ(test::ReadFile(dir / "SHP/roads.shx").size(), 100u + 4 * 8);

    // The layer's table is gone.
    ASSERT_TRUE(RenameFile(dir / "VXV/roads.dbf", dir / "VXV/kept.dbf"));
    std::size_t mark = engine.JobLog().size();
    EXPECT_FALSE(engine.ExportShapeFile(layer, out));
    EXPECT_NE(LogSince(mark).find("\tDBF File does not exist. Shape Export Aborted\r\n"
                                  "\r\nThere was some problem during export.\r\n"),
              std::string::npos)
        << LogSince(mark);
    engine.SetCreateDbf(false);
    EXPECT_TRUE(engine.ExportShapeFile(layer, out)) << "no table needed without attributes";

    // A damaged layer.
    const std::string vxs = test::ReadFile(dir / "VXV/roads.vxs");
    test::WriteFile(dir / "VXV/roads.vxs", vxs.substr(0, vxs.size() / 2));
    mark = engine.JobLog().size();
    EXPECT_FALSE(engine.ExportShapeFile(layer, out));
    EXPECT_NE(LogSince(mark).find("Error Reading VXV....\r\n"
                                  "\r\nThere was some problem during export.\r\n"),
              std::string::npos)
        << LogSince(mark);
}

}  // namespace
}  // namespace vx

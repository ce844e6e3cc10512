// The shapefile import and export from end to end: their lines and refusals, the keyed table,
// and shapefiles from GDAL that come out again as GDAL reads them.
#include <gtest/gtest.h>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"
#include "vxv/layer_format.h"

namespace vx {
namespace {

// GeoJSON of features given as their properties and geometry.
std::string Json(std::initializer_list<std::pair<const char*, const char*>> features) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (const auto& [properties, geometry] : features) {
        json += std::string(json.back() == '[' ? "" : ",") + R"({"type":"Feature","properties":{)" +
                properties + R"(},"geometry":)" + geometry + "}";
    }
    return json + "]}";
}

// What GDAL writes for us to import: every kind, polygons with holes, null shapes between and
// after the others.
const std::pair<const char*, std::string> kSources[] = {
    {"roads", Json({{R"("name":"park","value":12.5)",
                     R"({"type":"Polygon","coordinates":[[[0,0],[100,0],[100,100],[0,100],[0,0]],
                [[10,10],[10,40],[40,40],[40,10],[10,10]],[[60,60],[60,90],[90,90],[90,60],[60,60]]]})"},
                    {R"("name":"gone","value":3)", "null"},
                    {R"("name":"lake","value":-7.25)",
                     R"({"type":"MultiPolygon","coordinates":[[[[200,0],[260,0],[230,50],[200,0]]],
                [[[300,0],[310,0],[305,9],[300,0]]]]})"},
                    {R"("name":"tail","value":0)", "null"}})},
    {"lines", Json({{R"("name":"a")", R"({"type":"MultiLineString",
                                          "coordinates":[[[0,0],[3,4]],[[10,10],[10,20],[20,20]]]})"},
                    {R"("name":"b")", "null"},
                    {R"("name":"c")", R"({"type":"LineString","coordinates":[[1,2],[7,-3]]})"}})},
    {"points", Json({{R"("name":"p1")", R"({"type":"Point","coordinates":[1.5,2.5]})"},
                     {R"("name":"p2")", "null"},
                     {R"("name":"p3")", R"({"type":"Point","coordinates":[5,-6.75]})"}})},
    {"multi",
     Json({{R"("name":"m1")",
            R"({"type":"MultiPoint","coordinates":[[1,1],[2,5],[3,2],[4,4],[5,3]]})"},
           {R"("name":"m2")", R"({"type":"MultiPoint","coordinates":[[10,10],[20,20]]})"}})}};

void MakeShapefile(const std::string& geojson, const std::string& path) {
    test::MakeWithGdal(geojson, path, {"-f", "ESRI Shapefile"});
}

// The values of a numeric column, in row order.
std::vector<double> Numbers(const std::string& path, const std::string& field) {
    std::vector<double> values;
    for (const test::PeerFeature& f : test::ReadWithGdal(path).features)
        values.push_back(f.fields.count(field) ? std::stod(f.fields.at(field)) : -1);
    return values;
}

class ShapeDrivers : public ::testing::Test {
  protected:
    ShapeDrivers() {
        engine.SetCreateDbf(true);
        engine.SubscribeReportStatus([this](const std::string& status) { raised = status; });
    }
    test::TempDir dir;
    Import engine;
    std::string raised;
};

TEST_F(ShapeDrivers, ImportWritesTheLayerAndItsKeyedTableInAVxvFolder) {
    MakeShapefile(kSources[0].second, dir / "gis/road-net.shp");
    // Companions in upper case are found all the same.
    ASSERT_TRUE(RenameFile(dir / "gis/road-net.dbf", dir / "gis/road-net.DBF"));
    ASSERT_TRUE(RenameFile(dir / "gis/road-net.shx", dir / "gis/road-net.SHX"));
    ASSERT_TRUE(engine.ImportShapeFile(dir / "gis/road-net.shp", dir / "gis/road-net.vxv"))
        << engine.JobLog();
    EXPECT_EQ(engine.JobLog(),
              "Importing ShapeFile road-net.shp\r\n\tChecking Input Files...\r\n\tReading....\r\n"
              "\tReading Shape Region\r\n\tWriting.....\r\n\tWriting Shape Region\r\n"
              "\r\n\tImport Successfully Completed.\r\n\r\n");
    EXPECT_EQ(raised, "\r\n\tImport Successfully Completed.\r\n\r\n");
    EXPECT_TRUE(FileExists(dir / "gis/VXV/road_net.vxs"));
    std::vector<std::string> tables;
    ASSERT_TRUE(ReadLayerTableNames(dir / "gis/VXV/road_net.vxv", tables));
    EXPECT_EQ(tables, std::vector<std::string>{"road_net.dbf"});
    // Every row stays, the null shapes' too, with the key column after the others.
    const std::string table = dir / "gis/VXV/road_net.dbf";
    EXPECT_EQ(test::ReadWithGdal(table).fieldNames,
              (std::vector<std::string>{"name", "value", "SPATIAL_ID"}));
    EXPECT_EQ(Numbers(table, "value"), (std::vector<double>{12.5, 3, -7.25, 0}));
    EXPECT_EQ(Numbers(table, "SPATIAL_ID"), (std::vector<double>{1, 2, 3, 4}));

    // Table names lose what a file name should not hold; the layer names keep it.
    EXPECT_EQ(Import::CleanFileName("my roads-2 (old).dbf"), "my_roads_2__old_.dbf");
    EXPECT_EQ(Import::CleanFileName("Caf\xe9#1/A_b.9.DBF"), "Caf__1/A_b.9.DBF");
    MakeShapefile(kSources[2].second, dir / "my roads.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "my roads.shp", dir / "my roads.vxv"));
    ASSERT_TRUE(ReadLayerTableNames(dir / "VXV/my roads.vxv", tables));
    EXPECT_EQ(tables, std::vector<std::string>{"my_roads.dbf"});
    EXPECT_TRUE(FileExists(dir / "VXV/my_roads.dbf"));
}

TEST_F(ShapeDrivers, SourceSpatialIdIsRenamedWhenAloneElseReplaced) {
    const char* point = R"({"type":"Point","coordinates":[1,1]})";
    MakeShapefile(Json({{R"("SPATIAL_ID":77)", point}, {R"("SPATIAL_ID":78)", point}}),
                  dir / "only.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "only.shp", dir / "only.vxv")) << engine.JobLog();
    EXPECT_EQ(test::ReadWithGdal(dir / "VXV/only.dbf").fieldNames,
              (std::vector<std::string>{"SPL_ID", "SPATIAL_ID"}));
    EXPECT_EQ(Numbers(dir / "VXV/only.dbf", "SPL_ID"), (std::vector<double>{77, 78}));
    EXPECT_EQ(Numbers(dir / "VXV/only.dbf", "SPATIAL_ID"), (std::vector<double>{1, 2}));

    MakeShapefile(
        Json({{R"("name":"x","Spatial_Id":77)", point}, {R"("name":"y","Spatial_Id":77)", point}}),
        dir / "among.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "among.shp", dir / "among.vxv")) << engine.JobLog();
    EXPECT_EQ(test::ReadWithGdal(dir / "VXV/among.dbf").fieldNames,
              (std::vector<std::string>{"name", "SPATIAL_ID"}));
    EXPECT_EQ(Numbers(dir / "VXV/among.dbf", "SPATIAL_ID"), (std::vector<double>{1, 2}));
}

// A damaged .shp fails after the reader's own lines, and leaves no layer.
TEST_F(ShapeDrivers, DamagedShapefilesFailWithTheReadersLines) {
    MakeShapefile(kSources[2].second, dir / "pts.shp");
    engine.SetCreateDbf(false);  // the damaged files have no tables
    const std::string good = test::ReadFile(dir / "pts.shp");
    test::WriteFile(dir / "cut.shp", good.substr(0, good.size() - 4));
    test::WriteFile(dir / "bad.shp", std::string(100, '\0'));
    const std::string failed = "\r\nThere was some problem during import.\r\n";
    EXPECT_FALSE(engine.ImportShapeFile(dir / "cut.shp", dir / "cut.vxv"));
    EXPECT_TRUE(engine.JobLog().ends_with("\tReading....\r\n" + failed));
    EXPECT_FALSE(FileExists(dir / "VXV/cut.vxv"));
    EXPECT_FALSE(engine.ImportShapeFile(dir / "bad.shp", dir / "bad.vxv"));
    EXPECT_TRUE(engine.JobLog().ends_with("bad.shp,Incorrect Shape Version Code\r\n" + failed));
}

// Shapefiles from GDAL, imported and exported again, read the same in GDAL: the same shapes
// with the same rows, null shapes in their places.
TEST_F(ShapeDrivers, ExportGivesGdalTheSameShapesAndRows) {
    for (const auto& [name, geojson] : kSources) {
        SCOPED_TRACE(name);
        const std::string source = dir / (std::string(name) + ".shp");
        MakeShapefile(geojson, source);
        ASSERT_TRUE(engine.ImportShapeFile(source, dir / (std::string(name) + ".vxv")));
        const std::size_t mark = engine.JobLog().size();
        ASSERT_TRUE(engine.ExportShapeFile(dir / ("VXV/" + std::string(name) + ".vxv"),
                                           dir / ("out/" + std::string(name) + ".shp")))
            << engine.JobLog();
        const char* kind = name[0] == 'r' ? "Regions" : name[0] == 'l' ? "Lines" : "Points";
        EXPECT_EQ(engine.JobLog().substr(mark),
                  "Exporting VXV File " + std::string(name) +
                      ".vxv\r\n\tChecking Input Files...\r\n\tReading ...\r\n\tReading " + kind +
                      "\r\n\tCreating Data File....\r\n\tWriting....\r\n"
                      "\r\n\tExport Successfully Completed.\r\n\r\n");

        const std::string exported = dir / ("out/SHP/" + std::string(name) + ".shp");
        GDALDatasetUniquePtr original = test::OpenVector(source);
        GDALDatasetUniquePtr back = test::OpenVector(exported);
        ASSERT_TRUE(original && back);
        test::ExpectSameFeatures(*original->GetLayer(0), *back->GetLayer(0), name);
        const std::vector<double> keys = Numbers(exported, "SPATIAL_ID");
        EXPECT_EQ(keys.back(), static_cast<double>(keys.size())) << "the key column";

        // The MIF export keeps each row with its shape too: null shapes become None objects.
        ASSERT_TRUE(engine.ExportMifFile(dir / ("VXV/" + std::string(name) + ".vxv"),
                                         dir / ("mif/" + std::string(name) + ".mif")))
            << engine.JobLog();
        GDALDatasetUniquePtr mif = test::OpenVector(dir / ("mif/" + std::string(name) + ".mif"));
        ASSERT_TRUE(mif);
        test::ExpectSameFeatures(*original->GetLayer(0), *mif->GetLayer(0), name);
    }
}

TEST_F(ShapeDrivers, ExportFailsOnADamagedLayer) {
    MakeShapefile(kSources[0].second, dir / "roads.shp");
    ASSERT_TRUE(engine.ImportShapeFile(dir / "roads.shp", dir / "roads.vxv")) << engine.JobLog();
    const std::string layer = dir / "VXV/roads.vxv";
    const std::string vxs = test::ReadFile(dir / "VXV/roads.vxs");
    // The index is whole: the damage is met at the records, once the writing has begun.
    test::WriteFile(dir / "VXV/roads.vxs", vxs.substr(0, vxs.size() / 2));
    EXPECT_FALSE(engine.ExportShapeFile(layer, dir / "out/roads.shp"));
    EXPECT_TRUE(
        engine.JobLog().ends_with("Error Reading VXV....\r\n\r\nThere was some problem "
                                  "during export.\r\n"));
    EXPECT_NE(engine.JobLog().find("Writing...."), std::string::npos);
    EXPECT_EQ(test::TakeTree(dir / "out"), test::FileTree{})
        << "no file of the cut-short export stays";
}

}  // namespace
}  // namespace vx

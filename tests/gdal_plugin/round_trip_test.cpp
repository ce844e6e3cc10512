// Layer sets through GDAL and back: a GeoPackage to VXV and back keeps features, attributes,
// field types and coordinate systems; the sample shapefiles written by GDAL as VXV and exported
// by us to MIF read as GDAL reads the shapefiles.
#include <filesystem>

#include "gdal_plugin/driver_test_support.h"

namespace vx::test {
namespace {

void MakeSource(const std::string& path) {
    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32633);
    wgs84.importFromEPSG(4326);
    for (OGRSpatialReference* crs : {&utm, &wgs84})
        crs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
    GDALDatasetUniquePtr source(gpkg->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(source);

    OGRLayer* wells = source->CreateLayer("wells", &utm, wkbPoint);
    AddField(*wells, "NAME", OFTString, 30);
    AddField(*wells, "DEPTH", OFTReal);
    AddField(*wells, "COUNT", OFTInteger);
    AddField(*wells, "BIG", OFTInteger64);
    AddField(*wells, "ACTIVE", OFTInteger, 0, 0, OFSTBoolean);
    AddField(*wells, "SEEN", OFTDate);
    AddFeature(*wells, "POINT (512300.5 4640120.25)", nullptr,
               {{"NAME", "K\xc3\xb6ln, \"old\" well"},
                {"DEPTH", "42.5"},
                {"COUNT", "-7"},
                {"BIG", "9007199254740993"},
                {"ACTIVE", "1"},
                {"SEEN", "2024-03-14"}});
    AddFeature(*wells, "POINT (512950 4640410.75)", nullptr,
               {{"NAME", "W-102"}, {"DEPTH", "0.000123"}, {"ACTIVE", "0"}});
    AddFeature(*wells, "POINT (513420 4639980)");

    OGRLayer* roads = source->CreateLayer("roads", &wgs84, wkbMultiLineString);
    AddField(*roads, "REF", OFTString, 8);
    AddFeature(*roads,
               "MULTILINESTRING ((12.47 41.89,12.48 41.895),(12.49 41.9,12.5 41.905,12.51 41.9))",
               nullptr, {{"REF", "A1"}});
    AddFeature(*roads, "MULTILINESTRING ((12.46 41.91,12.47 41.912))", nullptr, {{"REF", "B2"}});

    OGRLayer* parcels = source->CreateLayer("parcels", &utm, wkbMultiPolygon);
    AddField(*parcels, "OWNER", OFTString, 20);
    // Two holes; two polygons, one with a hole; an island in a lake in a field.
    for (const auto& [owner, wkt] : std::initializer_list<std::pair<const char*, const char*>>{
             {"city",
              "MULTIPOLYGON (((0 0,100 0,100 100,0 100,0 0),(10 10,20 10,20 20,10 20,10 10),"
              "(50 50,60 50,60 60,50 60,50 50)))"},
             {"state",
              "MULTIPOLYGON (((200 0,300 0,300 100,200 100,200 0),(210 10,290 10,290 90,"
              "210 90,210 10)),((400 0,450 0,450 50,400 0)))"},
             {"farm",
              "MULTIPOLYGON (((0 200,100 200,100 300,0 300,0 200),(10 210,90 210,90 290,"
              "10 290,10 210)),((20 220,80 220,80 280,20 280,20 220)))"}})
        AddFeature(*parcels, wkt, nullptr, {{"OWNER", owner}});

    OGRLayer* mixed = source->CreateLayer("mixed", &utm, wkbUnknown);
    AddField(*mixed, "KIND", OFTString, 10);
    AddFeature(*mixed, "POINT (1 2)", nullptr, {{"KIND", "point"}});
    AddFeature(*mixed, "LINESTRING (0 0,5 5,10 0)", nullptr, {{"KIND", "line"}});
    AddFeature(*mixed, "POLYGON ((0 0,4 0,4 4,0 0))", nullptr, {{"KIND", "region"}});
    AddFeature(*mixed, "POINT (3 4)", nullptr, {{"KIND", "point 2"}});
}

TEST(RoundTrip, GeoPackageToVxvAndBackKeepsEverything) {
    UseVxvDriver();
    TempDir dir;
    MakeSource(dir / "source.gpkg");
    GdalMessages messages;
    ASSERT_TRUE(Translate(dir / "source.gpkg", dir / "vxv", {"-f", "VXV"})) << messages.All();
    EXPECT_EQ(messages.All(), "");
    for (const char* file : {"wells.vxv", "wells.vxs", "wells.dbf", "roads.vxv", "parcels.vxv",
                             "mixed_rg.vxv", "mixed_ln.vxv", "mixed_pt.dbf"}) {
        EXPECT_TRUE(std::filesystem::exists(dir / ("vxv/" + std::string(file)))) << file;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "vxv/mixed.vxv"));

    // The table keeps the fields' types and widths as far as dBASE can; the key comes first.
    GDALDatasetUniquePtr vxv = OpenVector(dir / "vxv/wells.vxv", {"VXV"});
    ASSERT_TRUE(vxv);
    OGRLayer& wells = *vxv->GetLayer(0);
    const struct {
        const char* name;
        OGRFieldType type;
        int width;
    } fields[] = {{"SPATIAL_ID", OFTInteger64, 21},
                  {"NAME", OFTString, 30},
                  {"DEPTH", OFTReal, 32},
                  {"COUNT", OFTInteger, 11},
                  {"BIG", OFTInteger64, 20},
                  {"ACTIVE", OFTInteger, 1},
                  {"SEEN", OFTDate, 0}};
    ASSERT_EQ(wells.GetLayerDefn()->GetFieldCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const OGRFieldDefn* field = wells.GetLayerDefn()->GetFieldDefn(i);
        EXPECT_STREQ(field->GetNameRef(), fields[i].name);
        EXPECT_EQ(field->GetType(), fields[i].type) << fields[i].name;
        EXPECT_EQ(field->GetWidth(), fields[i].width) << fields[i].name;
    }
    EXPECT_EQ(wells.GetLayerDefn()->GetFieldDefn(5)->GetSubType(), OFSTBoolean);
    OGRFeatureUniquePtr first(wells.GetFeature(1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetFieldAsInteger64("BIG"), 9007199254740993LL);
    OGRFeatureUniquePtr third(wells.GetFeature(3));
    ASSERT_TRUE(third);
    EXPECT_FALSE(third->IsFieldSetAndNotNull(1)) << "a missing text stays missing";
    vxv.reset();

    ASSERT_TRUE(Translate(dir / "vxv", dir / "back.gpkg", {"-f", "GPKG"})) << messages.All();
    EXPECT_FALSE(messages.Has(CE_Failure, "")) << messages.All();
    GDALDatasetUniquePtr source = OpenVector(dir / "source.gpkg");
    GDALDatasetUniquePtr back = OpenVector(dir / "back.gpkg");
    ASSERT_TRUE(source && back);
    for (const char* name : {"wells", "roads", "parcels"}) {
        OGRLayer* from = source->GetLayerByName(name);
        OGRLayer* to = back->GetLayerByName(name);
        ASSERT_TRUE(from && to) << name;
        EXPECT_TRUE(SameCrs(from->GetSpatialRef(), to->GetSpatialRef())) << name;
        ExpectSameFeatures(*from, *to, name);
    }
    // Each kind of the mixed layer in a layer of its own, in source order.
    OGRLayer* mixed = source->GetLayerByName("mixed");
    for (const auto& [kind, filter] : {std::pair{"mixed_pt", "KIND LIKE 'point%'"},
                                       {"mixed_ln", "KIND = 'line'"},
                                       {"mixed_rg", "KIND = 'region'"}}) {
        OGRLayer* layer = back->GetLayerByName(kind);
        ASSERT_TRUE(layer) << kind;
        EXPECT_TRUE(SameCrs(mixed->GetSpatialRef(), layer->GetSpatialRef())) << kind;
        mixed->SetAttributeFilter(filter);
        ExpectSameFeatures(*mixed, *layer, kind);
    }
}

TEST(RoundTrip, ShapefilesWrittenByGdalExportedByUs) {
    UseVxvDriver();
    TempDir dir;
    for (const std::string name : {"lakes", "streams", "wells"}) {
        SCOPED_TRACE(name);
        const std::string vxv = dir / (name + ".vxv");
        GdalMessages messages;
        ASSERT_TRUE(Translate(Sample(name + ".shp"), vxv, {"-f", "VXV"})) << messages.All();
        EXPECT_EQ(messages.All(), "");
        const CommandResult run = RunCommand(BinDir() + "/vxtranslate export mif " + vxv + " -o " +
                                             (dir / "mif") + " -q");
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        GDALDatasetUniquePtr source = OpenVector(Sample(name + ".shp"), {"ESRI Shapefile"});
        GDALDatasetUniquePtr mif = OpenVector(dir / ("mif/" + name + ".MIF"), {"MapInfo File"});
        ASSERT_TRUE(source && mif);
        EXPECT_TRUE(
            SameCrs(source->GetLayer(0)->GetSpatialRef(), mif->GetLayer(0)->GetSpatialRef()));
        ExpectSameFeatures(*source->GetLayer(0), *mif->GetLayer(0), name);
    }
}

// A shapefile's null records have rows but no objects: each object keeps the row its
// SPATIAL_ID names, not the row of its position.
TEST(RoundTrip, RowsFollowTheKeyPastNullRecords) {
    UseVxvDriver();
    TempDir dir;
    MakeWithGdal(R"({"type":"FeatureCollection","features":[
        {"type":"Feature","properties":{"NAME":"f"},"geometry":{"type":"Point","coordinates":[102,1]}},
        {"type":"Feature","properties":{"NAME":"no shape"},"geometry":null},
        {"type":"Feature","properties":{"NAME":"t"},"geometry":{"type":"Point","coordinates":[116,1]}}]})",
                 dir / "gaps.shp", {"-f", "ESRI Shapefile"});
    const CommandResult run = RunCommand(BinDir() + "/vxtranslate import shp " +
                                         (dir / "gaps.shp") + " -o " + dir.path() + " -q");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const PeerLayer layer = ReadWithGdal(dir / "VXV/gaps.vxv");
    ASSERT_EQ(layer.features.size(), 2u);
    for (const PeerFeature& feature : layer.features) {
        const std::string name = feature.fields.at("NAME");
        EXPECT_EQ(feature.wkt, "POINT (" + std::to_string(int{name[0]}) + " 1)") << name;
    }
}

}  // namespace
}  // namespace vx::test

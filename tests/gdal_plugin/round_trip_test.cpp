// GeoPackage to VXV and back: features, attributes and coordinate systems survive, for
// points, lines, polygons with holes and a layer that mixes all three.
#include <gtest/gtest.h>

#include <filesystem>

#include "gdal_plugin/driver_test_support.h"
#include "support/test_support.h"

namespace vx::test {
namespace {

struct Value {
    const char* field;
    const char* text;
};

void Add(OGRLayer& layer, const char* wkt, std::initializer_list<Value> values) {
    OGRFeature feature(layer.GetLayerDefn());
    OGRGeometry* geometry = nullptr;
    ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry), OGRERR_NONE) << wkt;
    feature.SetGeometryDirectly(geometry);
    for (const Value& value : values)
        feature.SetField(value.field, value.text);
    ASSERT_EQ(layer.CreateFeature(&feature), OGRERR_NONE);
}

void Field(OGRLayer& layer, const char* name, OGRFieldType type, int width = 0,
           OGRFieldSubType subType = OFSTNone) {
    OGRFieldDefn field(name, type);
    field.SetWidth(width);
    field.SetSubType(subType);
    ASSERT_EQ(layer.CreateField(&field), OGRERR_NONE);
}

class RoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        UseVxvDriver();
        utm.importFromEPSG(32633);
        wgs84.importFromEPSG(4326);
        for (OGRSpatialReference* crs : {&utm, &wgs84})
            crs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
        GDALDatasetUniquePtr source(gpkg->Create(Source().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        ASSERT_TRUE(source);

        OGRLayer* wells = source->CreateLayer("wells", &utm, wkbPoint);
        Field(*wells, "NAME", OFTString, 30);
        Field(*wells, "DEPTH", OFTReal);
        Field(*wells, "COUNT", OFTInteger);
        Field(*wells, "BIG", OFTInteger64);
        Field(*wells, "ACTIVE", OFTInteger, 0, OFSTBoolean);
        Field(*wells, "SEEN", OFTDate);
        Add(*wells, "POINT (512300.5 4640120.25)",
            {{"NAME", "K\xc3\xb6ln, \"old\" well"},
             {"DEPTH", "42.5"},
             {"COUNT", "-7"},
             {"BIG", "9007199254740993"},
             {"ACTIVE", "1"},
             {"SEEN", "2024-03-14"}});
        Add(*wells, "POINT (512950 4640410.75)",
            {{"NAME", "W-102"}, {"DEPTH", "0.000123"}, {"ACTIVE", "0"}});
        Add(*wells, "POINT (513420 4639980)", {});

        OGRLayer* roads = source->CreateLayer("roads", &wgs84, wkbMultiLineString);
        Field(*roads, "REF", OFTString, 8);
        Add(*roads,
            "MULTILINESTRING ((12.47 41.89,12.48 41.895),(12.49 41.9,12.5 41.905,12.51 41.9))",
            {{"REF", "A1"}});
        Add(*roads, "MULTILINESTRING ((12.46 41.91,12.47 41.912))", {{"REF", "B2"}});

        OGRLayer* parcels = source->CreateLayer("parcels", &utm, wkbMultiPolygon);
        Field(*parcels, "OWNER", OFTString, 20);
        // Two holes; two polygons, one with a hole; an island in a lake in a field.
        Add(*parcels,
            "MULTIPOLYGON (((0 0,100 0,100 100,0 100,0 0),(10 10,20 10,20 20,10 20,10 10),"
            "(50 50,60 50,60 60,50 60,50 50)))",
            {{"OWNER", "city"}});
        Add(*parcels,
            "MULTIPOLYGON (((200 0,300 0,300 100,200 100,200 0),(210 10,290 10,290 90,210 90,"
            "210 10)),((400 0,450 0,450 50,400 0)))",
            {{"OWNER", "state"}});
        Add(*parcels,
            "MULTIPOLYGON (((0 200,100 200,100 300,0 300,0 200),(10 210,90 210,90 290,10 290,"
            "10 210)),((20 220,80 220,80 280,20 280,20 220)))",
            {{"OWNER", "farm"}});

        OGRLayer* mixed = source->CreateLayer("mixed", &utm, wkbUnknown);
        Field(*mixed, "KIND", OFTString, 10);
        Add(*mixed, "POINT (1 2)", {{"KIND", "point"}});
        Add(*mixed, "LINESTRING (0 0,5 5,10 0)", {{"KIND", "line"}});
        Add(*mixed, "POLYGON ((0 0,4 0,4 4,0 0))", {{"KIND", "region"}});
        Add(*mixed, "POINT (3 4)", {{"KIND", "point 2"}});
    }

    std::string Source() const { return dir / "source.gpkg"; }

    TempDir dir;
    OGRSpatialReference utm;
    OGRSpatialReference wgs84;
};

TEST_F(RoundTrip, GeoPackageToVxvAndBackKeepsEverything) {
    GdalMessages messages;
    ASSERT_TRUE(Translate(Source(), dir / "vxv", {"-f", "VXV"})) << messages.All();
    EXPECT_TRUE(messages.At(CE_Failure).empty() && messages.At(CE_Warning).empty())
        << messages.All();
    for (const char* file : {"wells.vxv", "wells.vxs", "wells.dbf", "roads.vxv", "parcels.vxv",
                             "mixed_rg.vxv", "mixed_ln.vxv", "mixed_pt.dbf"}) {
        EXPECT_TRUE(std::filesystem::exists(dir / ("vxv/" + std::string(file)))) << file;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "vxv/mixed.vxv"));

    ASSERT_TRUE(Translate(dir / "vxv", dir / "back.gpkg", {"-f", "GPKG"})) << messages.All();
    EXPECT_TRUE(messages.At(CE_Failure).empty()) << messages.All();
    GDALDatasetUniquePtr source = OpenVector(Source());
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
    const struct {
        const char* layer;
        std::vector<int> features;
    } kinds[] = {{"mixed_pt", {1, 4}}, {"mixed_ln", {2}}, {"mixed_rg", {3}}};
    OGRLayer* mixed = source->GetLayerByName("mixed");
    for (const auto& kind : kinds) {
        OGRLayer* layer = back->GetLayerByName(kind.layer);
        ASSERT_TRUE(layer) << kind.layer;
        EXPECT_TRUE(SameCrs(mixed->GetSpatialRef(), layer->GetSpatialRef()));
        ASSERT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(kind.features.size()));
        layer->ResetReading();
        for (int fid : kind.features) {
            OGRFeatureUniquePtr want(mixed->GetFeature(fid));
            OGRFeatureUniquePtr got(layer->GetNextFeature());
            ASSERT_TRUE(want && got);
            std::string why;
            EXPECT_TRUE(SameGeometry(want->GetGeometryRef(), got->GetGeometryRef(), 1e-12, why))
                << why;
            EXPECT_STREQ(got->GetFieldAsString("KIND"), want->GetFieldAsString("KIND"));
        }
    }
}

// The table keeps the fields' types and widths as far as dBASE can; the key column comes first.
TEST_F(RoundTrip, TablesKeepTypesAndWidths) {
    ASSERT_TRUE(Translate(Source(), dir / "vxv", {"-f", "VXV"}));
    GDALDatasetUniquePtr vxv = OpenVector(dir / "vxv/wells.vxv", {"VXV"});
    ASSERT_TRUE(vxv);
    OGRFeatureDefn* defn = vxv->GetLayer(0)->GetLayerDefn();
    const struct {
        const char* name;
        OGRFieldType type;
        int width;
    } expected[] = {{"SPATIAL_ID", OFTInteger64, 21},
                    {"NAME", OFTString, 30},
                    {"DEPTH", OFTReal, 32},
                    {"COUNT", OFTInteger, 11},
                    {"BIG", OFTInteger64, 20},
                    {"ACTIVE", OFTInteger, 1},
                    {"SEEN", OFTDate, 0}};
    ASSERT_EQ(defn->GetFieldCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(defn->GetFieldDefn(i)->GetNameRef(), expected[i].name);
        EXPECT_EQ(defn->GetFieldDefn(i)->GetType(), expected[i].type) << expected[i].name;
        EXPECT_EQ(defn->GetFieldDefn(i)->GetWidth(), expected[i].width) << expected[i].name;
    }
    EXPECT_EQ(defn->GetFieldDefn(5)->GetSubType(), OFSTBoolean);
    OGRFeatureUniquePtr first(vxv->GetLayer(0)->GetFeature(1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetFieldAsInteger64("BIG"), 9007199254740993LL);
    EXPECT_STREQ(first->GetFieldAsString("NAME"), "K\xc3\xb6ln, \"old\" well");
    OGRFeatureUniquePtr third(vxv->GetLayer(0)->GetFeature(3));
    ASSERT_TRUE(third);
    EXPECT_FALSE(third->IsFieldSetAndNotNull(third->GetFieldIndex("NAME")));
}

}  // namespace
}  // namespace vx::test

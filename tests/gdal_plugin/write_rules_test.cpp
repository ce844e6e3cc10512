// What GDAL hands the driver becomes a layer set the way a MIF import makes one: styles as
// the import reads Pen, Brush and Symbol clauses, coordinate systems through the same
// reading, and whatever a layer set cannot hold said in a warning.
#include <filesystem>

#include "gdal_plugin/driver_test_support.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class WriteRules : public ::testing::Test {
  protected:
    void SetUp() override { UseVxvDriver(); }

    GDALDatasetUniquePtr Create(const std::string& name) {
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("VXV");
        return GDALDatasetUniquePtr(
            driver->Create((dir / name).c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    }

    // The style strings of a layer's features as the driver reads them back.
    std::vector<std::string> Styles(const std::string& name) {
        std::vector<std::string> styles;
        for (const PeerFeature& feature : ReadWithGdal(dir / name).features)
            styles.push_back(feature.style);
        return styles;
    }

    TempDir dir;
};

TEST_F(WriteRules, StylesMapWhereTheyCanAndTakeTheImportDefaultsElse) {
    {
        GDALDatasetUniquePtr out = Create("styles");
        ASSERT_TRUE(out);
        OGRLayer* regions = out->CreateLayer("regions", nullptr, wkbPolygon);
        AddFeature(*regions, "POLYGON ((0 0,1 0,1 1,0 0))",
                   "PEN(c:#ff0000,w:3px);BRUSH(fc:#00ff00,bc:#0000ff,id:\"ogr-brush-2\")");
        AddFeature(*regions, "POLYGON ((0 0,1 0,1 1,0 0))");
        OGRLayer* lines = out->CreateLayer("lines", nullptr, wkbLineString);
        AddFeature(*lines, "LINESTRING (0 0,1 1)", "PEN(c:#123456,w:2px,p:\"4px 2px\")");
        AddFeature(*lines, "LINESTRING (0 0,1 1)", "PEN(c:#123456,id:\"ogr-pen-1\")");
        OGRLayer* points = out->CreateLayer("points", nullptr, wkbPoint);
        AddField(*points, "NAME", OFTString);
        AddFeature(*points, "POINT (1 1)", "SYMBOL(id:\"ogr-sym-7\",c:#ff00ff,s:14pt)");
        AddFeature(*points, "POINT (2 2)",
                   "SYMBOL(id:\"font-sym-65\",c:#00ff00,s:20pt,a:45,f:\"Wingdings\")");
        AddFeature(*points, "POINT (3 3)", "LABEL(t:\"Say \\\"hi\\\", ok\",c:#ff0000,a:15)");
        AddFeature(*points, "POINT (4 4)", "LABEL(t:{NAME},c:#0000ff)", {{"NAME", "Rome"}});
        AddFeature(*points, "POINT (5 5)", "SYMBOL(id:\"ogr-sym-10\",c:#00ffff,s:8pt)");
    }
    EXPECT_EQ(
        Styles("styles/regions.vxv"),
        (std::vector<std::string>{"PEN(c:#ff0000,w:3px,id:\"mapinfo-pen-2,ogr-pen-0\");"
                                  "BRUSH(fc:#00ff00,bc:#0000ff,id:\"mapinfo-brush-3,ogr-brush-2\")",
                                  "PEN(c:#000000,w:1px,id:\"mapinfo-pen-2,ogr-pen-0\");"
                                  "BRUSH(fc:#ffffff,id:\"mapinfo-brush-1,ogr-brush-1\")"}));
    const std::vector<std::string> lines = Styles("styles/lines.vxv");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("PEN(c:#123456,w:2px,p:", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("ogr-pen-2"), std::string::npos) << "dashed: " << lines[0];
    EXPECT_NE(lines[1].find("ogr-pen-0"), std::string::npos)
        << "a polyline has no invisible pen: the import draws it solid: " << lines[1];
    const PeerLayer points = ReadWithGdal(dir / "styles/points.vxv");
    ASSERT_EQ(points.features.size(), 5u);
    EXPECT_EQ(points.features[2].fields.at("TextLabel"), "Say \"hi\", ok");
    EXPECT_EQ(Styles("styles/points.vxv"),
              (std::vector<std::string>{
                  "SYMBOL(id:\"mapinfo-sym-36,ogr-sym-7\",c:#ff00ff,s:14pt)",
                  "SYMBOL(id:\"font-sym-65,ogr-sym-3\",c:#00ff00,s:20pt,a:45,f:\"Wingdings\")",
                  "LABEL(t:\"Say \\\"hi\\\", ok\",c:#ff0000,a:15)", "LABEL(t:\"Rome\",c:#0000ff)",
                  "SYMBOL(id:\"font-sym-196,ogr-sym-3\",c:#00ffff,s:8pt,f:\"Symbol\")"}));
}

TEST_F(WriteRules, WhatALayerCannotHoldIsSaid) {
    GdalMessages messages;
    {
        GDALDatasetUniquePtr out = Create("lost.vxv");
        ASSERT_TRUE(out);
        OGRLayer* layer = out->CreateLayer("lost", nullptr, wkbUnknown);
        AddField(*layer, "SPATIAL_ID", OFTInteger);
        AddField(*layer, "CODES", OFTIntegerList);
        AddField(*layer, "DESCRIPTION_LONG", OFTString, 300);
        AddField(*layer, "DESCRIPTION_SHORT", OFTString, 5);
        AddField(*layer, "AMOUNT", OFTReal, 10, 2);
        AddField(*layer, "WHEN", OFTDateTime);
        const std::string longText(300, 'x');
        AddFeature(*layer, "POINT Z (1 2 3)", nullptr,
                   {{"SPATIAL_ID", "10"},
                    {"DESCRIPTION_LONG", longText.c_str()},
                    {"DESCRIPTION_SHORT", "K\xc3\xb6ln \xe6\x97\xa5"},
                    {"AMOUNT", "12345678.5"},
                    {"WHEN", "2024-03-14 10:30:00"}});
        AddFeature(*layer, "CIRCULARSTRING (0 0,1 1,2 0)", nullptr, {{"AMOUNT", "-12.345"}});
        AddFeature(*layer, nullptr);
        AddFeature(*layer, "GEOMETRYCOLLECTION (POINT (5 5),POLYGON ((0 0,1 0,1 1,0 0)))");
    }
    for (const char* said :
         {"CODES", "DESCRIPTI", "ten characters", "texts longer than 254", "too large",
          "times of day", "Z and M",
          "without geometry are not kept, a layer holding objects only (1 of them)",
          "one object in each", "SPATIAL_ID values"}) {
        EXPECT_TRUE(messages.Has(CE_Warning, said)) << said << "\n" << messages.All();
    }
    EXPECT_FALSE(messages.Has(CE_Failure, "")) << messages.All();

    const PeerLayer points = ReadWithGdal(dir / "lost_pt.vxv");
    const PeerLayer lines = ReadWithGdal(dir / "lost_ln.vxv");
    EXPECT_EQ(ReadWithGdal(dir / "lost_rg.vxv").features.size(), 1u);
    ASSERT_EQ(points.features.size(), 2u) << "the point and the collection's point";
    EXPECT_EQ(points.fieldNames, (std::vector<std::string>{"SPATIAL_ID", "DESCRIPTIO", "DESCRIPT_1",
                                                           "AMOUNT", "WHEN"}));
    const PeerFeature& first = points.features[0];
    EXPECT_EQ(first.wkt, "POINT (1 2)");
    EXPECT_EQ(first.fields.at("SPATIAL_ID"), "1");
    EXPECT_EQ(first.fields.at("DESCRIPTIO"), std::string(254, 'x'));
    EXPECT_EQ(first.fields.at("DESCRIPT_1"), "K\xc3\xb6ln") << "cut to 5 bytes";
    EXPECT_FALSE(first.fields.count("AMOUNT")) << "left empty rather than cut to other digits";
    EXPECT_EQ(first.fields.at("WHEN"), "2024/03/14");
    ASSERT_EQ(lines.features.size(), 1u);
    const std::string& arc = lines.features[0].wkt;
    EXPECT_GT(std::count(arc.begin(), arc.end(), ','), 2) << "the arc as a polyline: " << arc;
    EXPECT_DOUBLE_EQ(std::stod(lines.features[0].fields.at("AMOUNT")), -12.35) << "two decimals";
}

// A .vxv target takes one layer; GDAL deletes a set of that name before it creates the new
// one, as it does for every format. In a folder, a layer set that is there is never written
// over, and nothing is ever updated in place.
TEST_F(WriteRules, NewLayerSetsOnly) {
    for (int points : {1, 2}) {
        GDALDatasetUniquePtr out = Create("one.vxv");
        ASSERT_TRUE(out);
        OGRLayer* layer = out->CreateLayer("first", nullptr, wkbPoint);
        ASSERT_TRUE(layer);
        for (int i = 0; i < points; ++i)
            AddFeature(*layer, "POINT (1 1)");
        GdalMessages messages;
        EXPECT_EQ(out->CreateLayer("second", nullptr, wkbPoint), nullptr);
        EXPECT_TRUE(messages.Has(CE_Failure, "takes one layer")) << messages.All();
    }
    GDALDatasetUniquePtr replaced = OpenVector(dir / "one.vxv");
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->GetLayer(0)->GetFeatureCount(), 2);
    replaced.reset();

    GdalMessages messages;
    EXPECT_FALSE(GDALDatasetUniquePtr(
        GDALDataset::Open((dir / "one.vxv").c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE)));
    EXPECT_TRUE(messages.Has(CE_Failure, "never updated")) << messages.All();
    EXPECT_FALSE(Create("nowhere/one.vxv"));
    for (int round = 0; round < 2; ++round) {
        GDALDatasetUniquePtr folder = Create("folder");
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->CreateLayer("a-b", nullptr, wkbPoint) != nullptr, round == 0);
        EXPECT_EQ(folder->CreateLayer("a_b", nullptr, wkbPoint), nullptr) << "both a_b.vxv";
    }
    EXPECT_TRUE(messages.Has(CE_Failure, "is there already")) << messages.All();
    EXPECT_TRUE(fs::exists(dir / "folder/a_b.vxv")) << "an empty layer of the declared kind";

    // GDAL deletes a set by the files the driver lists.
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("VXV");
    EXPECT_EQ(driver->Delete((dir / "one.vxv").c_str()), CE_None);
    for (const char* file : {"one.vxv", "one.vxs", "one.dbf"})
        EXPECT_FALSE(fs::exists(dir / file)) << file;
}

// A coordinate system in feet is held in metres, false origin included, and lands where the
// source put it; one a layer cannot hold leaves plane coordinates, with a warning.
TEST_F(WriteRules, CoordinateSystemsKeepTheirPlace) {
    OGRSpatialReference feet;
    ASSERT_EQ(feet.importFromEPSG(2263), OGRERR_NONE);  // NAD83 / New York Long Island (ftUS)
    feet.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference orbit;
    ASSERT_EQ(orbit.importFromProj4("+proj=geos +h=35785831 +lon_0=0 +datum=WGS84 +units=m"),
              OGRERR_NONE);
    GdalMessages messages;
    {
        GDALDatasetUniquePtr out = Create("crs");
        ASSERT_TRUE(out);
        AddFeature(*out->CreateLayer("feet", &feet, wkbPoint), "POINT (988000 195000)");
        AddFeature(*out->CreateLayer("orbit", &orbit, wkbPoint), "POINT (1000 2000)");
    }
    GDALDatasetUniquePtr feetLayer = OpenVector(dir / "crs/feet.vxv");
    ASSERT_TRUE(feetLayer);
    const OGRSpatialReference* held = feetLayer->GetLayer(0)->GetSpatialRef();
    ASSERT_NE(held, nullptr);
    EXPECT_DOUBLE_EQ(held->GetLinearUnits(), 1.0);
    OGRFeatureUniquePtr point(feetLayer->GetLayer(0)->GetFeature(1));
    ASSERT_TRUE(point);
    const OGRPoint* at = point->GetGeometryRef()->toPoint();
    char* wkt = nullptr;
    ASSERT_EQ(held->exportToWkt(&wkt), OGRERR_NONE);
    const auto there = ToWgs84(wkt, {{at->getX(), at->getY()}});
    CPLFree(wkt);
    const auto source = ToWgs84("EPSG:2263", {{988000, 195000}});
    EXPECT_NEAR(there[0].first, source[0].first, 1e-8);
    EXPECT_NEAR(there[0].second, source[0].second, 1e-8);

    EXPECT_TRUE(messages.Has(CE_Warning, "is not carried")) << messages.All();
    GDALDatasetUniquePtr orbitLayer = OpenVector(dir / "crs/orbit.vxv");
    ASSERT_TRUE(orbitLayer);
    const OGRSpatialReference* plane = orbitLayer->GetLayer(0)->GetSpatialRef();
    ASSERT_NE(plane, nullptr);
    EXPECT_TRUE(plane->IsLocal());
    OGRFeatureUniquePtr kept(orbitLayer->GetLayer(0)->GetFeature(1));
    ASSERT_TRUE(kept);
    EXPECT_STREQ(kept->GetGeometryRef()->exportToWkt().c_str(), "POINT (1000 2000)");
}

}  // namespace
}  // namespace vx::test

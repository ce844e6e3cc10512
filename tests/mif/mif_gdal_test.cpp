// MIF files written by GDAL, an independent writer, from data the tests make themselves.
#include <gtest/gtest.h>

#include "mif_test_support.h"

namespace vx {
namespace {

// Converts a GeoJSON text to a MIF file with ogr2ogr and reads it after a job reset.
// ogr2ogr is a build requirement of the tests: without it the test fails.
void ConvertAndRead(JobContext& ctx, const std::string& geojson, const std::string& options = "") {
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", geojson);
    const test::CommandResult result =
        test::RunCommand("ogr2ogr -f \"MapInfo File\" -dsco FORMAT=MIF " + options + " '" +
                         (dir / "out.mif") + "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(result.status, 0) << "ogr2ogr failed: " << result.err;
    ctx.ResetJob();
    ctx.options.CreateDbf = true;
    ASSERT_TRUE(ReadMifFile(ctx, dir / "out.mif")) << ctx.Log();
}

std::string Feature(const std::string& name, const std::string& style,
                    const std::string& geometry) {
    std::string properties = "\"name\":\"" + name + "\"";
    if (!style.empty()) properties += ",\"OGR_STYLE\":\"" + style + "\"";
    return "{\"type\":\"Feature\",\"properties\":{" + properties + "},\"geometry\":" + geometry +
           "}";
}

std::string Collection(const std::vector<std::string>& features) {
    std::string out = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (std::size_t i = 0; i < features.size(); ++i)
        out += (i ? "," : "") + features[i];
    return out + "]}";
}

TEST(MifFromGdal, EveryKindWithStylesAndLabels) {
    const std::string geojson = Collection({
        Feature("red", R"(SYMBOL(id:\"mapinfo-sym-35\",c:#FF0000,s:12pt))",
                R"({"type":"Point","coordinates":[1.5,2.5]})"),
        Feature("label", R"(LABEL(t:\"hello\",s:10pt,c:#FF0000,a:30))",
                R"({"type":"Point","coordinates":[3,4]})"),
        Feature("road", "PEN(c:#0000FF,w:2px)",
                R"({"type":"MultiLineString","coordinates":[[[0,0],[1,1]],[[2,2],[3,3],[4,5]]]})"),
        Feature("park", "BRUSH(fc:#00FF00);PEN(c:#FF0000)",
                R"({"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]],)"
                R"([[2,2],[4,2],[4,4],[2,4],[2,2]]]})"),
        Feature("islands", "",
                R"({"type":"MultiPolygon","coordinates":[[[[20,0],[20,1],[21,1],[20,0]]],)"
                R"([[[30,0],[30,1],[31,1],[30,0]]]]})"),
        Feature("plain", "", R"({"type":"Point","coordinates":[-7.25,8]})"),
    });
    JobContext ctx;
    ConvertAndRead(ctx, geojson);
    const LayerModel& model = ctx.model;

    EXPECT_EQ(model.Layer.lProjection, 1);
    EXPECT_EQ(model.Layer.lDatum, 226);
    EXPECT_EQ(ctx.delimiter, ',');
    EXPECT_EQ(ctx.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(254),\r\n"
              "[OGR_STYLE] Char(254)");
    EXPECT_EQ(model.ObjectOrder, (std::vector<std::int32_t>{1, 4, 2, 3, 3, 1}));
    ASSERT_EQ(model.PointCount, 3);
    ASSERT_EQ(model.LineCount, 1);
    ASSERT_EQ(model.RegionCount, 2);
    EXPECT_EQ(model.TextCount, 1);

    const PointObject& red = model.Points[0];
    EXPECT_EQ(red.Vertices[0], (Vertex{1.5, 2.5}));
    EXPECT_EQ(red.PointStyle, 36);
    EXPECT_EQ(red.PointSize, 12);
    EXPECT_EQ(red.PointColor, 255);
    EXPECT_EQ(model.Fonts.Name(red.FontIndex), "MapInfo Symbols");

    const PointObject& label = model.Points[1];
    EXPECT_EQ(model.TextLabels, (std::vector<std::string>{"hello"}));
    EXPECT_NEAR(label.Vertices[0].X, 3.0, 0.05);
    EXPECT_NEAR(label.Vertices[0].Y, 4.0, 0.05);
    EXPECT_EQ(label.PointStyle, 196);
    EXPECT_EQ(label.PointColor, 255) << "red fore colour of the Font clause";
    EXPECT_EQ(label.PointRot, 30.0f);

    const LineObject& road = model.Lines[0];
    ASSERT_EQ(road.PartCount, 2);
    EXPECT_EQ(road.Parts[0].Vertices, (std::vector<Vertex>{{0, 0}, {1, 1}}));
    EXPECT_EQ(road.Parts[1].Vertices, (std::vector<Vertex>{{2, 2}, {3, 3}, {4, 5}}));
    EXPECT_EQ(model.Pens.At(road.PenIndex), (PenStyle{2, 0, 16711680}));

    const RegionObject& park = model.Regions[0];
    ASSERT_EQ(park.PartCount, 2);
    EXPECT_EQ(park.Parts[0].VertexCount, 5);
    EXPECT_EQ(park.Parts[1].Vertices[1], (Vertex{4, 2}));
    EXPECT_EQ(park.Parts[0].IsHole, 0);
    EXPECT_EQ(park.Parts[1].IsHole, 1);
    EXPECT_EQ(model.Pens.At(park.PenIndex), (PenStyle{1, 0, 255}));
    EXPECT_EQ(model.Brushes.At(park.BrushIndex).BrushForeColor, 65280);

    const RegionObject& islands = model.Regions[1];
    ASSERT_EQ(islands.PartCount, 2);
    EXPECT_EQ(islands.Parts[1].IsHole, 0) << "a second island turns the same way as the first";
    EXPECT_EQ(islands.Parts[1].Vertices[2], (Vertex{31, 1}));

    const PointObject& plain = model.Points[2];
    EXPECT_EQ(plain.Vertices[0], (Vertex{-7.25, 8}));
    EXPECT_EQ(plain.PointStyle, 36) << "GDAL writes its default symbol 35";
}

TEST(MifFromGdal, ProjectedCoordinateSystemsInFeet) {
    const std::string geojson = Collection({
        Feature("a", "",
                R"({"type":"LineString","coordinates":[[6000000,2000000],[6000100,2000250]]})"),
        Feature("b", "", R"({"type":"Point","coordinates":[6000010.5,2000020]})"),
    });
    const double f = 0.3048006;

    JobContext lambert;
    ConvertAndRead(lambert, geojson, "-a_srs EPSG:2227");  // California zone 3, US survey feet
    const LayerInfo& conic = lambert.model.Layer;
    EXPECT_EQ(conic.lCoordSys, 0);
    EXPECT_EQ(conic.lProjection, 11);
    EXPECT_EQ(conic.lDatum, 137);
    EXPECT_EQ(lambert.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(lambert.coordinateFactor, f);
    EXPECT_EQ(conic.lOriginLongitude, -120.0);
    EXPECT_NEAR(conic.lOriginLatitude, 36.5, 1e-9);
    EXPECT_NEAR(conic.lStdParellel1, 37.0666666666667, 1e-9);
    EXPECT_NEAR(conic.lStdParellel2, 38.4333333333333, 1e-9);
    EXPECT_EQ(conic.lFalseEasting, 6561667);
    EXPECT_EQ(conic.lFalseNorthing, 1640417);
    ASSERT_EQ(lambert.model.LineCount, 1);
    EXPECT_EQ(lambert.model.Lines[0].Parts[0].Vertices[1], (Vertex{6000100 * f, 2000250 * f}));
    EXPECT_EQ(lambert.model.Points[0].Vertices[0], (Vertex{6000010.5 * f, 2000020 * f}));

    JobContext mercator;
    ConvertAndRead(mercator, geojson, "-a_srs EPSG:2222");  // Arizona East, international feet
    const LayerInfo& tm = mercator.model.Layer;
    EXPECT_EQ(tm.lProjection, 21);
    EXPECT_EQ(tm.lUTMZone, 43);
    EXPECT_EQ(tm.lOriginLongitude, -110.0);
    EXPECT_EQ(tm.lOriginLatitude, 31.0);
    EXPECT_EQ(tm.lScaleFactor, 0.9999);
    EXPECT_EQ(tm.lFalseEasting, 700000);
    EXPECT_EQ(mercator.model.LayerKind.UnitCode, 2);
    EXPECT_EQ(mercator.model.Points[0].Vertices[0], (Vertex{6000010.5 * f, 2000020 * f}));
}

}  // namespace
}  // namespace vx

// MIF files written by GDAL, an independent writer, from data the tests make themselves.
#include <gtest/gtest.h>

#include "mif_test_support.h"

namespace vx {
namespace {

// Converts GeoJSON features to a MIF file with ogr2ogr and reads it after a job reset.
// ogr2ogr is required by the tests: without it they fail.
void ConvertAndRead(test::MifRead& ctx, const std::vector<std::string>& features,
                    const std::string& options = "", bool createDbf = true) {
    std::string geojson = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (std::size_t i = 0; i < features.size(); ++i)
        geojson += (i ? "," : "") + features[i];
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", geojson + "]}");
    const test::CommandResult result =
        test::RunCommand("ogr2ogr -f \"MapInfo File\" -dsco FORMAT=MIF " + options + " '" +
                         (dir / "out.mif") + "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(result.status, 0) << "ogr2ogr failed: " << result.err;
    ctx.options.CreateDbf = createDbf;
    ASSERT_TRUE(ctx.ReadPath(dir / "out.mif")) << ctx.Log();
}

std::string Feature(const std::string& style, const std::string& geometry) {
    return R"({"type":"Feature","properties":{"name":"x","OGR_STYLE":")" + style +
           R"("},"geometry":)" + geometry + "}";
}

TEST(MifFromGdal, EveryKindWithStylesAndLabels) {
    test::MifRead ctx;
    ConvertAndRead(
        ctx, {Feature(R"(SYMBOL(id:\"mapinfo-sym-35\",c:#FF0000,s:12pt))",
                      R"({"type":"Point","coordinates":[1.5,2.5]})"),
              Feature(R"(LABEL(t:\"hello\",s:10pt,c:#FF0000,a:30))",
                      R"({"type":"Point","coordinates":[3,4]})"),
              Feature("PEN(c:#0000FF,w:2px)", R"({"type":"MultiLineString","coordinates":)"
                                              R"([[[0,0],[1,1]],[[2,2],[3,3],[4,5]]]})"),
              Feature("BRUSH(fc:#00FF00);PEN(c:#FF0000)",
                      R"({"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]],)"
                      R"([[2,2],[4,2],[4,4],[2,4],[2,2]]]})")});
    const LayerModel& m = ctx.model;
    EXPECT_EQ(m.Layer.lDatum, 226);
    EXPECT_EQ(ctx.table.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(254),\r\n[OGR_STYLE] Char(254)");
    EXPECT_EQ(m.ObjectOrder, (std::vector<std::int32_t>{1, 4, 2, 3}));
    ASSERT_EQ(m.PointCount, 2);
    ASSERT_EQ(m.LineCount, 1);
    ASSERT_EQ(m.RegionCount, 1);

    EXPECT_EQ(m.Points[0].Vertices[0], (Vertex{1.5, 2.5}));
    EXPECT_EQ(m.Points[0].PointStyle, 36);
    EXPECT_EQ(m.Points[0].PointSize, 12);
    EXPECT_EQ(m.Points[0].PointColor, 255);

    EXPECT_EQ(m.TextLabels, (std::vector<std::string>{"hello"}));
    EXPECT_NEAR(m.Points[1].Vertices[0].X, 3.0, 0.05);
    EXPECT_NEAR(m.Points[1].Vertices[0].Y, 4.0, 0.05);
    EXPECT_EQ(m.Points[1].PointColor, 255) << "red fore colour of the Font clause";
    EXPECT_EQ(m.Points[1].PointRot, 30.0f);

    const LineObject& road = m.Lines[0];
    ASSERT_EQ(road.PartCount, 2);
    EXPECT_EQ(road.Parts[0].Vertices, (std::vector<Vertex>{{0, 0}, {1, 1}}));
    EXPECT_EQ(road.Parts[1].Vertices, (std::vector<Vertex>{{2, 2}, {3, 3}, {4, 5}}));
    EXPECT_EQ(m.Pens.At(road.PenIndex), (PenStyle{2, 0, 16711680}));

    const RegionObject& park = m.Regions[0];
    ASSERT_EQ(park.PartCount, 2);
    EXPECT_EQ(park.Parts[1].Vertices[1], (Vertex{4, 2}));
    EXPECT_EQ(park.Parts[1].IsHole, 1);
    EXPECT_EQ(m.Pens.At(park.PenIndex), (PenStyle{1, 0, 255}));
    EXPECT_EQ(m.Brushes.At(park.BrushIndex).BrushForeColor, 65280);
}

TEST(MifFromGdal, ProjectedCoordinateSystemInSurveyFeet) {
    test::MifRead ctx;
    ConvertAndRead(ctx, {Feature("", R"({"type":"Point","coordinates":[6000010.5,2000020]})")},
                   "-a_srs EPSG:2227");  // California zone 3, Lambert conformal conic
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lCoordSys, 0);
    EXPECT_EQ(layer.lProjection, 11);
    EXPECT_EQ(layer.lDatum, 137);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(layer.lOriginLongitude, -120.5);
    EXPECT_NEAR(layer.lOriginLatitude, 36.5, 1e-9);
    EXPECT_NEAR(layer.lStdParellel1, 37.0666666666667, 1e-9);
    EXPECT_NEAR(layer.lStdParellel2, 38.4333333333333, 1e-9);
    // GDAL writes the false origin in the clause's unit; the layer holds it in metres, like
    // the coordinates: 2,000,000 m and 500,000 m, California's own figures.
    EXPECT_EQ(layer.lFalseEasting, 2000000);
    EXPECT_EQ(layer.lFalseNorthing, 500000);
    const double f = 1200.0 / 3937.0;
    const Vertex p = ctx.model.Points[0].Vertices[0];
    EXPECT_NEAR(p.X - layer.lFalseEasting, (6000010.5 - 6561666.667) * f, 1e-6);
    EXPECT_NEAR(p.Y - layer.lFalseNorthing, (2000020 - 1640416.667) * f, 1e-6);
}

TEST(MifFromGdal, ColumnsNamedLikeObjectsOrClausesStayColumns) {
    std::string properties;
    for (const char* name : {"text", "point", "line", "region", "none", "roundrect", "pline",
                             "rect", "ellipse", "arc", "delimiter", "coordsys", "columns"})
        properties += std::string(properties.empty() ? "" : ",") + "\"" + name + "\":\"v\"";
    auto feature = [&](const std::string& geometry) {
        return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":)" + geometry +
               "}";
    };
    const std::vector<std::string> features = {
        feature(R"({"type":"Point","coordinates":[1,2]})"),
        feature(R"({"type":"LineString","coordinates":[[0,0],[1,1]]})"),
        feature(R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[1,1],[0,0]]]})")};
    for (bool withAttributes : {true, false}) {
        test::MifRead ctx;
        ConvertAndRead(ctx, features, "", withAttributes);
        if (!withAttributes) {
            // The column declarations are passed over, never taken for clauses.
            EXPECT_EQ(ctx.table.delimiter, ',');
            EXPECT_EQ(ctx.model.Layer.lDatum, 226);
        } else {
            EXPECT_NE(ctx.table.columnList.find("[roundrect] Char(254)"), std::string::npos);
        }
        EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{1, 2, 3})) << withAttributes;
        EXPECT_EQ(ctx.model.PointCount + ctx.model.LineCount + ctx.model.RegionCount, 3);
        EXPECT_EQ(ctx.model.TextCount, 0);
    }
}

TEST(MifFromGdal, LabelsHoldingClauseWordsAreTheirOwnObjects) {
    auto text = [](const std::string& label) {
        return Feature(R"(LABEL(t:\")" + label + R"(\",s:10pt))",
                       R"({"type":"Point","coordinates":[3,4]})");
    };
    test::MifRead ctx;
    ConvertAndRead(
        ctx, {Feature("", R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[1,1],[0,0]]]})"),
              text("Center"), Feature("", R"({"type":"LineString","coordinates":[[0,0],[1,1]]})"),
              text("Smooth Pen"), text("Justify Label"), text("Spacing"), text("Angle 5"),
              Feature("", R"({"type":"Point","coordinates":[1,2]})"), text("Symbol")});
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{3, 4, 2, 4, 4, 4, 4, 1, 4}));
    EXPECT_EQ(ctx.model.TextLabels,
              (std::vector<std::string>{"Center", "Smooth Pen", "Justify Label", "Spacing",
                                        "Angle 5", "Symbol"}));
    EXPECT_EQ(ctx.model.Points[3].PointRot, 0.0f) << "a label is no Angle clause";

    // Nor is an object line a clause of the object before it.
    test::MifRead hand;
    ASSERT_TRUE(
        hand.Read(test::MifText("Region 1\r\n 3\r\n0 0\r\n1 0\r\n0 1\r\n"
                                "Text \"Open\"\r\n 0 0 1 1\r\n")));
    EXPECT_EQ(hand.model.ObjectOrder, (std::vector<std::int32_t>{3, 4}));
    EXPECT_EQ(hand.model.TextLabels, (std::vector<std::string>{"Open"}));
}

// GDAL writes no multipoints or collections to MIF; it reads them, and sees in a hand-written
// file the objects and rows we see.
TEST(MifFromGdal, MultiPointsAndCollectionsReadAsGdalReadsThem) {
    test::TempDir dir;
    test::WriteFile(
        dir / "kinds.mif",
        test::MifText("MultiPoint 3\r\n1 2\r\n3 4\r\n5 6\r\n    Symbol (35,0,12)\r\n"
                      "Collection 3\r\n  Region 1\r\n  4\r\n0 0\r\n0 9\r\n9 9\r\n0 0\r\n"
                      "    Pen (1,2,0)\r\n  Pline 3\r\n0 0\r\n1 1\r\n2 0\r\n"
                      "  MultiPoint 2\r\n7 7\r\n8 8\r\nPoint 9 9\r\n",
                      "Columns 1\r\n  name Char(10)\r\n"));
    test::WriteFile(dir / "kinds.mid", "a\r\nb\r\nc\r\n");
    const test::CommandResult gdal = test::RunCommand(
        "ogr2ogr -f CSV /vsistdout/ -lco GEOMETRY=AS_WKT '" + (dir / "kinds.mif") + "'");
    ASSERT_EQ(gdal.status, 0) << gdal.err;
    EXPECT_EQ(gdal.out,
              "WKT,name\n\"MULTIPOINT ((1 2),(3 4),(5 6))\",a\n"
              "\"GEOMETRYCOLLECTION (POLYGON ((0 0,0 9,9 9,0 0)),LINESTRING (0 0,1 1,2 0),"
              "MULTIPOINT ((7 7),(8 8)))\",b\n\"POINT (9 9)\",c\n");

    test::MifRead ctx;
    ASSERT_TRUE(ctx.ReadPath(dir / "kinds.mif"));
    const std::int32_t all =
        kOrderCollection | OrderBitOf(kKindRegion) | OrderBitOf(kKindLine) | OrderBitOf(kKindPoint);
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{1, all, 1}));
    ASSERT_EQ(ctx.model.PointCount, 3);
    EXPECT_EQ(ctx.model.Points[0].Vertices, (std::vector<Vertex>{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(ctx.model.Points[1].Vertices, (std::vector<Vertex>{{7, 7}, {8, 8}}));
    EXPECT_EQ(ctx.model.Points[2].Vertices, (std::vector<Vertex>{{9, 9}}));
    ASSERT_EQ(ctx.model.RegionCount, 1);
    EXPECT_EQ(ctx.model.Regions[0].Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {0, 9}, {9, 9}, {0, 0}}));
    ASSERT_EQ(ctx.model.LineCount, 1);
    EXPECT_EQ(ctx.model.Lines[0].Parts[0].Vertices, (std::vector<Vertex>{{0, 0}, {1, 1}, {2, 0}}));
}

}  // namespace
}  // namespace vx

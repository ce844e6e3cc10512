// MIF files written by GDAL, an independent writer, from data the tests make themselves.
#include <gtest/gtest.h>

#include "mif_test_support.h"

namespace vx {
namespace {

using Vertices = std::vector<Vertex>;
using Order = std::vector<std::int32_t>;

// Converts GeoJSON features to a MIF file with ogr2ogr (required by these tests) and reads it.
test::MifResult ConvertAndRead(const std::vector<std::string>& features,
                               const std::string& options = "", bool createDbf = true) {
    std::string geojson = "{\"type\":\"FeatureCollection\",\"features\":[";
    for (std::size_t i = 0; i < features.size(); ++i)
        geojson += (i ? "," : "") + features[i];
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", geojson + "]}");
    const test::CommandResult made =
        test::RunCommand("ogr2ogr -f \"MapInfo File\" -dsco FORMAT=MIF " + options + " '" +
                         (dir / "out.mif") + "' '" + (dir / "in.geojson") + "'");
    EXPECT_EQ(made.status, 0) << "ogr2ogr failed: " << made.err;
    test::MifResult r =
        test::ReadMifPath(dir / "out.mif", {.CreateDbf = createDbf, .CreateContours = false});
    EXPECT_TRUE(r.ok) << r.log;
    return r;
}

std::string Feature(const std::string& style, const std::string& geometry,
                    const std::string& properties = R"("name":"x")") {
    return R"({"type":"Feature","properties":{)" + properties + R"(,"OGR_STYLE":")" + style +
           R"("},"geometry":)" + geometry + "}";
}
const std::string kPoint = R"({"type":"Point","coordinates":[1,2]})";
const std::string kLine = R"({"type":"LineString","coordinates":[[0,0],[1,1]]})";
const std::string kTriangle = R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[1,1],[0,0]]]})";

TEST(MifFromGdal, EveryKindWithStylesAndLabels) {
    const test::MifResult r = ConvertAndRead(
        {Feature(R"(SYMBOL(id:\"mapinfo-sym-35\",c:#FF0000,s:12pt))",
                 R"({"type":"Point","coordinates":[1.5,2.5]})"),
         Feature(R"(LABEL(t:\"hello\",s:10pt,c:#FF0000,a:30))",
                 R"({"type":"Point","coordinates":[3,4]})"),
         Feature("PEN(c:#0000FF,w:2px)",
                 R"({"type":"MultiLineString","coordinates":[[[0,0],[1,1]],[[2,2],[3,3],[4,5]]]})"),
         Feature("BRUSH(fc:#00FF00);PEN(c:#FF0000)",
                 R"({"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]],)"
                 R"([[2,2],[4,2],[4,4],[2,4],[2,2]]]})")});
    const LayerModel& m = r.model;
    EXPECT_EQ(m.Layer.lDatum, 226);
    EXPECT_EQ(r.table.columnList,
              "SPATIAL_ID Decimal(20, 0),\r\n[name] Char(254),\r\n[OGR_STYLE] Char(254)");
    EXPECT_EQ(m.ObjectOrder, (Order{1, 4, 2, 3}));
    ASSERT_EQ(m.PointCount, 2);
    ASSERT_EQ(std::tie(m.LineCount, m.RegionCount), std::tuple(1, 1));
    const PointObject& symbol = m.Points[0];
    EXPECT_EQ(symbol.Vertices[0], (Vertex{1.5, 2.5}));
    EXPECT_EQ(std::tie(symbol.PointStyle, symbol.PointSize, symbol.PointColor),
              std::tuple(36, 12, 255));
    EXPECT_EQ(m.TextLabels, (std::vector<std::string>{"hello"}));
    EXPECT_NEAR(m.Points[1].Vertices[0].X, 3.0, 0.05);
    EXPECT_NEAR(m.Points[1].Vertices[0].Y, 4.0, 0.05);
    EXPECT_EQ(m.Points[1].PointColor, 255) << "red fore colour of the Font clause";
    EXPECT_EQ(m.Points[1].PointRot, 30.0f);
    const LineObject& road = m.Lines[0];
    ASSERT_EQ(road.PartCount, 2);
    EXPECT_EQ(road.Parts[0].Vertices, (Vertices{{0, 0}, {1, 1}}));
    EXPECT_EQ(road.Parts[1].Vertices, (Vertices{{2, 2}, {3, 3}, {4, 5}}));
    EXPECT_EQ(m.Pens.At(road.PenIndex), (PenStyle{2, 0, 16711680}));
    const RegionObject& park = m.Regions[0];
    ASSERT_EQ(park.PartCount, 2);
    EXPECT_EQ(park.Parts[1].Vertices[1], (Vertex{4, 2}));
    EXPECT_EQ(park.Parts[1].IsHole, 1);
    EXPECT_EQ(m.Pens.At(park.PenIndex), (PenStyle{1, 0, 255}));
    EXPECT_EQ(m.Brushes.At(park.BrushIndex).BrushForeColor, 65280);
}

TEST(MifFromGdal, ProjectedCoordinateSystemInSurveyFeet) {
    // California zone 3, Lambert conformal conic.
    const test::MifResult r = ConvertAndRead(
        {Feature("", R"({"type":"Point","coordinates":[6000010.5,2000020]})")}, "-a_srs EPSG:2227");
    const LayerInfo& layer = r.model.Layer;
    EXPECT_EQ(std::tie(layer.lCoordSys, layer.lProjection, layer.lDatum), std::tuple(0, 11, 137));
    EXPECT_EQ(r.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(layer.lOriginLongitude, -120.5);
    EXPECT_NEAR(layer.lOriginLatitude, 36.5, 1e-9);
    EXPECT_NEAR(layer.lStdParellel1, 37.0666666666667, 1e-9);
    EXPECT_NEAR(layer.lStdParellel2, 38.4333333333333, 1e-9);
    // GDAL writes the false origin in the clause's unit; the layer holds it in metres, like
    // the coordinates: 2,000,000 m and 500,000 m, California's own figures.
    EXPECT_EQ(std::tie(layer.lFalseEasting, layer.lFalseNorthing), std::tuple(2000000, 500000));
    const double f = 1200.0 / 3937.0;
    const Vertex p = r.model.Points.at(0).Vertices[0];
    EXPECT_NEAR(p.X - layer.lFalseEasting, (6000010.5 - 6561666.667) * f, 1e-6);
    EXPECT_NEAR(p.Y - layer.lFalseNorthing, (2000020 - 1640416.667) * f, 1e-6);
}

// Nor a column named like an object or clause, nor a label holding a clause word, nor an object
// line after another object is taken for a clause.
TEST(MifFromGdal, ColumnsAndLabelsNamedLikeObjectsOrClausesStayWhatTheyAre) {
    std::string properties = R"("name":"x")";
    for (const char* name : {"text", "point", "line", "region", "none", "roundrect", "pline",
                             "rect", "ellipse", "arc", "delimiter", "coordsys", "columns"})
        properties += std::string(",\"") + name + "\":\"v\"";
    for (bool withAttributes : {true, false}) {
        const test::MifResult r =
            ConvertAndRead({Feature("", kPoint, properties), Feature("", kLine, properties),
                            Feature("", kTriangle, properties)},
                           "", withAttributes);
        // Without attributes the column declarations are passed over.
        EXPECT_EQ(r.table.columnList.find("[roundrect] Char(254)") != std::string::npos,
                  withAttributes);
        EXPECT_EQ(r.table.delimiter, ',');
        EXPECT_EQ(r.model.Layer.lDatum, 226);
        EXPECT_EQ(r.model.ObjectOrder, (Order{1, 2, 3})) << withAttributes;
        EXPECT_EQ(r.model.TextCount, 0);
    }

    auto text = [](const std::string& label) {
        return Feature(R"(LABEL(t:\")" + label + R"(\",s:10pt))", kPoint);
    };
    const test::MifResult r =
        ConvertAndRead({Feature("", kTriangle), text("Center"), Feature("", kLine),
                        text("Smooth Pen"), text("Justify Label"), text("Spacing"), text("Angle 5"),
                        Feature("", kPoint), text("Symbol")});
    EXPECT_EQ(r.model.ObjectOrder, (Order{3, 4, 2, 4, 4, 4, 4, 1, 4}));
    EXPECT_EQ(r.model.TextLabels, (std::vector<std::string>{"Center", "Smooth Pen", "Justify Label",
                                                            "Spacing", "Angle 5", "Symbol"}));
    EXPECT_EQ(r.model.Points[3].PointRot, 0.0f) << "a label is no Angle clause";
    const test::MifResult hand = test::ReadMif(
        test::MifText("Region 1\r\n 3\r\n0 0\r\n1 0\r\n0 1\r\nText \"Open\"\r\n 0 0 1 1\r\n"));
    EXPECT_EQ(hand.model.ObjectOrder, (Order{3, 4}));
    EXPECT_EQ(hand.model.TextLabels, (std::vector<std::string>{"Open"}));
}

}  // namespace
}  // namespace vx

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/job_context.h"
#include "shape/gdal_peer.h"
#include "shape/shape_reader.h"
#include "shape/shape_writer.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"
#include "vxv/layer_writer.h"

namespace vx {
namespace {

using test::GdalFeature;

const char* kPolygons = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "two holes"}, "geometry": {"type": "Polygon",
  "coordinates": [[[0,0],[100,0],[100,100],[0,100],[0,0]],
                  [[10,10],[10,40],[40,40],[40,10],[10,10]],
                  [[60,60],[60,90],[90,90],[90,60],[60,60]]]}},
 {"type": "Feature", "properties": {"name": "nothing"}, "geometry": null},
 {"type": "Feature", "properties": {"name": "two parts"}, "geometry": {"type": "MultiPolygon",
  "coordinates": [[[[200,0],[260,0],[260,50],[200,50],[200,0]],
                   [[210,10],[220,10],[215,20],[210,10]]],
                  [[[300.5,0.25],[310.5,0.25],[305.5,9.75],[300.5,0.25]]]]}},
 {"type": "Feature", "properties": {"name": "triangle"}, "geometry": {"type": "Polygon",
  "coordinates": [[[-5,-5],[-1,-5],[-3,-1],[-5,-5]]]}}]})";

const char* kLines = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"id": 1}, "geometry": {"type": "MultiLineString",
  "coordinates": [[[0,0],[3,4]], [[10,10],[10,20],[20,20]], [[-1,-1],[-2,-3],[-4,-4],[-8,-1]]]}},
 {"type": "Feature", "properties": {"id": 2}, "geometry": null},
 {"type": "Feature", "properties": {"id": 3}, "geometry": {"type": "LineString",
  "coordinates": [[1.125,2.5],[7.75,-3.0625]]}}]})";

const char* kPoints = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"id": 1}, "geometry": {"type": "Point", "coordinates": [1.5,2.5]}},
 {"type": "Feature", "properties": {"id": 2}, "geometry": {"type": "Point", "coordinates": [-3,4]}},
 {"type": "Feature", "properties": {"id": 3}, "geometry": null},
 {"type": "Feature", "properties": {"id": 4}, "geometry": {"type": "Point", "coordinates": [5,-6.75]}},
 {"type": "Feature", "properties": {"id": 5}, "geometry": null}]})";

const char* kMultiPoints = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"id": 1}, "geometry": {"type": "MultiPoint",
  "coordinates": [[1,1],[2,5],[3,2],[4,4],[5,3]]}},
 {"type": "Feature", "properties": {"id": 2}, "geometry": {"type": "MultiPoint",
  "coordinates": [[10,10],[20,20]]}}]})";

struct Case {
    const char* name;
    const char* geojson;
    int kind;
};
const Case kCases[] = {{"polygons", kPolygons, kKindRegion},
                       {"lines", kLines, kKindLine},
                       {"points", kPoints, kKindPoint},
                       {"multipoints", kMultiPoints, kKindPoint}};

// The parts of object i of the model in its own terms: rings, line parts or point vertices.
std::vector<std::vector<Vertex>> ModelParts(const LayerModel& m, int kind, std::size_t i) {
    std::vector<std::vector<Vertex>> parts;
    if (kind == kKindRegion) {
        for (const auto& ring : m.Regions[i].Parts)
            parts.push_back(ring.Vertices);
    } else if (kind == kKindLine) {
        for (const auto& part : m.Lines[i].Parts)
            parts.push_back(part.Vertices);
    } else {
        for (const Vertex& v : m.Points[i].Vertices)
            parts.push_back({v});
    }
    return parts;
}

// Twice the signed area, closing edge included.
double SignedArea2(const std::vector<Vertex>& ring) {
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Vertex& a = ring[i];
        const Vertex& b = ring[(i + 1) % ring.size()];
        sum += a.X * b.Y - b.X * a.Y;
    }
    return sum;
}

double PathLength(const std::vector<Vertex>& part) {
    double length = 0;
    for (std::size_t i = 1; i < part.size(); ++i)
        length += std::hypot(part[i].X - part[i - 1].X, part[i].Y - part[i - 1].Y);
    return length;
}

class GdalPeerTest : public ::testing::Test {
  protected:
    // Imports the shapefile GDAL made from `geojson` into `ctx`, writing the layer.
    void ImportFromGdal(const Case& c) {
        test::ShapefileFromGeoJson(c.geojson, dir / "gdal.shp");
        target.vxvPath = dir / "layer.vxv";
        target.vxsPath = dir / "layer.vxs";
        target.tableFileName = "gdal.dbf";  // GDAL's own table stands in for the layer's
        ReadShapeFile(ctx, dir / "gdal.shp", target);
        ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    }

    test::TempDir dir;
    JobContext ctx;
    ShapeLayerTarget target;
};

TEST_F(GdalPeerTest, ShapefilesWrittenByGdalImportWithTheirObjects) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ctx.ResetJob();
        ImportFromGdal(c);
        const std::vector<GdalFeature> features = test::ReadWithGdal(dir / "gdal.shp");
        const LayerModel& m = ctx.model;
        EXPECT_EQ(m.LayerKind.ObjectKind, c.kind);
        std::size_t object = 0;
        for (std::size_t f = 0; f < features.size(); ++f) {
            if (!features[f].hasGeometry) continue;  // null records leave no object
            ASSERT_LT(object, m.ObjectIndex.size());
            EXPECT_EQ(m.ObjectIndex[object].ObjectNo, static_cast<std::int32_t>(f + 1));
            const auto ours = ModelParts(m, c.kind, object);
            const GdalFeature& theirs = features[f];
            ASSERT_EQ(ours.size(), theirs.parts.size()) << theirs.wkt;
            for (std::size_t k = 0; k < ours.size(); ++k) {
                // GDAL groups the rings of a polygon by outer ring; find each of ours.
                auto found = std::find(theirs.parts.begin(), theirs.parts.end(), ours[k]);
                ASSERT_NE(found, theirs.parts.end()) << theirs.wkt << " part " << k;
                if (c.kind == kKindRegion) {
                    EXPECT_EQ(m.Regions[object].Parts[k].IsHole != 0,
                              theirs.inner[static_cast<std::size_t>(found - theirs.parts.begin())]);
                }
            }
            ++object;
        }
        EXPECT_EQ(static_cast<std::size_t>(m.LayerObjectCount), object);
    }
}

TEST_F(GdalPeerTest, ExportedShapefilesReadInGdalAsTheyCameIn) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ctx.ResetJob();
        ImportFromGdal(c);

        JobContext exporter;
        exporter.options.CreateDbf = true;
        std::string error;
        ASSERT_TRUE(ReadLayerData(exporter, target.vxvPath, target.vxsPath,
                                  LayerTarget::kShapeExport, true, error))
            << error;
        ASSERT_TRUE(ReadObjectNumbers(target.vxvPath, exporter.model));
        const ShapeExportPaths paths{dir / "ours.shp", dir / "ours.shx", dir / "ours.dbf",
                                     dir.path()};
        ASSERT_TRUE(WriteShapeFile(exporter, paths)) << exporter.Log();

        // Null records stay in their places, so every row keeps its shape.
        const std::vector<GdalFeature> original = test::ReadWithGdal(dir / "gdal.shp");
        const std::vector<GdalFeature> ours = test::ReadWithGdal(dir / "ours.shp");
        ASSERT_EQ(ours.size(), original.size());
        std::size_t object = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            SCOPED_TRACE(original[i].wkt);
            EXPECT_EQ(ours[i].fields, original[i].fields);
            EXPECT_EQ(ours[i].hasGeometry, original[i].hasGeometry);
            if (!original[i].hasGeometry) continue;
            EXPECT_EQ(ours[i].parts, original[i].parts);
            EXPECT_EQ(ours[i].inner, original[i].inner);
            EXPECT_EQ(ours[i].pointCount, original[i].pointCount);
            EXPECT_DOUBLE_EQ(ours[i].area, original[i].area);
            EXPECT_DOUBLE_EQ(ours[i].length, original[i].length);
            if (c.kind != kKindPoint) {
                EXPECT_EQ(ours[i].wkt, original[i].wkt);
            }

            // And the same figures worked out here from the layer that was exported.
            const auto parts = ModelParts(ctx.model, c.kind, object++);
            double area = 0, length = 0;
            int points = 0;
            for (const auto& part : parts) {
                area += SignedArea2(part) / 2;
                length += PathLength(part);
                points += static_cast<int>(part.size());
            }
            EXPECT_EQ(ours[i].pointCount, points);
            if (c.kind == kKindRegion) {
                EXPECT_NEAR(ours[i].area, std::abs(area), 1e-9);
            } else if (c.kind == kKindLine) {
                EXPECT_NEAR(ours[i].length, length, 1e-9);
            }
        }
    }
}

RegionPart Ring(std::vector<Vertex> vertices, std::uint8_t hole) {
    RegionPart part;
    part.IsHole = hole;
    part.VertexCount = static_cast<std::int32_t>(vertices.size());
    part.Vertices = std::move(vertices);
    return part;
}

// A MIF import's region: outer ring counter-clockwise, two holes turning either way, and
// IsHole telling only of the first. It must reach GDAL as the same polygon.
TEST_F(GdalPeerTest, RegionWithTwoHolesInAnyTurnKeepsItsArea) {
    LayerModel& m = ctx.model;
    RegionObject region;
    region.PartCount = 3;
    region.PenIndex = 1;
    region.BrushIndex = 1;
    region.Parts = {Ring({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}, 0),
                    Ring({{10, 10}, {40, 10}, {40, 40}, {10, 40}, {10, 10}}, 1),  // ccw
                    Ring({{60, 60}, {60, 90}, {90, 90}, {90, 60}}, 1)};           // cw, open
    RegionObject pair;  // two islands, each with a hole
    pair.PartCount = 4;
    pair.PenIndex = 1;
    pair.BrushIndex = 1;
    pair.Parts = {Ring({{200, 0}, {210, 0}, {210, 10}, {200, 10}, {200, 0}}, 0),
                  Ring({{300, 0}, {300, 20}, {320, 20}, {320, 0}, {300, 0}}, 0),
                  Ring({{302, 2}, {302, 4}, {304, 4}, {304, 2}, {302, 2}}, 1),
                  Ring({{202, 2}, {204, 2}, {204, 4}, {202, 4}, {202, 2}}, 1)};
    m.Regions = {region, pair};
    m.RegionCount = 2;
    m.TableNames = {"layer.dbf"};
    ASSERT_TRUE(ComputeLayerBounds(m, kKindRegion, 2));
    CheckRegionHoles(m, 2);
    std::string error;
    ASSERT_TRUE(WriteLayer(m, kKindRegion, 2, dir / "mif.vxv", dir / "mif.vxs", error)) << error;

    JobContext exporter;
    ASSERT_TRUE(ReadLayerData(exporter, dir / "mif.vxv", dir / "mif.vxs", LayerTarget::kShapeExport,
                              false, error))
        << error;
    const ShapeExportPaths paths{dir / "mif.shp", dir / "mif.shx", dir / "mif.dbf", dir.path()};
    ASSERT_TRUE(WriteShapeFile(exporter, paths)) << exporter.Log();

    const std::vector<GdalFeature> features = test::ReadWithGdal(dir / "mif.shp");
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[0].area, 100.0 * 100 - 30 * 30 - 30 * 30);
    EXPECT_EQ(features[0].inner, (std::vector<bool>{false, true, true})) << features[0].wkt;
    EXPECT_EQ(features[0].pointCount, 15) << "the open ring comes back closed";
    EXPECT_EQ(features[1].area, 100.0 - 4 + 400 - 4);
    EXPECT_EQ(features[1].inner, (std::vector<bool>{false, true, false, true})) << features[1].wkt;
    EXPECT_EQ(features[1].wkt.rfind("MULTIPOLYGON", 0), 0u) << features[1].wkt;
}

}  // namespace
}  // namespace vx

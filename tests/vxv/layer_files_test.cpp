#include <gtest/gtest.h>

#include "model/geometry.h"
#include "platform/endian.h"
#include "support/test_support.h"
#include "vxv/layer_format.h"
#include "vxv/layer_reader.h"
#include "vxv/layer_writer.h"

namespace vx {
namespace {

std::int32_t I32At(const std::string& bytes, std::size_t at) {
    return LoadLE<std::int32_t>(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}
double F64At(const std::string& bytes, std::size_t at) {
    return LoadLE<double>(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}

PointObject MakePoint(double x, double y) {
    PointObject p;
    p.VertexCount = 1;
    p.PointStyle = 35;
    p.PointSize = 12;
    p.PointColor = 0xFF;
    p.FontIndex = 1;
    p.PointRot = 45.0f;
    p.Vertices = {{x, y}};
    return p;
}

RegionPart Ring(std::vector<Vertex> vertices, std::uint8_t hole = 0) {
    RegionPart ring;
    ring.IsHole = hole;
    ring.VertexCount = static_cast<std::int32_t>(vertices.size());
    ring.Vertices = std::move(vertices);
    return ring;
}

std::vector<Vertex> Square(double x0, double y0, double size) {
    return {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}, {x0, y0}};
}

// Writes the model's layer of `kind` the way an import does: bounds pass, hole check, write.
void WriteKind(LayerModel& m, int kind, std::int32_t count, const std::string& vxv,
               const std::string& vxs) {
    ASSERT_TRUE(ComputeLayerBounds(m, kind, count));
    if (kind == kKindRegion) CheckRegionHoles(m, count);
    std::string error;
    ASSERT_TRUE(WriteLayer(m, kind, count, vxv, vxs, error)) << error;
}

TEST(LayerLayout, OnePointLayerIsExactToTheByte) {
    test::TempDir dir;
    LayerModel m;
    m.PointCount = 1;
    m.Points = {MakePoint(10.5, -20.25)};
    m.TableNames = {"a.dbf"};
    m.TableNameLengths = {5};
    m.FindFontIndex("Symbol");
    WriteKind(m, kKindPoint, 1, dir / "a.vxv", dir / "a.vxs");

    const std::string vxv = test::ReadFile(dir / "a.vxv");
    ASSERT_EQ(vxv.size(), 311u);
    const std::int32_t expected[15] = {102, 60,  185, 245, 5, 250, 1, 259,
                                       1,   269, 0,   269, 0, 269, 1};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(I32At(vxv, 4 * i), expected[i]) << "header field " << i;
    EXPECT_EQ(vxv[249], 1) << "kind byte";
    EXPECT_EQ(I32At(vxv, 250), 5);
    EXPECT_EQ(vxv.substr(254, 5), "a.dbf");
    EXPECT_EQ(I32At(vxv, 259), 6);
    EXPECT_EQ(vxv.substr(263, 6), "Symbol");
    // Layer bounds of a single point, reserved slots zero.
    EXPECT_EQ(F64At(vxv, 69), 10.5);
    EXPECT_EQ(F64At(vxv, 77), -20.25);
    EXPECT_EQ(F64At(vxv, 85), 0.0);
    EXPECT_EQ(F64At(vxv, 93), 10.5);
    EXPECT_EQ(F64At(vxv, 101), -20.25);
    // Index entry: flags, ObjectNo 1, kind 1, DataOffset 0, bounds.
    EXPECT_EQ(vxv[269], 0);
    EXPECT_EQ(I32At(vxv, 270), 1);
    EXPECT_EQ(vxv[274], 1);
    EXPECT_EQ(I32At(vxv, 275), 0);
    EXPECT_EQ(F64At(vxv, 279), 10.5);

    const std::string vxs = test::ReadFile(dir / "a.vxs");
    ASSERT_EQ(vxs.size(), 44u);
    EXPECT_EQ(I32At(vxs, 0), 1);
    EXPECT_EQ(I32At(vxs, 4), 35);
    EXPECT_EQ(I32At(vxs, 8), 12);
    EXPECT_EQ(LoadLE<float>(reinterpret_cast<const unsigned char*>(vxs.data()) + 24), 45.0f);
    EXPECT_EQ(F64At(vxs, 28), 10.5);
    EXPECT_EQ(F64At(vxs, 36), -20.25);
}

// A layer file is told by its first bytes, whatever its name; the kind byte counts only
// when the bytes reach it.
TEST(LayerLayout, LayerFilesAreToldByTheirFirstBytes) {
    test::TempDir dir;
    LayerModel m;
    m.PointCount = 1;
    m.Points = {MakePoint(1, 2)};
    m.FindFontIndex("Symbol");
    WriteKind(m, kKindPoint, 1, dir / "a.vxv", dir / "a.vxs");
    std::string vxv = test::ReadFile(dir / "a.vxv");
    auto told = [](const std::string& bytes, std::size_t size) {
        return IsLayerFileStart(reinterpret_cast<const unsigned char*>(bytes.data()), size);
    };
    EXPECT_TRUE(told(vxv, vxv.size()));
    EXPECT_TRUE(told(vxv, 60)) << "the kind lies past the bytes given";
    EXPECT_FALSE(told(vxv, 59));
    for (std::size_t at : {0u, 8u, 16u}) {
        std::string changed = vxv;
        changed[at] = 7;
        EXPECT_FALSE(told(changed, changed.size())) << "byte " << at;
    }
    vxv[249] = 4;
    EXPECT_FALSE(told(vxv, vxv.size())) << "no layer is of kind 4";
    EXPECT_FALSE(IsLayerFileStart(nullptr, 0));
}

TEST(LayerLayout, DataOffsetsFollowTheRecordSizes) {
    test::TempDir dir;
    LayerModel m;
    LineObject line;
    line.PartCount = 2;
    line.PenIndex = 1;
    LinePart a, b;
    a.VertexCount = 2;
    a.Vertices = {{0, 0}, {1, 1}};
    b.VertexCount = 3;
    b.Vertices = {{5, 5}, {6, 4}, {7, 9}};
    line.Parts = {a, b};
    m.Lines = {line, line};
    m.FindPenIndex({1, 2, 0});
    WriteKind(m, kKindLine, 2, dir / "l.vxv", dir / "l.vxs");
    // Line record: PartCount, PenIndex, then per part VertexCount, 4 bounds, vertices.
    const std::int32_t recordSize = 8 + (4 + 32 + 2 * 16) + (4 + 32 + 3 * 16);
    EXPECT_EQ(m.ObjectIndex[0].DataOffset, 0);
    EXPECT_EQ(m.ObjectIndex[1].DataOffset, recordSize);
    EXPECT_EQ(test::ReadFile(dir / "l.vxs").size(), static_cast<std::size_t>(2 * recordSize));
    // Part and object bounds from the bounds pass.
    EXPECT_EQ(m.Lines[0].Parts[1].MinY, 4.0);
    EXPECT_EQ(m.Lines[0].Parts[1].MaxY, 9.0);
    EXPECT_EQ(m.ObjectIndex[1].MinX, 0.0);
    EXPECT_EQ(m.ObjectIndex[1].MaxX, 7.0);
    EXPECT_EQ(m.Layer.MaxY, 9.0);
}

TEST(LayerLayout, SphereRadiusIsKeptOnlyWhenBelievable) {
    LayerInfo layer;
    layer.lDatum = 0;
    layer.lShiftX = 6378000;
    ApplySphereRadiusRule(layer);
    EXPECT_EQ(layer.lShiftX, 6378000);
    for (double bad : {0.0, 6377199.9, 6378500.1}) {
        layer.lShiftX = bad;
        ApplySphereRadiusRule(layer);
        EXPECT_EQ(layer.lShiftX, 6378137.0) << bad;
    }
    layer.lDatum = 104;
    layer.lShiftX = 5;
    ApplySphereRadiusRule(layer);
    EXPECT_EQ(layer.lShiftX, 5) << "an ellipsoid's datum keeps its affine shift";
}

TEST(HoleCheck, KeepsNestedHolesAndClearsTheRest) {
    LayerModel m;
    RegionObject r;
    // Ring 2 inside ring 1 (kept); ring 3 outside ring 2 (cleared, though inside ring 1, since
    // only the ring just before counts); ring 4 inside ring 3 but marked 0 stays 0.
    r.Parts = {Ring(Square(0, 0, 10)), Ring(Square(2, 2, 3), 1), Ring(Square(6, 6, 3), 1),
               Ring(Square(6.5, 6.5, 1), 0)};
    r.PartCount = 4;
    // A region whose second ring lies entirely outside the first.
    RegionObject apart;
    apart.Parts = {Ring(Square(0, 0, 1)), Ring(Square(5, 5, 1), 1)};
    apart.PartCount = 2;
    // Boxes overlap but the ring's vertices are outside an L-shaped first ring.
    RegionObject notch;
    notch.Parts = {Ring({{0, 0}, {10, 0}, {10, 2}, {2, 2}, {2, 10}, {0, 10}, {0, 0}}),
                   Ring(Square(5, 5, 2), 1)};
    notch.PartCount = 2;
    m.Regions = {r, apart, notch};
    ASSERT_TRUE(ComputeLayerBounds(m, kKindRegion, 3));
    CheckRegionHoles(m, 3);
    EXPECT_EQ(m.Regions[0].Parts[1].IsHole, 1);
    EXPECT_EQ(m.Regions[0].Parts[2].IsHole, 0);
    EXPECT_EQ(m.Regions[0].Parts[3].IsHole, 0);
    EXPECT_EQ(m.Regions[1].Parts[1].IsHole, 0);
    EXPECT_EQ(m.Regions[2].Parts[1].IsHole, 0);
}

TEST(HoleCheck, PointInRingClosesTheRingAndWorksEitherWay) {
    std::vector<Vertex> open{{0, 0}, {4, 0}, {4, 4}, {0, 4}};  // not closed
    EXPECT_TRUE(PointInRing(open, {2, 2}));
    EXPECT_FALSE(PointInRing(open, {5, 2}));
    std::vector<Vertex> clockwise(open.rbegin(), open.rend());
    EXPECT_TRUE(PointInRing(clockwise, {1, 3}));
    EXPECT_FALSE(PointInRing(clockwise, {-1, -1}));
}

TEST(BoundsPass, ObjectWithoutVerticesFails) {
    LayerModel m;
    m.Points = {PointObject{}};
    EXPECT_FALSE(ComputeLayerBounds(m, kKindPoint, 1));
    m.Regions = {RegionObject{}};
    EXPECT_FALSE(ComputeLayerBounds(m, kKindRegion, 1));
}

class LayerRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        LayerModel& m = written;
        m.FindPenIndex({1, 2, 0x00FF00});
        m.FindPenIndex({3, 5, 0x0000FF});
        m.FindBrushIndex({2, 0xFFFF00, 0xFFFFFF});
        m.FindFontIndex("MapInfo Symbols");
        m.TableNames = {"roads_rg.dbf"};
        m.TableNameLengths = {12};
        m.Layer.lProjection = 8;
        m.Layer.lDatum = 104;
        m.Layer.lScaleFactor = 0.9996;
        m.Layer.lUTMZone = 43;
        m.LayerKind.UnitCode = 7;
        RegionObject r;
        r.PenIndex = 2;
        r.BrushIndex = 1;
        r.Parts = {Ring(Square(0, 0, 10)), Ring(Square(2, 2, 3), 1)};
        r.PartCount = 2;
        m.Regions = {r, r};
        m.Regions[1].Parts[0].Vertices[2] = {100, 50};
        m.Points = {MakePoint(1, 2), MakePoint(-3, 4.5)};
        WriteKind(m, kKindRegion, 2, dir / "r.vxv", dir / "r.vxs");
        regionIndex = m.ObjectIndex;
        WriteKind(m, kKindPoint, 2, dir / "p.vxv", dir / "p.vxs");
        pointIndex = m.ObjectIndex;
    }
    test::TempDir dir;
    LayerModel written;
    std::vector<IndexEntry> regionIndex, pointIndex;
};

TEST_F(LayerRoundTrip, ObjectsStylesHolesAndIndexComeBack) {
    LayerModel m;
    std::string error;
    ASSERT_TRUE(
        ReadLayerData(m, dir / "r.vxv", dir / "r.vxs", LayerTarget::kObjects, nullptr, error))
        << error;
    EXPECT_EQ(m.LayerObjectCount, 2);
    EXPECT_EQ(m.LayerKind.ObjectKind, kKindRegion);
    EXPECT_EQ(m.LayerKind.UnitCode, 7);
    EXPECT_EQ(m.Layer.lUTMZone, 43);
    EXPECT_EQ(m.Layer.lScaleFactor, 0.9996);
    EXPECT_EQ(m.Layer.MaxX, 100.0);
    EXPECT_EQ(m.TableNames, written.TableNames);
    EXPECT_EQ(m.Pens.Entries(), written.Pens.Entries());
    EXPECT_EQ(m.Brushes.Entries(), written.Brushes.Entries());
    ASSERT_EQ(m.Regions.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(m.Regions[i].PenIndex, 2);
        ASSERT_EQ(m.Regions[i].Parts.size(), 2u);
        EXPECT_EQ(m.Regions[i].Parts[1].IsHole, 1);
        EXPECT_EQ(m.Regions[i].Parts[0].Vertices, written.Regions[i].Parts[0].Vertices);
        EXPECT_EQ(m.ObjectIndex[i].MaxX, regionIndex[i].MaxX);
        EXPECT_EQ(m.ObjectIndex[i].DataOffset, regionIndex[i].DataOffset);
        EXPECT_EQ(m.ObjectIndex[i].ObjectNo, static_cast<std::int32_t>(i + 1));
    }
}

TEST_F(LayerRoundTrip, PointBoundsOnlyFromTheShapeExportReader) {
    LayerModel objects, shapes;
    test::StatusLog progress;
    std::string error;
    ASSERT_TRUE(ReadLayerData(objects, dir / "p.vxv", dir / "p.vxs", LayerTarget::kObjects, nullptr,
                              error));
    ASSERT_TRUE(ReadLayerData(shapes, dir / "p.vxv", dir / "p.vxs", LayerTarget::kShapeExport,
                              &progress, error));
    ASSERT_EQ(objects.Points.size(), 2u);
    ASSERT_EQ(shapes.ShapePoints.size(), 2u);
    EXPECT_EQ(objects.Points[1].MinX, 0.0);
    EXPECT_EQ(shapes.ShapePoints[1].MinX, -3.0);
    EXPECT_EQ(shapes.ShapePoints[1].MaxY, 4.5);
    EXPECT_EQ(objects.Points[1].Vertices, shapes.ShapePoints[1].Vertices);
    EXPECT_EQ(shapes.Fonts.Name(1), "MapInfo Symbols");
    EXPECT_TRUE(shapes.ObjectIndex.empty());
    EXPECT_EQ(progress.lines, (std::vector<std::string>{"\tReading Points\r\n"}));
}

TEST_F(LayerRoundTrip, DamagedLayersAreRefusedNotTrusted) {
    const std::string vxv = test::ReadFile(dir / "r.vxv");
    const std::string vxs = test::ReadFile(dir / "r.vxs");
    auto patched = [](std::string bytes, std::size_t at, std::int32_t value) {
        StoreLE<std::int32_t>(reinterpret_cast<unsigned char*>(bytes.data()) + at, value);
        return bytes;
    };
    const std::int32_t indexOffset = I32At(vxv, 52);
    struct Case {
        const char* what;
        std::string vxv, vxs;
    };
    const std::vector<Case> cases{
        {"truncated layer file", vxv.substr(0, vxv.size() - 1), vxs},
        {"truncated geometry", vxv, vxs.substr(0, vxs.size() - 10)},
        {"billion objects", patched(vxv, 56, 1000000000), vxs},
        {"negative objects", patched(vxv, 56, -5), vxs},
        {"huge pen count", patched(vxv, 40, 0x7FFFFFFF), vxs},
        {"index past the end", patched(vxv, 52, 0x7FFFFF00), vxs},
        {"data offset outside", patched(vxv, static_cast<std::size_t>(indexOffset) + 6, 1 << 30),
         vxs},
        {"billion parts", vxv, patched(vxs, 0, 1000000000)},
        {"billion vertices", vxv, patched(vxs, 13, 1000000000)},
        // Both entries on the one record the geometry file holds: reading it twice would make
        // a small file claim many times its size.
        {"shared record", patched(vxv, static_cast<std::size_t>(indexOffset) + 42 + 6, 0),
         vxs.substr(0, vxs.size() / 2)},
        {"empty files", "", ""},
    };
    for (const auto& c : cases) {
        test::WriteFile(dir / "bad.vxv", c.vxv);
        test::WriteFile(dir / "bad.vxs", c.vxs);
        LayerModel m;
        std::string error;
        EXPECT_FALSE(ReadLayerData(m, dir / "bad.vxv", dir / "bad.vxs", LayerTarget::kObjects,
                                   nullptr, error))
            << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    LayerModel m;
    std::string error;
    EXPECT_FALSE(
        ReadLayerData(m, dir / "r.vxv", dir / "none.vxs", LayerTarget::kObjects, nullptr, error));
}

}  // namespace
}  // namespace vx

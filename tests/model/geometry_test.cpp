#include "model/geometry.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

// A closed square ring, clockwise as its vertices are listed.
RegionPart Square(double x0, double y0, double size, std::uint8_t hole = 0) {
    return {
        .IsHole = hole,
        .VertexCount = 5,
        .Vertices = {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}, {x0, y0}}};
}

TEST(RingHoleRoles, HolesLieInsideAnOddNumberOfOtherRings) {
    const RegionPart outer = Square(0, 0, 100), hole = Square(10, 10, 30);
    EXPECT_EQ(
        RingHoleRoles({outer, hole, Square(20, 20, 10), Square(60, 60, 30), Square(200, 0, 10)}),
        (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(RingHoleRoles({hole, outer}), (std::vector<bool>{true, false}));
    // Touching: a hole in a corner of its outer ring; two squares sharing an edge.
    EXPECT_EQ(RingHoleRoles({outer, Square(0, 0, 50)}), (std::vector<bool>{false, true}));
    EXPECT_EQ(RingHoleRoles({Square(0, 0, 10), Square(10, 0, 10)}),
              (std::vector<bool>{false, false}));
}

TEST(RingPolygons, EachHoleJoinsTheNearestOuterRingAroundIt) {
    // A field with a pond, an island in the pond with a well in it, a second field apart,
    // and the holes listed before the rings they are cut out of.
    const std::vector<RegionPart> rings = {
        Square(12, 12, 2),   // 0: the well, a hole of the island
        Square(10, 10, 30),  // 1: the pond, a hole of the field
        Square(0, 0, 100),   // 2: the field
        Square(11, 11, 10),  // 3: the island
        Square(200, 0, 10),  // 4: the second field
        Square(50, 50, 5),   // 5: a second hole of the field
    };
    EXPECT_EQ(RingPolygons(rings), (std::vector<std::vector<std::size_t>>{{2, 1, 5}, {3, 0}, {4}}));
    // Rings without vertices belong to no polygon.
    EXPECT_EQ(RingPolygons({RegionPart{}, Square(0, 0, 1), RegionPart{}}),
              (std::vector<std::vector<std::size_t>>{{1}}));
    EXPECT_TRUE(RingPolygons({}).empty());
}

TEST(HoleCheck, KeepsOnlyHolesInsideTheRingJustBeforeThem) {
    LayerModel m;
    // Ring 2 inside ring 1 (kept); ring 3 outside ring 2 (cleared, though inside ring 1, since
    // only the ring just before counts); ring 4 inside ring 3 but marked 0 stays 0.
    const RegionObject nested{
        .PartCount = 4,
        .Parts = {Square(0, 0, 10), Square(2, 2, 3, 1), Square(6, 6, 3, 1), Square(6.5, 6.5, 1)}};
    // A second ring entirely outside the first; one whose box overlaps an L-shaped first ring
    // but whose vertices are all outside it.
    const RegionObject apart{.PartCount = 2, .Parts = {Square(0, 0, 1), Square(5, 5, 1, 1)}};
    RegionObject notch{.PartCount = 2, .Parts = {Square(0, 0, 10), Square(5, 5, 2, 1)}};
    notch.Parts[0].Vertices = {{0, 0}, {10, 0}, {10, 2}, {2, 2}, {2, 10}, {0, 10}, {0, 0}};
    notch.Parts[0].VertexCount = 7;
    m.Regions = {nested, apart, notch};
    ASSERT_TRUE(ComputeLayerBounds(m, kKindRegion, 3));
    CheckRegionHoles(m, 3);
    EXPECT_EQ(m.Regions[0].Parts[1].IsHole, 1);
    EXPECT_EQ(m.Regions[0].Parts[2].IsHole, 0);
    EXPECT_EQ(m.Regions[0].Parts[3].IsHole, 0);
    EXPECT_EQ(m.Regions[1].Parts[1].IsHole, 0);
    EXPECT_EQ(m.Regions[2].Parts[1].IsHole, 0);

    // The turn of a ring leaves out the step back to the first vertex; the winding test closes
    // an open ring and works either way round.
    EXPECT_FALSE(RingIsCounterClockwise(std::vector<Vertex>{{0, 10}, {1, 0}, {2, 10}}));
    const std::vector<Vertex> open{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    EXPECT_TRUE(PointInRing(open, {2, 2}));
    EXPECT_FALSE(PointInRing(open, {5, 2}));
    const std::vector<Vertex> clockwise(open.rbegin(), open.rend());
    EXPECT_TRUE(PointInRing(clockwise, {1, 3}));
    EXPECT_FALSE(PointInRing(clockwise, {-1, -1}));
}

TEST(BoundsPass, PartsObjectsAndLayerAreMeasuredAndEmptyObjectsFail) {
    LayerModel m;
    const LineObject line{.PartCount = 2,
                          .Parts = {{.VertexCount = 2, .Vertices = {{0, 0}, {1, 1}}},
                                    {.VertexCount = 3, .Vertices = {{5, 5}, {6, 4}, {7, 9}}}}};
    m.Lines = {line, line};
    m.Lines[0].Parts[0].Vertices[0] = {-3, 0};
    ASSERT_TRUE(ComputeLayerBounds(m, kKindLine, 2));
    EXPECT_EQ((Bounds{m.Lines[0].Parts[1].MinX, m.Lines[0].Parts[1].MinY, m.Lines[0].Parts[1].MaxX,
                      m.Lines[0].Parts[1].MaxY}),
              (Bounds{5, 4, 7, 9}));
    ASSERT_EQ(m.ObjectIndex.size(), 2u);
    EXPECT_EQ(m.ObjectIndex[1].MinX, 0.0);
    EXPECT_EQ(m.ObjectIndex[1].MaxX, 7.0);
    EXPECT_EQ((Bounds{m.Layer.MinX, m.Layer.MinY, m.Layer.MaxX, m.Layer.MaxY}),
              (Bounds{-3, 0, 7, 9}));

    m.Points = {PointObject{}};
    EXPECT_FALSE(ComputeLayerBounds(m, kKindPoint, 1));
    m.Regions = {RegionObject{}};
    EXPECT_FALSE(ComputeLayerBounds(m, kKindRegion, 1));
}

}  // namespace
}  // namespace vx

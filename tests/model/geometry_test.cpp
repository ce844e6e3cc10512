#include "model/geometry.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

std::vector<Vertex> Square(double x0, double y0, double size) {
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}, {x0, y0}};
}

RegionPart Ring(std::vector<Vertex> vertices) {
    RegionPart ring;
    ring.VertexCount = static_cast<std::int32_t>(vertices.size());
    ring.Vertices = std::move(vertices);
    return ring;
}

TEST(RingHoleRoles, HolesLieInsideAnOddNumberOfOtherRings) {
    const auto outer = Square(0, 0, 100);
    const auto hole = Square(10, 10, 30);
    EXPECT_EQ(RingHoleRoles({Ring(outer), Ring(hole), Ring(Square(20, 20, 10)),
                             Ring(Square(60, 60, 30)), Ring(Square(200, 0, 10))}),
              (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(RingHoleRoles({Ring(hole), Ring(outer)}), (std::vector<bool>{true, false}));
    // Touching: a hole in a corner of its outer ring; two squares sharing an edge.
    EXPECT_EQ(RingHoleRoles({Ring(outer), Ring(Square(0, 0, 50))}),
              (std::vector<bool>{false, true}));
    EXPECT_EQ(RingHoleRoles({Ring(Square(0, 0, 10)), Ring(Square(10, 0, 10))}),
              (std::vector<bool>{false, false}));
}

TEST(RingPolygons, EachHoleJoinsTheNearestOuterRingAroundIt) {
    // A field with a pond, an island in the pond with a well in it, a second field apart,
    // and the holes listed before the rings they are cut out of.
    const std::vector<RegionPart> rings = {
        Ring(Square(12, 12, 2)),   // 0: the well, a hole of the island
        Ring(Square(10, 10, 30)),  // 1: the pond, a hole of the field
        Ring(Square(0, 0, 100)),   // 2: the field
        Ring(Square(11, 11, 10)),  // 3: the island
        Ring(Square(200, 0, 10)),  // 4: the second field
        Ring(Square(50, 50, 5)),   // 5: a second hole of the field
    };
    const std::vector<std::vector<std::size_t>> expected = {{2, 1, 5}, {3, 0}, {4}};
    EXPECT_EQ(RingPolygons(rings), expected);
}

TEST(RingPolygons, RingsWithoutVerticesBelongToNoPolygon) {
    EXPECT_EQ(RingPolygons({Ring({}), Ring(Square(0, 0, 1)), Ring({})}),
              (std::vector<std::vector<std::size_t>>{{1}}));
    EXPECT_TRUE(RingPolygons({}).empty());
}

}  // namespace
}  // namespace vx

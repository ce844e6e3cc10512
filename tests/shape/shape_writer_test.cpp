#include <gtest/gtest.h>

#include "model/job_context.h"
#include "platform/endian.h"
#include "platform/file_system.h"
#include "shape/shape_bytes.h"
#include "shape/shape_writer.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::Reversed;

const unsigned char* Bytes(const std::string& s, std::size_t at) {
    return reinterpret_cast<const unsigned char*>(s.data()) + at;
}
std::int32_t BE(const std::string& s, std::size_t at) {
    return LoadBE<std::int32_t>(Bytes(s, at));
}
std::int32_t LE(const std::string& s, std::size_t at) {
    return LoadLE<std::int32_t>(Bytes(s, at));
}
double F64(const std::string& s, std::size_t at) {
    return LoadLE<double>(Bytes(s, at));
}

// Twice the signed area, the closing edge included: positive for a counter-clockwise ring.
double SignedArea2(const std::vector<Vertex>& ring) {
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Vertex& a = ring[i];
        const Vertex& b = ring[(i + 1) % ring.size()];
        sum += a.X * b.Y - b.X * a.Y;
    }
    return sum;
}

RegionPart Ring(std::vector<Vertex> vertices, std::uint8_t hole = 0) {
    RegionPart part;
    part.IsHole = hole;
    part.VertexCount = static_cast<std::int32_t>(vertices.size());
    part.Vertices = std::move(vertices);
    return part;
}

ShapeRegionObject Region(std::vector<RegionPart> rings, Bounds box) {
    ShapeRegionObject r;
    r.PartCount = static_cast<std::int32_t>(rings.size());
    r.Parts = std::move(rings);
    r.MinX = box.MinX;
    r.MinY = box.MinY;
    r.MaxX = box.MaxX;
    r.MaxY = box.MaxY;
    return r;
}

// The rings of one polygon or polyline record of a written .shp, at record offset `at`.
std::vector<std::vector<Vertex>> RecordParts(const std::string& shp, std::size_t at) {
    const std::int32_t parts = LE(shp, at + 8 + 36);
    const std::int32_t points = LE(shp, at + 8 + 40);
    std::vector<std::vector<Vertex>> out;
    const std::size_t pointsAt = at + 8 + 44 + 4 * static_cast<std::size_t>(parts);
    for (std::int32_t k = 0; k < parts; ++k) {
        const std::int32_t first = LE(shp, at + 8 + 44 + 4 * k);
        const std::int32_t next = k + 1 < parts ? LE(shp, at + 8 + 44 + 4 * (k + 1)) : points;
        auto& part = out.emplace_back();
        for (std::int32_t i = first; i < next; ++i)
            part.push_back({F64(shp, pointsAt + 16 * i), F64(shp, pointsAt + 16 * i + 8)});
    }
    return out;
}

class ShapeWriterTest : public ::testing::Test {
  protected:
    ShapeWriterTest() {
        paths.shpPath = dir / "out.shp";
        paths.shxPath = dir / "out.shx";
        paths.dbfPath = dir / "out.dbf";
        paths.sourceFolder = dir / "src";
        ctx.model.Layer.MinX = -1.5;
        ctx.model.Layer.MinY = 2.5;
        ctx.model.Layer.MaxX = 100.25;
        ctx.model.Layer.MaxY = 200.75;
    }
    void SetRegions(std::vector<ShapeRegionObject> regions) {
        ctx.model.LayerKind.ObjectKind = kKindRegion;
        ctx.model.LayerObjectCount = static_cast<std::int32_t>(regions.size());
        ctx.model.ShapeRegions = std::move(regions);
    }
    bool Write() { return WriteShapeFile(ctx, paths); }

    test::TempDir dir;
    JobContext ctx;
    ShapeExportPaths paths;
};

TEST_F(ShapeWriterTest, EmptyLayerGivesHeaderOnlyFiles) {
    SetRegions({});
    ASSERT_TRUE(Write()) << ctx.Log();
    for (const std::string& path : {paths.shpPath, paths.shxPath}) {
        const std::string bytes = test::ReadFile(path);
        ASSERT_EQ(bytes.size(), 100u) << path;
        EXPECT_EQ(bytes.substr(0, 4), std::string("\x00\x00\x27\x0A", 4));
        EXPECT_EQ(bytes.substr(28, 4), std::string("\xE8\x03\x00\x00", 4));
        EXPECT_EQ(BE(bytes, 24), 50);
        EXPECT_EQ(LE(bytes, 32), 5);
        EXPECT_EQ(F64(bytes, 36), -1.5);
        EXPECT_EQ(F64(bytes, 44), 2.5);
        EXPECT_EQ(F64(bytes, 52), 100.25);
        EXPECT_EQ(F64(bytes, 60), 200.75);
        EXPECT_EQ(bytes.substr(4, 20), std::string(20, '\0'));
        EXPECT_EQ(bytes.substr(68, 32), std::string(32, '\0'));
    }
    EXPECT_NE(ctx.Log().find("\tCreating Data File....\r\n\tWriting....\r\n"), std::string::npos);
    EXPECT_FALSE(FileExists(paths.dbfPath)) << "no table without CreateDbf";
}

TEST_F(ShapeWriterTest, RegionRecordLayoutAndIndex) {
    const auto outer = ClockwiseSquare(0, 0, 10);
    const std::vector<Vertex> island = {{20, 20}, {20, 30}, {30, 20}, {20, 20}};  // clockwise
    SetRegions({Region({Ring(outer), Ring(island)}, {0, 0, 30, 30})});
    ASSERT_TRUE(Write()) << ctx.Log();
    const std::string shp = test::ReadFile(paths.shpPath);
    const std::string shx = test::ReadFile(paths.shxPath);
    ASSERT_EQ(shp.size(), 100u + 8 + 196);
    EXPECT_EQ(BE(shp, 24), static_cast<std::int32_t>(shp.size() / 2));
    EXPECT_EQ(BE(shp, 100), 1);
    EXPECT_EQ(BE(shp, 104), 98) << "22 + 2 x 2 parts + 8 x 9 points";
    EXPECT_EQ(LE(shp, 108), 5);
    EXPECT_EQ(F64(shp, 112), 0.0);
    EXPECT_EQ(F64(shp, 136), 30.0);
    EXPECT_EQ(LE(shp, 144), 2);
    EXPECT_EQ(LE(shp, 148), 9);
    EXPECT_EQ(LE(shp, 152), 0);
    EXPECT_EQ(LE(shp, 156), 5);
    const auto parts = RecordParts(shp, 100);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], outer);
    EXPECT_EQ(parts[1], island);

    ASSERT_EQ(shx.size(), 108u);
    EXPECT_EQ(BE(shx, 24), 54);
    EXPECT_EQ(BE(shx, 100), 50);
    EXPECT_EQ(BE(shx, 104), 98);
    EXPECT_EQ(shx.substr(28, 72), shp.substr(28, 72)) << "same header but the length";
}

TEST_F(ShapeWriterTest, PointsBecomeMultipointsAndLinesPolylines) {
    auto point = [](std::vector<Vertex> vertices) {
        PointObject p;
        p.VertexCount = static_cast<std::int32_t>(vertices.size());
        p.Vertices = std::move(vertices);
        p.MinX = p.Vertices.front().X;
        p.MinY = p.Vertices.front().Y;
        p.MaxX = p.Vertices.back().X;
        p.MaxY = p.Vertices.back().Y;
        return p;
    };
    ctx.model.LayerKind.ObjectKind = kKindPoint;
    ctx.model.ShapePoints = {point({{1, 2}}), point({{3, 4}}), point({{5, 6}}),
                             point({{7, 8}, {9, 10}})};
    ctx.model.LayerObjectCount = 4;
    ASSERT_TRUE(Write()) << ctx.Log();
    std::string shp = test::ReadFile(paths.shpPath);
    std::string shx = test::ReadFile(paths.shxPath);
    EXPECT_EQ(LE(shp, 32), 8);
    const std::int32_t offsets[] = {50, 82, 114, 146};
    const std::int32_t lengths[] = {28, 28, 28, 36};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(BE(shx, 100 + 8 * i), offsets[i]);
        EXPECT_EQ(BE(shx, 104 + 8 * i), lengths[i]);
        const std::size_t at = 2 * static_cast<std::size_t>(offsets[i]);
        EXPECT_EQ(BE(shp, at), i + 1);
        EXPECT_EQ(BE(shp, at + 4), lengths[i]);
        EXPECT_EQ(LE(shp, at + 8), 8);
        EXPECT_EQ(LE(shp, at + 44), i < 3 ? 1 : 2);
        EXPECT_EQ(F64(shp, at + 48), 2.0 * i + 1);
    }
    EXPECT_EQ(F64(shp, 2 * 146 + 64), 9.0);
    EXPECT_EQ(F64(shp, 2 * 146 + 20), 8.0) << "the record's box from the object's bounds";
    EXPECT_EQ(shp.size(), 2u * 146 + 8 + 72);

    ShapeLineObject line;
    line.PartCount = 2;
    line.Parts.resize(2);
    line.Parts[0].Vertices = {{0, 0}, {3, 4}};
    line.Parts[1].Vertices = {{1, 1}, {2, 2}, {3, 1}};
    line.Parts[0].VertexCount = 2;
    line.Parts[1].VertexCount = 3;
    ShapeLineObject single = line;
    single.PartCount = 1;
    single.Parts.resize(1);
    ctx.model.LayerKind.ObjectKind = kKindLine;
    ctx.model.ShapeLines = {single, line};
    ctx.model.LayerObjectCount = 2;
    ASSERT_TRUE(Write()) << ctx.Log();
    shp = test::ReadFile(paths.shpPath);
    shx = test::ReadFile(paths.shxPath);
    EXPECT_EQ(LE(shp, 32), 3);
    EXPECT_EQ(BE(shx, 104), 40) << "22 + 2 + 16";
    EXPECT_EQ(BE(shx, 108), 50 + 4 + 40);
    EXPECT_EQ(BE(shx, 112), 22 + 4 + 40);
    const auto parts = RecordParts(shp, 2 * 94);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], line.Parts[0].Vertices);
    EXPECT_EQ(parts[1], line.Parts[1].Vertices);
}

TEST(RingHoleRoles, HolesAreRingsInsideAnOddNumberOfOthers) {
    const auto outer = ClockwiseSquare(0, 0, 100);
    const auto holeA = ClockwiseSquare(10, 10, 30);
    const auto islandInA = ClockwiseSquare(20, 20, 10);
    const auto holeB = ClockwiseSquare(60, 60, 30);
    const auto apart = ClockwiseSquare(200, 0, 10);
    EXPECT_EQ(RingHoleRoles({Ring(outer), Ring(holeA), Ring(islandInA), Ring(holeB), Ring(apart)}),
              (std::vector<bool>{false, true, false, true, false}));
    // Order does not matter: a hole listed before its outer ring is still a hole.
    EXPECT_EQ(RingHoleRoles({Ring(holeB), Ring(apart), Ring(outer)}),
              (std::vector<bool>{true, false, false}));
    // A hole sharing an edge and corners with its outer ring.
    const std::vector<Vertex> corner = {{0, 0}, {0, 50}, {50, 50}, {50, 0}, {0, 0}};
    EXPECT_EQ(RingHoleRoles({Ring(outer), Ring(corner)}), (std::vector<bool>{false, true}));
    // Two rings side by side that share an edge are both outer.
    EXPECT_EQ(RingHoleRoles({Ring(ClockwiseSquare(0, 0, 10)), Ring(ClockwiseSquare(10, 0, 10))}),
              (std::vector<bool>{false, false}));
}

// A region as the MIF import leaves it: rings in any turn, only the first hole marked.
TEST_F(ShapeWriterTest, RingsAreTurnedAsShapefilesRequireAndClosed) {
    const auto outer = Reversed(ClockwiseSquare(0, 0, 100));  // counter-clockwise
    const auto holeA = ClockwiseSquare(10, 10, 30);
    const auto holeB = Reversed(ClockwiseSquare(60, 60, 30));
    const auto island = Reversed(ClockwiseSquare(20, 20, 10));
    std::vector<Vertex> open = {{70, 10}, {80, 10}, {80, 20}};  // a triangle hole, not closed
    SetRegions({Region({Ring(outer), Ring(holeA, 1), Ring(holeB), Ring(island), Ring(open)},
                       {0, 0, 100, 100})});
    ASSERT_TRUE(Write()) << ctx.Log();
    const std::string shp = test::ReadFile(paths.shpPath);
    const auto parts = RecordParts(shp, 100);
    ASSERT_EQ(parts.size(), 5u);
    const bool hole[] = {false, true, true, false, true};
    const std::vector<Vertex>* given[] = {&outer, &holeA, &holeB, &island, &open};
    for (std::size_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(SignedArea2(parts[k]) > 0, hole[k]);
        EXPECT_EQ(parts[k].front(), parts[k].back());
        // The same ring, possibly read the other way round.
        std::vector<Vertex> ring = parts[k];
        if (SignedArea2(ring) * SignedArea2(*given[k]) < 0) ring = Reversed(ring);
        EXPECT_EQ(std::abs(SignedArea2(ring)), std::abs(SignedArea2(*given[k])));
        for (const Vertex& v : *given[k])
            EXPECT_NE(std::find(ring.begin(), ring.end(), v), ring.end());
    }
    EXPECT_EQ(parts[4].size(), 4u) << "the open ring was closed";
    EXPECT_EQ(LE(shp, 148), 5 + 5 + 5 + 5 + 4);
    EXPECT_EQ(BE(shp, 104), 22 + 2 * 5 + 8 * 24);
}

TEST_F(ShapeWriterTest, OlderLongerFilesAreReplacedNotOverwritten) {
    test::WriteFile(paths.shpPath, std::string(5000, 'x'));
    test::WriteFile(paths.shxPath, std::string(5000, 'x'));
    SetRegions({Region({Ring(ClockwiseSquare(0, 0, 1))}, {0, 0, 1, 1})});
    ASSERT_TRUE(Write()) << ctx.Log();
    EXPECT_EQ(test::ReadFile(paths.shpPath).size(), 100u + 8 + 44 + 4 + 80);
    EXPECT_EQ(test::ReadFile(paths.shxPath).size(), 108u);
}

TEST_F(ShapeWriterTest, AttributeTableIsCopiedFromTheLayerFolderOnly) {
    ctx.options.CreateDbf = true;
    SetRegions({});
    const std::string table = "table bytes\x1a";

    // No table listed in the layer.
    EXPECT_FALSE(Write());
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\tMissing or Corrupt Data File\r\n");
    EXPECT_FALSE(FileExists(paths.shpPath));

    // A listed name that is not a plain file name is not followed out of the folder.
    test::WriteFile(dir / "secret.dbf", table);
    ctx.ResetJob();
    ctx.model.LayerKind.ObjectKind = kKindRegion;
    ctx.model.FileHeader.TableCount = 1;
    ctx.model.TableNames = {"../secret.dbf"};
    EXPECT_FALSE(Write());
    EXPECT_EQ(ctx.StatusText(), "\tMissing or Corrupt Data File\r\n");
    EXPECT_FALSE(FileExists(paths.dbfPath));

    // Listed but missing: the log and the status line spell it differently.
    ctx.ResetJob();
    ctx.model.LayerKind.ObjectKind = kKindRegion;
    ctx.model.FileHeader.TableCount = 1;
    ctx.model.TableNames = {"layer.dbf"};
    EXPECT_FALSE(Write());
    EXPECT_EQ(ctx.StatusText(), "\tDBF file does not exist. Shape Export Aborted\r\n");
    EXPECT_NE(ctx.Log().find("\tDBF File does not exist. Shape Export Aborted\r\n"),
              std::string::npos);
    EXPECT_FALSE(FileExists(paths.shpPath));

    // Present: copied over an older file, then the shapes are written.
    test::WriteFile(paths.sourceFolder + "/layer.dbf", table);
    test::WriteFile(paths.dbfPath, std::string(100, 'o'));
    ctx.ResetJob();
    ctx.model.LayerKind.ObjectKind = kKindRegion;
    ctx.model.FileHeader.TableCount = 1;
    ctx.model.TableNames = {"layer.dbf"};
    EXPECT_TRUE(Write()) << ctx.Log();
    EXPECT_EQ(test::ReadFile(paths.dbfPath), table);
    EXPECT_TRUE(FileExists(paths.shpPath));
}

TEST_F(ShapeWriterTest, LayerListingMoreObjectsThanItHoldsIsRefused) {
    SetRegions({Region({Ring(ClockwiseSquare(0, 0, 1))}, {0, 0, 1, 1})});
    ctx.model.LayerObjectCount = 2;
    EXPECT_FALSE(Write());
    EXPECT_TRUE(ctx.Failed());
}

}  // namespace
}  // namespace vx

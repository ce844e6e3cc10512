#include <gtest/gtest.h>

#include "model/geometry.h"
#include "platform/endian.h"
#include "support/test_support.h"
#include "vxv/layer_format.h"
#include "vxv/layer_reader.h"
#include "vxv/layer_writer.h"

namespace vx {
namespace {

template <typename T>
T At(const std::string& bytes, std::size_t at) {
    return LoadLE<T>(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}
std::string Patched(std::string bytes, std::size_t at, std::int32_t value) {
    StoreLE<std::int32_t>(reinterpret_cast<unsigned char*>(bytes.data()) + at, value);
    return bytes;
}

PointObject MakePoint(double x, double y) {
    return {.VertexCount = 1,
            .PointStyle = 35,
            .PointSize = 12,
            .PointColor = 0xFF,
            .FontIndex = 1,
            .PointRot = 45.0f,
            .Vertices = {{x, y}}};
}

RegionPart Square(double x0, double y0, double size, std::uint8_t hole = 0) {
    return {
        .IsHole = hole,
        .VertexCount = 5,
        .Vertices = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}, {x0, y0}}};
}

// Writes the model's layer of `kind` the way an import does: bounds pass, hole check, write.
void WriteKind(LayerModel& m, int kind, std::int32_t count, const std::string& base) {
    ASSERT_TRUE(ComputeLayerBounds(m, kind, count));
    if (kind == kKindRegion) CheckRegionHoles(m, count);
    std::string error;
    ASSERT_TRUE(WriteLayer(m, kind, count, base + ".vxv", base + ".vxs", error)) << error;
}

bool Read(LayerModel& m, const std::string& base, LayerTarget target = LayerTarget::kObjects,
          StatusLines* progress = nullptr) {
    std::string error;
    const bool ok = ReadLayerData(m, base + ".vxv", base + ".vxs", target, progress, error);
    EXPECT_EQ(ok, error.empty()) << "a refusal says why, and only a refusal";
    return ok;
}

TEST(LayerLayout, OnePointLayerIsExactToTheByteAndToldByItsFirstBytes) {
    test::TempDir dir;
    LayerModel m;
    m.Points = {MakePoint(10.5, -20.25)};
    m.TableNames = {"a.dbf"};
    m.TableNameLengths = {5};
    m.FindFontIndex("Symbol");
    WriteKind(m, kKindPoint, 1, dir / "a");

    std::string vxv = test::ReadFile(dir / "a.vxv");
    ASSERT_EQ(vxv.size(), 311u);
    // The header, the table and font lists, then the index entry: flags, ObjectNo, kind,
    // DataOffset and bounds.
    const std::pair<std::size_t, std::int32_t> ints[] = {
        {0, 102},  {4, 60},  {8, 185},  {12, 245}, {16, 5},   {20, 250}, {24, 1},
        {28, 259}, {32, 1},  {36, 269}, {40, 0},   {44, 269}, {48, 0},   {52, 269},
        {56, 1},   {250, 5}, {259, 6},  {270, 1},  {275, 0}};
    for (auto [at, value] : ints)
        EXPECT_EQ(At<std::int32_t>(vxv, at), value) << "Int32 at " << at;
    EXPECT_EQ(vxv[249], 1) << "kind byte";
    EXPECT_EQ(vxv[269], 0);
    EXPECT_EQ(vxv[274], 1);
    EXPECT_EQ(vxv.substr(254, 5), "a.dbf");
    EXPECT_EQ(vxv.substr(263, 6), "Symbol");
    // Layer bounds of a single point with their reserved slots zero, and the entry's bounds.
    const std::pair<std::size_t, double> doubles[] = {
        {69, 10.5}, {77, -20.25}, {85, 0}, {93, 10.5}, {101, -20.25}, {109, 0}, {279, 10.5}};
    for (auto [at, value] : doubles)
        EXPECT_EQ(At<double>(vxv, at), value) << "double at " << at;

    const std::string vxs = test::ReadFile(dir / "a.vxs");
    ASSERT_EQ(vxs.size(), 44u);
    // VertexCount, PointStyle, PointSize, ..., PointRot and the vertex.
    EXPECT_EQ(
        std::tuple(At<std::int32_t>(vxs, 0), At<std::int32_t>(vxs, 4), At<std::int32_t>(vxs, 8)),
        std::tuple(1, 35, 12));
    EXPECT_EQ(std::tuple(At<float>(vxs, 24), At<double>(vxs, 28), At<double>(vxs, 36)),
              std::tuple(45.0f, 10.5, -20.25));

    // A layer file is told by its first bytes, whatever its name; the kind byte counts only
    // when the bytes reach it.
    auto told = [](const std::string& bytes, std::size_t size) {
        return IsLayerFileStart(reinterpret_cast<const unsigned char*>(bytes.data()), size);
    };
    EXPECT_TRUE(told(vxv, vxv.size()));
    EXPECT_TRUE(told(vxv, 60));
    EXPECT_FALSE(told(vxv, 59));
    for (std::size_t at : {0u, 8u, 16u})
        EXPECT_FALSE(told(Patched(vxv, at, 7), vxv.size())) << "byte " << at;
    vxv[249] = 4;
    EXPECT_FALSE(told(vxv, vxv.size())) << "no layer is of kind 4";
    EXPECT_FALSE(IsLayerFileStart(nullptr, 0));
}

TEST(LayerLayout, DataOffsetsFollowTheRecordSizes) {
    test::TempDir dir;
    LayerModel m;
    const LineObject line{.PartCount = 2,
                          .PenIndex = 1,
                          .Parts = {{.VertexCount = 2, .Vertices = {{0, 0}, {1, 1}}},
                                    {.VertexCount = 3, .Vertices = {{5, 5}, {6, 4}, {7, 9}}}}};
    m.Lines = {line, line};
    m.FindPenIndex({1, 2, 0});
    WriteKind(m, kKindLine, 2, dir / "l");
    // Line record: PartCount, PenIndex, then per part VertexCount, 4 bounds, vertices.
    const std::int32_t recordSize = 8 + (4 + 32 + 2 * 16) + (4 + 32 + 3 * 16);
    EXPECT_EQ(m.ObjectIndex[0].DataOffset, 0);
    EXPECT_EQ(m.ObjectIndex[1].DataOffset, recordSize);
    EXPECT_EQ(test::ReadFile(dir / "l.vxs").size(), static_cast<std::size_t>(2 * recordSize));
}

TEST(LayerLayout, SphereRadiusIsKeptOnlyWhenBelievable) {
    for (auto [datum, given, kept] : {std::tuple{0, 6378000.0, 6378000.0},
                                      {0, 0.0, 6378137.0},
                                      {0, 6377199.9, 6378137.0},
                                      {-1, 6378500.1, 6378137.0},
                                      {104, 5.0, 5.0}}) {  // an ellipsoid keeps its affine shift
        LayerInfo layer;
        layer.lDatum = datum;
        layer.lShiftX = given;
        ApplySphereRadiusRule(layer);
        EXPECT_EQ(layer.lShiftX, kept) << datum << " " << given;
    }
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
        const RegionObject r{.PartCount = 2,
                             .PenIndex = 2,
                             .BrushIndex = 1,
                             .Parts = {Square(0, 0, 10), Square(2, 2, 3, 1)}};
        m.Regions = {r, r};
        m.Regions[1].Parts[0].Vertices[2] = {100, 50};
        m.Points = {MakePoint(1, 2), MakePoint(-3, 4.5)};
        WriteKind(m, kKindRegion, 2, dir / "r");
        regionIndex = m.ObjectIndex;
        WriteKind(m, kKindPoint, 2, dir / "p");
    }
    test::TempDir dir;
    LayerModel written;
    std::vector<IndexEntry> regionIndex;
};

TEST_F(LayerRoundTrip, ObjectsStylesHolesAndIndexComeBack) {
    LayerModel m;
    ASSERT_TRUE(Read(m, dir / "r"));
    EXPECT_EQ(std::tie(m.LayerObjectCount, m.LayerKind.ObjectKind, m.LayerKind.UnitCode),
              std::tuple(2, kKindRegion, 7));
    EXPECT_EQ(std::tie(m.Layer.lUTMZone, m.Layer.lScaleFactor, m.Layer.MaxX),
              std::tuple(43, 0.9996, 100.0));
    EXPECT_EQ(m.TableNames, written.TableNames);
    EXPECT_EQ(m.Pens.Entries(), written.Pens.Entries());
    EXPECT_EQ(m.Brushes.Entries(), written.Brushes.Entries());
    ASSERT_EQ(m.Regions.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        ASSERT_EQ(m.Regions[i].Parts.size(), 2u);
        EXPECT_EQ(std::tie(m.Regions[i].PenIndex, m.Regions[i].Parts[1].IsHole), std::tuple(2, 1));
        EXPECT_EQ(m.Regions[i].Parts[0].Vertices, written.Regions[i].Parts[0].Vertices);
        const IndexEntry& e = m.ObjectIndex[i];
        EXPECT_EQ(std::tie(e.ObjectNo, e.DataOffset, e.MaxX),
                  std::tuple(i + 1, regionIndex[i].DataOffset, regionIndex[i].MaxX));
    }
}

// The MIF export reads the index first and each object as it writes it, into storage the
// next object reuses: the objects are the ones the whole read gives.
TEST_F(LayerRoundTrip, ObjectsReadOneAtATimeAreTheObjectsReadWhole) {
    LayerModel whole, index;
    ASSERT_TRUE(Read(whole, dir / "r"));
    ASSERT_TRUE(Read(index, dir / "r", LayerTarget::kIndex));
    EXPECT_TRUE(index.Regions.empty());
    EXPECT_EQ(index.Pens.Entries(), whole.Pens.Entries());
    LayerObjectReader regions(index, dir / "r.vxs");
    for (std::size_t i : {1u, 0u}) {
        const RegionObject& r = regions.Region(i);
        ASSERT_EQ(r.Parts.size(), 2u);
        EXPECT_EQ(std::tie(r.PenIndex, r.BrushIndex, r.Parts[1].IsHole), std::tuple(2, 1, 1)) << i;
        EXPECT_EQ(r.Parts[0].Vertices, whole.Regions[i].Parts[0].Vertices) << i;
        EXPECT_EQ(r.Parts[1].Vertices, whole.Regions[i].Parts[1].Vertices) << i;
    }
    EXPECT_THROW(regions.Region(2), LayerReadError);

    ASSERT_TRUE(Read(whole, dir / "p"));
    ASSERT_TRUE(Read(index, dir / "p", LayerTarget::kIndex));
    LayerObjectReader points(index, dir / "p.vxs");
    const PointObject& p = points.Point(1);
    EXPECT_EQ(
        std::tie(p.PointStyle, p.PointRot, p.Vertices),
        std::tie(whole.Points[1].PointStyle, whole.Points[1].PointRot, whole.Points[1].Vertices));
}

// The shapefile export takes each record's box from the index, which a read of the index
// alone holds whole, with the fonts and the kind's reading line.
TEST_F(LayerRoundTrip, AnIndexReadHoldsTheBoxesFontsAndReadingLine) {
    LayerModel index;
    test::StatusLog progress;
    ASSERT_TRUE(Read(index, dir / "p", LayerTarget::kIndex, &progress));
    EXPECT_TRUE(index.Points.empty());
    ASSERT_EQ(index.ObjectIndex.size(), 2u);
    EXPECT_EQ(std::tie(index.ObjectIndex[1].MinX, index.ObjectIndex[1].MaxY), std::tuple(-3, 4.5));
    EXPECT_EQ(index.Fonts.Name(1), "MapInfo Symbols");
    EXPECT_EQ(progress.lines, (std::vector<std::string>{"\tReading Points\r\n"}));
}

TEST_F(LayerRoundTrip, DamagedLayersAreRefusedNotTrusted) {
    const std::string vxv = test::ReadFile(dir / "r.vxv"), vxs = test::ReadFile(dir / "r.vxs");
    const std::size_t index = static_cast<std::size_t>(At<std::int32_t>(vxv, 52));
    // A kind no reader knows: the writers still give every counted object a row.
    std::string unknownKind = Patched(vxv, 56, 1000000000);
    unknownKind.at(static_cast<std::size_t>(At<std::int32_t>(vxv, 12)) + 4) = 9;
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"truncated layer file", vxv.substr(0, vxv.size() - 1), vxs},
        {"truncated geometry", vxv, vxs.substr(0, vxs.size() - 10)},
        {"billion objects", Patched(vxv, 56, 1000000000), vxs},
        {"negative objects", Patched(vxv, 56, -5), vxs},
        {"billion objects of an unknown kind", unknownKind, vxs},
        {"huge pen count", Patched(vxv, 40, 0x7FFFFFFF), vxs},
        {"index past the end", Patched(vxv, 52, 0x7FFFFF00), vxs},
        {"data offset outside", Patched(vxv, index + 6, 1 << 30), vxs},
        {"billion parts", vxv, Patched(vxs, 0, 1000000000)},
        {"billion vertices", vxv, Patched(vxs, 13, 1000000000)},
        // Both entries on the one record the geometry file holds: reading it twice would make
        // a small file claim many times its size.
        {"shared record", Patched(vxv, index + 42 + 6, 0), vxs.substr(0, vxs.size() / 2)},
        {"empty files", "", ""},
        {"no geometry file", vxv, "-"},
    };
    for (const auto& [what, badVxv, badVxs] : cases) {
        test::WriteFile(dir / "bad.vxv", badVxv);
        std::remove((dir / "bad.vxs").c_str());
        if (badVxs != "-") test::WriteFile(dir / "bad.vxs", badVxs);
        // Both readers: the whole read, and the index with each object read after it.
        LayerModel whole;
        EXPECT_FALSE(Read(whole, dir / "bad", LayerTarget::kObjects)) << what;
        LayerModel m;
        if (!Read(m, dir / "bad", LayerTarget::kIndex)) continue;
        auto everyObject = [&] {
            LayerObjectReader objects(m, dir / "bad.vxs");
            for (std::size_t i = 0; i < m.ObjectIndex.size(); ++i)
                objects.Region(i);
        };
        EXPECT_THROW(everyObject(), LayerReadError) << what;
    }
}

}  // namespace
}  // namespace vx

#include "mif/mif_coordsys.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mif/mif_writer.h"
#include "mif_test_support.h"
#include "model/datum_catalogue.h"

namespace vx {
namespace {

constexpr double kSurveyFoot = 1200.0 / 3937.0;

// Reads a file whose header holds one CoordSys line and the given data section.
bool ReadCoordSys(test::MifRead& ctx, const std::string& clause, const std::string& data = "") {
    return ctx.Read(test::MifText(data, clause + "\r\n"));
}

bool Logged(const test::MifRead& ctx, const std::string& text) {
    return ctx.Log().find(text) != std::string::npos;
}

TEST(MifCoordSys, LongitudeLatitudeAndThePlaneFallbacks) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 1, 104"));
    EXPECT_EQ(ctx.model.Layer.lCoordSys, 0);
    EXPECT_EQ(ctx.model.Layer.lProjection, 1);
    EXPECT_EQ(ctx.model.Layer.lDatum, 226);
    EXPECT_EQ(ParseMifCoordSys("CoordSys Earth Projection 1, 104").factor, 1.0);
    EXPECT_EQ(ctx.Log(), "\tReading ...\r\n") << "nothing given up";
    // An unknown datum, or a projection read as a plane, keeps plane coordinates in metres,
    // and says so.
    for (const char* clause :
         {"CoordSys Earth Projection 1, 9999", "CoordSys Earth Projection 1,2000",
          "CoordSys Earth Projection 5, 104, \"m\", 0, 90"}) {
        ASSERT_TRUE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1) << clause;
        EXPECT_EQ(ctx.model.Layer.lProjection, -1) << clause;
        EXPECT_EQ(ctx.model.Layer.lDatum, -1) << clause;
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, 8) << clause;
        EXPECT_TRUE(Logged(ctx, "the layer keeps plane coordinates")) << clause;
    }
}

TEST(MifCoordSys, ProjectedCoordinatesAndTheirFalseOriginAreStoredInMetres) {
    // Survey feet: the false origin moves to metres with the coordinates, and the fraction
    // a layer's whole metres cannot hold moves into the coordinates, so that the point
    // stays where the clause puts it.
    test::MifRead ctx;
    ASSERT_TRUE(ReadCoordSys(ctx,
                             "CoordSys Earth Projection 8, 74, \"survey ft\", -79.5, 33.75, "
                             "0.9999, 2000000, -7",
                             "Point 2100000 700000\r\n"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lProjection, 21);
    EXPECT_EQ(layer.lOriginLongitude, -79.5) << "fractions of a degree are kept";
    EXPECT_EQ(layer.lOriginLatitude, 33.75);
    EXPECT_EQ(layer.lScaleFactor, 0.9999);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(
        ParseMifCoordSys("CoordSys Earth Projection 8, 74, \"survey ft\", 0, 0, 1, 0, 0").factor,
        kSurveyFoot);
    EXPECT_EQ(layer.lFalseEasting, 609601);
    EXPECT_EQ(layer.lFalseNorthing, -2);
    const Vertex stored = ctx.model.Points.at(0).Vertices.at(0);
    // Easting less false easting is what the projection gives; it must not change.
    EXPECT_NEAR(stored.X - layer.lFalseEasting, (2100000 - 2000000) * kSurveyFoot, 1e-9);
    EXPECT_NEAR(stored.Y - layer.lFalseNorthing, (700000 + 7) * kSurveyFoot, 1e-9);
    EXPECT_TRUE(Logged(ctx, "False easting and northing are kept in whole metres"));
    // The clause written back says metres, with the false origin in metres.
    EXPECT_EQ(MifCoordSysClause(layer, ctx.model.LayerKind.UnitCode),
              "CoordSys Earth Projection 8, 74, \"m\", -79.5, 33.75, 0.9999, 609601, -2");

    // International feet are exactly 0.3048 m; a whole false origin moves nothing.
    ctx = test::MifRead();
    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 8, 104, \"ft\", 3, 0, 1, 0, 0",
                             "Point 10 20\r\n"));
    EXPECT_EQ(ctx.model.Points.at(0).Vertices.at(0), (Vertex{10 * 0.3048, 20 * 0.3048}));
    EXPECT_EQ(ctx.Log().find("whole metres"), std::string::npos);
}

TEST(MifCoordSys, ProjectionCodesAndTheirParameters) {
    test::MifRead ctx;
    const LayerInfo& layer = ctx.model.Layer;
    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 3, 57, \"m\", -96.5, 23, 20.5, 60, 1000, -7"));
    EXPECT_EQ(layer.lProjection, 11);
    EXPECT_EQ(layer.lDatum, 110);
    EXPECT_EQ(layer.lOriginLongitude, -96.5);
    EXPECT_EQ(layer.lStdParellel1, 20.5);
    EXPECT_EQ(layer.lStdParellel2, 60.0);
    EXPECT_EQ(layer.lFalseEasting, 1000);

    // MIF 10, 15, 21 to 24 and 26 take the codes the MIF writer gives back.
    const std::pair<int, int> codes[] = {{2, 5},   {4, 10},  {9, 2},   {10, 23}, {11, 13},
                                         {12, 24}, {13, 14}, {14, 6},  {15, 7},  {16, 19},
                                         {20, 20}, {21, 21}, {24, 21}, {26, 23}, {27, 18}};
    for (auto [mif, code] : codes) {
        ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection " + std::to_string(mif) +
                                          ", 104, \"m\", 17, 1, 1, 1, 1, 1"));
        EXPECT_EQ(layer.lProjection, code) << mif;
        EXPECT_EQ(layer.lOriginLongitude, 17.0) << mif;
    }
    // The Danish and Finnish variants of transverse Mercator are kept as the plain one, and
    // the log says so.
    EXPECT_TRUE(Logged(ctx, "Projection 24 is kept as plain Transverse Mercator"));
}

TEST(MifCoordSys, UnsupportedProjectionsAndUnitsAbortWithTheirMessage) {
    for (int mif : {0, 7, 25, 28}) {
        test::MifRead ctx;
        EXPECT_FALSE(ReadCoordSys(
            ctx, "CoordSys Earth Projection " + std::to_string(mif) + ", 104, \"m\", 0, 0, 1"));
        EXPECT_EQ(ctx.Log(), "\tProjection Not Supported. Aborting\r\n") << mif;
    }
    test::MifRead ctx;
    EXPECT_FALSE(ReadCoordSys(ctx, "CoordSys NonEarth Units \"M\" Bounds (0, 0) (1, 1)"));
    EXPECT_EQ(ctx.Log(), "\tUnits Not Supported\r\n");
    // An Earth projection still reads its parameters before it stops.
    EXPECT_FALSE(ReadCoordSys(ctx,
                              "CoordSys Earth Projection 8, 104, \"furlong\", 3, 0, 0.9996, "
                              "500000, 0"));
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\tUnits Not Supported\r\n");
    EXPECT_EQ(ctx.model.Layer.lFalseEasting, 500000);
}

TEST(MifCoordSys, PlaneLayersKeepTheirUnitAndWriteItBack) {
    // Every unit the writer names reads back to its code and is written back as itself;
    // the long names of older files read as the same units.
    for (std::uint8_t code = 1; code <= 13; ++code) {
        const std::string name(MifUnitName(code));
        ASSERT_FALSE(name.empty()) << int(code);
        test::MifRead ctx;
        ASSERT_TRUE(
            ReadCoordSys(ctx, "CoordSys NonEarth Units \"" + name + "\" Bounds (0, 0) (100, 100)",
                         "Point 10.5 20\r\n"));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1);
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, code) << name;
        EXPECT_EQ(ctx.model.Points.at(0).Vertices.at(0), (Vertex{10.5, 20})) << "own units";
        EXPECT_EQ(MifCoordSysClause(ctx.model.Layer, code),
                  "CoordSys NonEarth Units \"" + name + "\"");
    }
    const std::pair<const char*, std::uint8_t> aliases[] = {
        {"nautical mile", 5}, {"chains", 10}, {"link", 11}, {"rods", 12}};
    for (auto [alias, code] : aliases) {
        CoordSysReading reading;
        EXPECT_EQ(ReadMifUnit(reading, alias), code) << alias;
        EXPECT_EQ(reading.factor, MifUnitFactor(code)) << alias;
    }
    EXPECT_EQ(MifUnitFactor(13), kSurveyFoot);
    EXPECT_NEAR(MifUnitFactor(10), 66 * kSurveyFoot, 1e-15);
    EXPECT_EQ(MifUnitFactor(4), 1609.344) << "metres per mile, like every other unit";
}

TEST(MifCoordSys, EveryMapInfoDatumReadIsTheDatumWritten) {
    // Each catalogue entry stands for a MapInfo number that reads back to an entry of the
    // same number, and each number read is written back as itself.
    for (std::int32_t code = 1; code <= DatumCount(); ++code) {
        const std::int32_t mapInfo = MifDatumNumber(code);
        ASSERT_NE(mapInfo, 0) << "datum code " << code;
        EXPECT_FALSE(DatumName(code).empty()) << code;
        EXPECT_EQ(MifDatumNumber(MapInfoDatumToCode(mapInfo)), mapInfo) << mapInfo;
    }
    for (std::int32_t mapInfo = 1; mapInfo <= 2000; ++mapInfo) {
        const std::int32_t code = MapInfoDatumToCode(mapInfo);
        if (code == -1) continue;
        EXPECT_EQ(MifDatumNumber(code), mapInfo) << mapInfo;
        test::MifRead ctx;
        ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 1, " + std::to_string(mapInfo)));
        EXPECT_EQ(MifCoordSysClause(ctx.model.Layer, ctx.model.LayerKind.UnitCode),
                  "CoordSys Earth Projection 1, " + std::to_string(mapInfo));
    }
    // The old entries keep their codes; datums MapInfo users meet that the catalogue lacked
    // have entries after them.
    EXPECT_EQ(MapInfoDatumToCode(104), 226);
    EXPECT_EQ(MapInfoDatumToCode(57), 110);
    EXPECT_EQ(DatumName(226), "WGS 84");
    EXPECT_GT(MapInfoDatumToCode(62), 228);
    EXPECT_EQ(DatumName(MapInfoDatumToCode(62)), "NAD 27 (Continental US)");
    for (std::int32_t mapInfo : {33, 49, 100, 1000, 1002})
        EXPECT_GT(MapInfoDatumToCode(mapInfo), 0) << mapInfo;
    for (std::int32_t mapInfo : {-1, 999, 2000, 9999})
        EXPECT_EQ(MapInfoDatumToCode(mapInfo), -1) << mapInfo;
    EXPECT_EQ(MapInfoDatumToCode(0), 0);
}

TEST(MifCoordSys, CustomDatumsAndAffineClausesGoOnWithTheNearestAndSaySo) {
    test::MifRead ctx;
    const LayerInfo& layer = ctx.model.Layer;
    // WGS 84 given by its parameters is WGS 84; nothing is lost.
    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 1, 999, 28, 0, 0, 0"));
    EXPECT_EQ(layer.lDatum, 226);
    EXPECT_EQ(ctx.Log(), "\tReading ...\r\n");
    // Any other is given up for WGS 84, and the unit and parameters after it still stand
    // where they belong.
    ASSERT_TRUE(ReadCoordSys(ctx,
                             "CoordSys Earth Projection 8, 9999, 7, -87, -98, -121, 1, 2, 3, 4, "
                             "0, \"m\", 3, 0, 0.9996, 500000, 0"));
    EXPECT_EQ(layer.lProjection, 21);
    EXPECT_EQ(layer.lDatum, 226);
    EXPECT_EQ(layer.lOriginLongitude, 3);
    EXPECT_EQ(layer.lScaleFactor, 0.9996);
    EXPECT_EQ(layer.lFalseEasting, 500000);
    EXPECT_TRUE(Logged(ctx, "Datum 9999 (ellipsoid 7 -87 -98 -121 1 2 3 4 0) cannot be kept"));

    ASSERT_TRUE(ReadCoordSys(ctx,
                             "CoordSys NonEarth Affine Units \"m\", 2, 0, 0, 0, 2, 0 Units "
                             "\"km\" Bounds (0, 0) (1, 1)"));
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 9) << "the unit of the coordinates";
    EXPECT_TRUE(Logged(ctx, "affine transformation"));
}

TEST(MifCoordSys, ParametersOfThePreviousFileAreNotCarriedOver) {
    test::MifRead ctx;
    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 8, 104, \"ft\", 3, 10, 0.9996, 500000, 7"));
    // The same engine reads the next file; only the reader stands between the two.
    test::TempDir dir;
    test::WriteFile(dir / "b.mif", test::MifText("", "CoordSys Earth Projection 1, 104\r\n"));
    ASSERT_TRUE(ctx.ReadPath(dir / "b.mif"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lProjection, 1);
    EXPECT_EQ(layer.lScaleFactor, 0.0);
    EXPECT_EQ(layer.lFalseNorthing, 0);
    EXPECT_EQ(layer.lUTMZone, 0);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 0);
}

TEST(MifCoordSys, MalformedClausesAreHeaderErrors) {
    for (const char* clause :
         {"CoordSys Earth Projection 3, 62",
          "CoordSys Earth Projection 8, 104, \"m\", x, 0, 1, 5, 0",
          "CoordSys Earth Projection one, 104, \"m\", 0, 0", "CoordSys NonEarth"}) {
        test::MifRead ctx;
        EXPECT_FALSE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n") << clause;
    }
}

}  // namespace
}  // namespace vx

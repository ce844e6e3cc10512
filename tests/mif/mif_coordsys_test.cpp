#include "mif/mif_coordsys.h"

#include <gtest/gtest.h>

#include "mif/mif_input.h"
#include "mif_test_support.h"

namespace vx {
namespace {

using test::MifText;
using test::ReadMifBytes;

// Reads a file whose header holds one CoordSys line and an empty data section.
bool ReadCoordSys(JobContext& ctx, const std::string& clause) {
    return ReadMifBytes(ctx, MifText("", clause + "\r\n"));
}

TEST(MifCoordSys, LongitudeLatitude) {
    JobContext ctx;
    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 1, 104"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lCoordSys, 0);
    EXPECT_EQ(layer.lProjection, 1);
    EXPECT_EQ(layer.lDatum, 226);
    EXPECT_EQ(ctx.coordinateFactor, 1.0);
    EXPECT_EQ(ctx.coordProjection, 1);
    EXPECT_EQ(ctx.coordDatum, 226);
}

TEST(MifCoordSys, UnknownDatumOrPlaneProjectionGivesPlaneCoordinatesInMetres) {
    for (const char* clause :
         {"CoordSys Earth Projection 1, 9999", "CoordSys Earth Projection 5, 104, \"m\", 0, 90",
          "CoordSys Earth Projection 17, 104, \"m\", 0"}) {
        SCOPED_TRACE(clause);
        JobContext ctx;
        ASSERT_TRUE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1);
        EXPECT_EQ(ctx.model.Layer.lProjection, -1);
        EXPECT_EQ(ctx.model.Layer.lDatum, -1);
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, 8);
    }
}

TEST(MifCoordSys, TransverseMercatorInMetresAndInSurveyFeet) {
    JobContext ctx;
    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 8, 104, \"m\", 3, 0, 0.9996, 500000, 0"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lProjection, 21) << "the code the MIF writer turns back into projection 8";
    EXPECT_EQ(layer.lUTMZone, 43);
    EXPECT_EQ(layer.lDatum, 226);
    EXPECT_EQ(layer.lOriginLongitude, 3.0);
    EXPECT_EQ(layer.lOriginLatitude, 0.0);
    EXPECT_EQ(layer.lScaleFactor, 0.9996);
    EXPECT_EQ(layer.lFalseEasting, 500000);
    EXPECT_EQ(layer.lFalseNorthing, 0);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 8);
    EXPECT_EQ(ctx.coordinateFactor, 1.0);

    ASSERT_TRUE(ReadCoordSys(
        ctx, "CoordSys Earth Projection 8, 104, \"survey ft\", 3, 0, 0.9996, 500000, 0"));
    EXPECT_EQ(layer.lProjection, 21);
    EXPECT_EQ(layer.lOriginLongitude, 3.0);
    EXPECT_EQ(layer.lScaleFactor, 0.9996);
    EXPECT_EQ(layer.lFalseEasting, 500000);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(ctx.coordinateFactor, 0.3048006);
}

TEST(MifCoordSys, ProjectionCodesAndTheParametersEachReads) {
    JobContext ctx;
    const LayerInfo& layer = ctx.model.Layer;

    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 2, 104, \"m\", 10, 30"));
    EXPECT_EQ(layer.lProjection, 5);
    EXPECT_EQ(layer.lOriginLongitude, 10.0);
    EXPECT_EQ(layer.lStdParellel1, 30.0);

    ASSERT_TRUE(ReadCoordSys(
        ctx, "CoordSys Earth Projection 3, 57, \"m\", -96.5, 23, 20.5, 60, 1000.4, -7"));
    EXPECT_EQ(layer.lProjection, 11);
    EXPECT_EQ(layer.lDatum, 110);
    EXPECT_EQ(layer.lOriginLongitude, -96.0) << "whole degrees only";
    EXPECT_EQ(layer.lOriginLatitude, 23.0);
    EXPECT_EQ(layer.lStdParellel1, 20.5);
    EXPECT_EQ(layer.lStdParellel2, 60.0);
    EXPECT_EQ(layer.lFalseEasting, 1000);
    EXPECT_EQ(layer.lFalseNorthing, -7);

    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 4, 104, \"m\", 5, 45, 90"));
    EXPECT_EQ(layer.lProjection, 10);
    EXPECT_EQ(layer.lOriginLatitude, 45.0);
    EXPECT_EQ(layer.lRange, 90);

    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 9, 104, \"m\", -96, 23, 29.5, 45.5, 0, 0"));
    EXPECT_EQ(layer.lProjection, 2);
    EXPECT_EQ(layer.lStdParellel2, 45.5);

    ASSERT_TRUE(ReadCoordSys(
        ctx, "CoordSys Earth Projection 20, 104, \"m\", 4, 52, 0.9999, 155000, 463000"));
    EXPECT_EQ(layer.lProjection, 20);
    EXPECT_EQ(layer.lScaleFactor, 0.9999);
    EXPECT_EQ(layer.lFalseNorthing, 463000);

    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 26, 104, \"m\", 7, 12.5"));
    EXPECT_EQ(layer.lProjection, 12);
    EXPECT_EQ(layer.lStdParellel1, 12.5);

    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 27, 104, \"m\", 7, 8, 100, 200"));
    EXPECT_EQ(layer.lProjection, 18);
    EXPECT_EQ(layer.lOriginLatitude, 8.0);
    EXPECT_EQ(layer.lFalseEasting, 100);
    EXPECT_EQ(layer.lFalseNorthing, 200);

    // Projections that carry only an origin longitude; 10, 15 and 21 to 24 take the codes the
    // MIF writer gives back, so a file read and written again keeps its projection.
    const std::pair<int, int> originOnly[] = {{10, 23}, {11, 13}, {12, 24}, {13, 14},
                                              {14, 6},  {15, 7},  {16, 19}};
    for (auto [mif, code] : originOnly) {
        SCOPED_TRACE(mif);
        ASSERT_TRUE(ReadCoordSys(
            ctx, "CoordSys Earth Projection " + std::to_string(mif) + ", 104, \"m\", 17"));
        EXPECT_EQ(layer.lProjection, code);
        EXPECT_EQ(layer.lOriginLongitude, 17.0);
    }
    for (int mif : {21, 22, 23, 24}) {
        ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection " + std::to_string(mif) +
                                          ", 104, \"m\", 3, 0, 0.9996, 500000, 0"));
        EXPECT_EQ(layer.lProjection, 21) << mif;
    }
}

TEST(MifCoordSys, UnsupportedProjectionsAbort) {
    for (const char* clause : {"CoordSys Earth Projection 7, 104, \"m\", 0, 0, 0, 1, 0, 0",
                               "CoordSys Earth Projection 0, 104, \"m\", 0",
                               "CoordSys Earth Projection 28, 104, \"m\", 0",
                               "CoordSys Earth Projection 25, 104, \"m\", 0"}) {
        SCOPED_TRACE(clause);
        JobContext ctx;
        EXPECT_FALSE(ReadCoordSys(ctx, clause));
        EXPECT_TRUE(ctx.Failed());
        EXPECT_EQ(ctx.Log(), "\tProjection Not Supported. Aborting\r\n");
    }
}

TEST(MifCoordSys, NonEarthUnitsKeepCoordinatesInTheirUnits) {
    const std::pair<const char*, int> cases[] = {
        {"CoordSys NonEarth Units \"m\" Bounds (0, 0) (100, 100)", 8},
        {"CoordSys NonEarth Units \"ft\" Bounds (0, 0) (100, 100)", 2},
        {"CoordSys NonEarth Units \"survey ft\" Bounds (0, 0) (100, 100)", 13},
        {"CoordSys NonEarth Units \"nautical mile\" Bounds (0, 0) (100, 100)", 5},
        {"coordsys nonearth Units \"km\"", 9},
    };
    for (auto [clause, unit] : cases) {
        SCOPED_TRACE(clause);
        JobContext ctx;
        ASSERT_TRUE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1);
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, unit);
        EXPECT_EQ(ctx.coordinateFactor, 1.0);
    }
}

TEST(MifCoordSys, UnknownUnitsAreRefusedButEarthParametersAreStillRead) {
    JobContext ctx;
    EXPECT_FALSE(ReadCoordSys(ctx, "CoordSys NonEarth Units \"M\" Bounds (0, 0) (1, 1)"));
    EXPECT_EQ(ctx.Log(), "\tUnits Not Supported\r\n");

    EXPECT_FALSE(ReadCoordSys(ctx,
                              "CoordSys Earth Projection 8, 104, \"furlong\", 3, 0, 0.9996, "
                              "500000, 0"));
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\tUnits Not Supported\r\n");
    EXPECT_EQ(ctx.model.Layer.lScaleFactor, 0.9996);
    EXPECT_EQ(ctx.model.Layer.lFalseEasting, 500000);
}

TEST(MifCoordSys, UnitTableCodesAndMetresPerUnit) {
    const std::tuple<const char*, int, double> rows[] = {
        {"in", 1, 0.0254},
        {"ft", 2, 0.3048006},
        {"yd", 3, 0.9144},
        {"mi", 4, 1609.344},
        {"nautical mile", 5, 1852.0},
        {"mm", 6, 0.001},
        {"cm", 7, 0.01},
        {"m", 8, 1.0},
        {"km", 9, 1000.0},
        {"chains", 10, 20.1168},
        {"link", 11, 0.201168},
        {"rods", 12, 5.0292099},
        {"survey ft", 13, 0.3048006},
    };
    for (auto [name, code, factor] : rows) {
        JobContext ctx;
        EXPECT_EQ(ReadMifUnit(ctx, name), code) << name;
        EXPECT_EQ(ctx.coordinateFactor, factor) << name;
        EXPECT_FALSE(ctx.Failed());
    }
    JobContext ctx;
    EXPECT_EQ(ReadMifUnit(ctx, "Ft"), 0);
    EXPECT_TRUE(ctx.Failed());
}

TEST(MifCoordSys, TwoWordUnitsAreJoinedWhereTheyStand) {
    std::vector<std::string> earth{"CoordSys", "Earth", "Projection", "8,", "104,",
                                   "\"survey", "ft\",", "3,",         "0"};
    auto joined = JoinTwoWordUnit(earth);
    ASSERT_EQ(joined.size(), earth.size() - 1);
    EXPECT_EQ(joined[5], "\"survey ft\",");
    EXPECT_EQ(joined[6], "3,");
    EXPECT_EQ(joined[7], "0");

    std::vector<std::string> plane{"CoordSys", "NonEarth", "Units", "\"nautical", "mile\""};
    EXPECT_EQ(JoinTwoWordUnit(plane)[3], "\"nautical mile\"");

    std::vector<std::string> single{"CoordSys", "NonEarth", "Units", "\"m\"", "Bounds"};
    EXPECT_EQ(JoinTwoWordUnit(single), single);
}

TEST(MifCoordSys, DatumNumbersToCatalogueCodes) {
    const std::pair<int, int> rows[] = {
        {1, 4},    {10, 28},  {28, 54},   {33, 0},    {57, 110}, {62, 0},   {65, 134},  {74, 137},
        {93, 211}, {96, 213}, {104, 226}, {106, 228}, {107, -1}, {108, 0},  {111, -1},  {112, -1},
        {114, 0},  {115, -1}, {0, 0},     {1000, 0},  {-1, -1},  {999, -1}, {9999, -1},
    };
    for (auto [mapInfo, code] : rows)
        EXPECT_EQ(MapInfoDatumToCode(mapInfo), code) << mapInfo;
}

TEST(MifCoordSys, ParametersOfThePreviousFileAreNotCarriedOver) {
    JobContext ctx;
    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 8, 104, \"ft\", 3, 10, 0.9996, 500000, 7"));
    ASSERT_EQ(ctx.model.Layer.lFalseNorthing, 7);
    // The same context without a job reset, as a reader run twice by one engine would see it.
    test::TempDir dir;
    test::WriteFile(dir / "b.mif", MifText("", "CoordSys Earth Projection 1, 104\r\n"));
    ASSERT_TRUE(ReadMifFile(ctx, dir / "b.mif"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lProjection, 1);
    EXPECT_EQ(layer.lOriginLatitude, 0.0);
    EXPECT_EQ(layer.lScaleFactor, 0.0);
    EXPECT_EQ(layer.lFalseEasting, 0);
    EXPECT_EQ(layer.lFalseNorthing, 0);
    EXPECT_EQ(layer.lUTMZone, 0);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 0);
    EXPECT_EQ(ctx.coordinateFactor, 1.0);
}

TEST(MifCoordSys, MalformedClausesAreHeaderErrors) {
    for (const char* clause :
         {"CoordSys Earth Projection 3, 62",
          "CoordSys Earth Projection 8, 104, \"m\", x, 0, 0.9996, 500000, 0",
          "CoordSys Earth Projection one, 104, \"m\", 0, 0", "CoordSys NonEarth"}) {
        SCOPED_TRACE(clause);
        JobContext ctx;
        EXPECT_FALSE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n");
    }
    JobContext ctx;
    EXPECT_THROW(ReadMifCoordSys(ctx, "CoordSys Earth Projection 2, 104, \"m\", 5"), MifReadError);
}

}  // namespace
}  // namespace vx

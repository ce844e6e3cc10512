#include "mif/mif_coordsys.h"

#include <gtest/gtest.h>

#include "mif_test_support.h"

namespace vx {
namespace {

// Reads a file whose header holds one CoordSys line and no objects.
bool ReadCoordSys(JobContext& ctx, const std::string& clause) {
    return test::ReadMifBytes(ctx, test::MifText("", clause + "\r\n"));
}

TEST(MifCoordSys, LongitudeLatitudeAndThePlaneFallbacks) {
    JobContext ctx;
    ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection 1, 104"));
    EXPECT_EQ(ctx.model.Layer.lCoordSys, 0);
    EXPECT_EQ(ctx.model.Layer.lProjection, 1);
    EXPECT_EQ(ctx.model.Layer.lDatum, 226);
    EXPECT_EQ(ctx.coordinateFactor, 1.0);
    // An unknown datum, or a projection read as a plane, keeps plane coordinates in metres.
    for (const char* clause :
         {"CoordSys Earth Projection 1, 9999", "CoordSys Earth Projection 5, 104, \"m\", 0, 90"}) {
        ASSERT_TRUE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1) << clause;
        EXPECT_EQ(ctx.model.Layer.lProjection, -1) << clause;
        EXPECT_EQ(ctx.model.Layer.lDatum, -1) << clause;
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, 8) << clause;
    }
}

TEST(MifCoordSys, TransverseMercatorInMetresAndInSurveyFeet) {
    JobContext ctx;
    const LayerInfo& layer = ctx.model.Layer;
    for (const char* unit : {"m", "survey ft"}) {
        ASSERT_TRUE(ReadCoordSys(ctx, std::string("CoordSys Earth Projection 8, 104, \"") + unit +
                                          "\", 3.5, 1.5, 0.9996, 500000, -7"));
        EXPECT_EQ(layer.lProjection, 21) << "the code the MIF writer turns back into 8";
        EXPECT_EQ(layer.lUTMZone, 43);
        EXPECT_EQ(layer.lOriginLongitude, 4.0) << "whole degrees, half to even";
        EXPECT_EQ(layer.lOriginLatitude, 1.5);
        EXPECT_EQ(layer.lScaleFactor, 0.9996);
        EXPECT_EQ(layer.lFalseEasting, 500000);
        EXPECT_EQ(layer.lFalseNorthing, -7);
    }
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(ctx.coordinateFactor, 0.3048006);
}

TEST(MifCoordSys, ProjectionCodesAndTheirParameters) {
    JobContext ctx;
    const LayerInfo& layer = ctx.model.Layer;
    ASSERT_TRUE(ReadCoordSys(
        ctx, "CoordSys Earth Projection 3, 57, \"m\", -96.5, 23, 20.5, 60, 1000.4, -7"));
    EXPECT_EQ(layer.lProjection, 11);
    EXPECT_EQ(layer.lDatum, 110);
    EXPECT_EQ(layer.lOriginLongitude, -96.0);
    EXPECT_EQ(layer.lStdParellel1, 20.5);
    EXPECT_EQ(layer.lStdParellel2, 60.0);
    EXPECT_EQ(layer.lFalseEasting, 1000);

    // MIF 10, 15 and 21 to 24 take the codes the MIF writer gives back.
    const std::pair<int, int> codes[] = {{2, 5},   {4, 10},  {9, 2},   {10, 23}, {11, 13},
                                         {12, 24}, {13, 14}, {14, 6},  {15, 7},  {16, 19},
                                         {20, 20}, {21, 21}, {24, 21}, {26, 12}, {27, 18}};
    for (auto [mif, code] : codes) {
        ASSERT_TRUE(ReadCoordSys(ctx, "CoordSys Earth Projection " + std::to_string(mif) +
                                          ", 104, \"m\", 17, 1, 1, 1, 1, 1"));
        EXPECT_EQ(layer.lProjection, code) << mif;
        EXPECT_EQ(layer.lOriginLongitude, 17.0) << mif;
    }
}

TEST(MifCoordSys, UnsupportedProjectionsAndUnitsAbortWithTheirMessage) {
    for (int mif : {0, 7, 25, 28}) {
        JobContext ctx;
        EXPECT_FALSE(ReadCoordSys(
            ctx, "CoordSys Earth Projection " + std::to_string(mif) + ", 104, \"m\", 0, 0, 1"));
        EXPECT_EQ(ctx.Log(), "\tProjection Not Supported. Aborting\r\n") << mif;
    }
    JobContext ctx;
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

TEST(MifCoordSys, NonEarthKeepsCoordinatesInTheirUnits) {
    const std::pair<const char*, int> cases[] = {{"\"m\"", 8},
                                                 {"\"ft\"", 2},
                                                 {"\"survey ft\"", 13},
                                                 {"\"nautical mile\"", 5},
                                                 {"\"mi\"", 4}};
    for (auto [unit, code] : cases) {
        JobContext ctx;
        ASSERT_TRUE(ReadCoordSys(
            ctx, std::string("CoordSys NonEarth Units ") + unit + " Bounds (0, 0) (100, 100)"));
        EXPECT_EQ(ctx.model.Layer.lCoordSys, 1);
        EXPECT_EQ(ctx.model.LayerKind.UnitCode, code) << unit;
        EXPECT_EQ(ctx.coordinateFactor, 1.0);
    }
    JobContext ctx;
    EXPECT_EQ(ReadMifUnit(ctx, "mi"), 4);
    EXPECT_EQ(ctx.coordinateFactor, 1609.344) << "metres per mile, like every other unit";
}

TEST(MifCoordSys, DatumNumbersToCatalogueCodes) {
    const std::pair<int, int> rows[] = {{0, 0},     {1, 4},     {33, 0},   {57, 110}, {65, 134},
                                        {104, 226}, {106, 228}, {107, -1}, {108, 0},  {112, -1},
                                        {114, 0},   {115, -1},  {1000, 0}, {-1, -1},  {9999, -1}};
    for (auto [mapInfo, code] : rows)
        EXPECT_EQ(MapInfoDatumToCode(mapInfo), code) << mapInfo;
}

TEST(MifCoordSys, ParametersOfThePreviousFileAreNotCarriedOver) {
    JobContext ctx;
    ASSERT_TRUE(
        ReadCoordSys(ctx, "CoordSys Earth Projection 8, 104, \"ft\", 3, 10, 0.9996, 500000, 7"));
    // The same engine reads the next file; only the reader stands between the two.
    test::TempDir dir;
    test::WriteFile(dir / "b.mif", test::MifText("", "CoordSys Earth Projection 1, 104\r\n"));
    ASSERT_TRUE(ReadMifFile(ctx, dir / "b.mif"));
    const LayerInfo& layer = ctx.model.Layer;
    EXPECT_EQ(layer.lProjection, 1);
    EXPECT_EQ(layer.lScaleFactor, 0.0);
    EXPECT_EQ(layer.lFalseNorthing, 0);
    EXPECT_EQ(layer.lUTMZone, 0);
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 0);
    EXPECT_EQ(ctx.coordinateFactor, 1.0);
}

TEST(MifCoordSys, MalformedClausesAreHeaderErrors) {
    for (const char* clause :
         {"CoordSys Earth Projection 3, 62",
          "CoordSys Earth Projection 8, 104, \"m\", x, 0, 1, 5, 0",
          "CoordSys Earth Projection one, 104, \"m\", 0, 0", "CoordSys NonEarth"}) {
        JobContext ctx;
        EXPECT_FALSE(ReadCoordSys(ctx, clause));
        EXPECT_EQ(ctx.Log(), "\tError Reading MIF Header\r\n") << clause;
    }
}

}  // namespace
}  // namespace vx

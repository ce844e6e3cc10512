#include "mif/mif_styles.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using Family = MifStyleFamily;

TEST(MifStyles, SwapRedBlueExchangesTheOuterBytes) {
    EXPECT_EQ(SwapRedBlue(16711680), 255);
    EXPECT_EQ(SwapRedBlue(255), 16711680);
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412);
    EXPECT_EQ(SwapRedBlue(16777215), 16777215);
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0xABCDEF)), 0xABCDEF);
}

TEST(MifStyles, RegionPatternTablesAtTheirEdges) {
    const std::pair<int, int> pens[] = {{0, 0},  {1, 5},    {2, 0},   {5, 9},    {22, 16},
                                        {25, 8}, {26, 0},   {46, 35}, {70, 0},   {71, 14},
                                        {96, 0}, {101, 31}, {104, 0}, {118, 34}, {119, 0}};
    for (auto [mif, stored] : pens)
        EXPECT_EQ(MapRegionPenPattern(mif), stored) << "pen " << mif;
    const std::pair<int, int> brushes[] = {{0, 1},  {2, 0},  {8, 7},  {9, 0},  {12, 0}, {13, 1},
                                           {20, 0}, {51, 7}, {64, 5}, {71, 3}, {72, 0}, {-1, 0}};
    for (auto [mif, stored] : brushes)
        EXPECT_EQ(MapRegionBrushPattern(mif), stored) << "brush " << mif;
}

TEST(MifStyles, PensAndBrushesFollowTheRuleOfTheirFamily) {
    EXPECT_EQ(MifPen(Family::kPline, "Pen (0,3,0)"), (PenStyle{1, 1, 0}));
    EXPECT_EQ(MifPen(Family::kLine, "Pen (0,3,0)"), (PenStyle{0, 1, 0}));
    EXPECT_EQ(MifPen(Family::kPline, "Pen (2,1,0)").PenPattern, 0) << "invisible is solid";
    EXPECT_EQ(MifPen(Family::kRegion, "Pen (2,1,0)").PenPattern, 5);
    EXPECT_EQ(MifPen(Family::kRect, "Pen (1,7,0)").PenPattern, 0);
    EXPECT_EQ(MifPen(Family::kRegion, "    PEN (3,2,16711680)"), (PenStyle{3, 0, 255}));
    EXPECT_EQ(DefaultMifPen(Family::kRect), (PenStyle{1, 2, 0}));

    EXPECT_EQ(MifBrush(Family::kRegion, "Brush (2,16711680)"), (BrushStyle{0, 255, 16777215}));
    EXPECT_EQ(MifBrush(Family::kRegion, "Brush (8,255,65280)"), (BrushStyle{7, 16711680, 65280}));
    EXPECT_EQ(MifBrush(Family::kRect, "Brush (2,16711680)"), (BrushStyle{0, 255, 0}));
    EXPECT_EQ(MifBrush(Family::kRect, "Brush (8,0,0)").BrushPattern, 0);
}

TEST(MifStyles, SymbolInItsThreeForms) {
    LayerModel ctx;
    PointObject point;
    ReadMifSymbol(ctx, "    Symbol (35,255,12)", point);
    EXPECT_EQ(point.PointStyle, 36);
    EXPECT_EQ(point.PointSize, 12);
    EXPECT_EQ(point.PointColor, 16711680);
    EXPECT_EQ(ctx.Fonts.Name(point.FontIndex), "MapInfo Symbols");

    ReadMifSymbol(ctx, "Symbol (64,0,10,\"Wingdings\",2,45)", point);
    EXPECT_EQ(point.PointStyle, 64);
    EXPECT_EQ(point.FontStyle, 2);
    EXPECT_EQ(point.PointRot, 45.0f);
    EXPECT_EQ(ctx.Fonts.Name(point.FontIndex), "Wingdings");

    ReadMifSymbol(ctx, "Symbol (\"pin1.bmp\",16711680,24,3)", point);
    EXPECT_EQ(point.PointStyle, -1);
    EXPECT_EQ(point.PointColor, 255);
    EXPECT_EQ(point.FontStyle, 3);
    EXPECT_EQ(point.PointRot, 0.0f);
    EXPECT_EQ(ctx.Fonts.Name(point.FontIndex), "\"pin1.bmp\"");

    ReadMifSymbol(ctx, "Symbol (40,0,8,\"WINGDINGS\",1,0)", point);
    EXPECT_EQ(point.FontIndex, 2) << "one font entry whatever the letter case";
}

}  // namespace
}  // namespace vx

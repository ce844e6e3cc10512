#include "mif/mif_styles.h"

#include <gtest/gtest.h>

#include "mif/mif_input.h"

namespace vx {
namespace {

using Family = MifStyleFamily;

TEST(MifStyles, SwapRedBlueExchangesTheOuterBytes) {
    EXPECT_EQ(SwapRedBlue(16711680), 255);
    EXPECT_EQ(SwapRedBlue(255), 16711680);
    EXPECT_EQ(SwapRedBlue(65280), 65280);
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412);
    EXPECT_EQ(SwapRedBlue(16777215), 16777215);
    EXPECT_EQ(SwapRedBlue(0), 0);
    for (std::int32_t color : {1, 0x010203, 0xABCDEF, 0x00FF01})
        EXPECT_EQ(SwapRedBlue(SwapRedBlue(color)), color) << color;
}

TEST(MifStyles, RegionPatternTablesAtTheirEdges) {
    const std::pair<int, int> pens[] = {
        {0, 0},   {1, 5},    {2, 0},    {5, 9},    {10, 8},   {19, 20}, {22, 16}, {25, 8},
        {26, 0},  {40, 0},   {41, 32},  {46, 35},  {47, 0},   {58, 33}, {62, 0},  {63, 29},
        {67, 28}, {70, 0},   {71, 14},  {77, 28},  {78, 0},   {85, 32}, {96, 0},  {101, 31},
        {104, 0}, {113, 33}, {114, 32}, {117, 31}, {118, 34}, {119, 0}, {-3, 0},
    };
    for (auto [mif, stored] : pens)
        EXPECT_EQ(MapRegionPenPattern(mif), stored) << "pen " << mif;

    const std::pair<int, int> brushes[] = {
        {0, 1},  {1, 1},  {2, 0},  {8, 7},  {9, 0},  {11, 0}, {12, 0}, {13, 1}, {19, 2}, {20, 0},
        {21, 2}, {28, 3}, {33, 5}, {38, 4}, {43, 6}, {47, 7}, {50, 2}, {51, 7}, {53, 2}, {55, 7},
        {60, 6}, {61, 5}, {63, 2}, {64, 5}, {65, 2}, {69, 4}, {71, 3}, {72, 0}, {-1, 0},
    };
    for (auto [mif, stored] : brushes)
        EXPECT_EQ(MapRegionBrushPattern(mif), stored) << "brush " << mif;
}

TEST(MifStyles, PensFollowTheRuleOfTheirFamily) {
    EXPECT_EQ(MifPen(Family::kPline, "Pen (0,3,0)"), (PenStyle{1, 1, 0}));
    EXPECT_EQ(MifPen(Family::kLine, "Pen (0,3,0)"), (PenStyle{0, 1, 0}));
    EXPECT_EQ(MifPen(Family::kPline, "Pen (2,1,0)").PenPattern, 0) << "invisible is solid";
    EXPECT_EQ(MifPen(Family::kRegion, "Pen (2,1,0)").PenPattern, 5);
    EXPECT_EQ(MifPen(Family::kRect, "Pen (1,6,0)").PenPattern, 4);
    EXPECT_EQ(MifPen(Family::kRect, "Pen (1,7,0)").PenPattern, 0);
    EXPECT_EQ(MifPen(Family::kRegion, "    PEN (3,2,16711680)"), (PenStyle{3, 0, 255}));
    EXPECT_EQ(MifPen(Family::kLine, "Pen (1, 2, 255) extra"), (PenStyle{1, 0, 16711680}));

    EXPECT_EQ(DefaultMifPen(Family::kPline), (PenStyle{1, 0, 0}));
    EXPECT_EQ(DefaultMifPen(Family::kRegion), (PenStyle{1, 0, 0}));
    EXPECT_EQ(DefaultMifPen(Family::kRect), (PenStyle{1, 2, 0}));
}

TEST(MifStyles, BrushesOfRegionsAndRectangles) {
    EXPECT_EQ(MifBrush(Family::kRegion, "Brush (2,16711680)"), (BrushStyle{0, 255, 16777215}));
    EXPECT_EQ(MifBrush(Family::kRegion, "Brush (8,255,65280)"), (BrushStyle{7, 16711680, 65280}));
    EXPECT_EQ(MifBrush(Family::kRect, "Brush (2,16711680)"), (BrushStyle{0, 255, 0}));
    EXPECT_EQ(MifBrush(Family::kRect, "Brush (7,0,255)"), (BrushStyle{5, 0, 16711680}));
    EXPECT_EQ(MifBrush(Family::kRect, "Brush (8,0,0)").BrushPattern, 0);
    EXPECT_EQ(DefaultMifBrush(Family::kRegion), (BrushStyle{1, 16777215, 0}));
    EXPECT_EQ(DefaultMifBrush(Family::kRect), (BrushStyle{2, 16777215, 0}));
}

TEST(MifStyles, ContoursTakeTheFillColourOnlyWhenAskedFor) {
    JobContext ctx;
    PenStyle pen{1, 0, 0};
    const BrushStyle brush{0, 255, 16777215};
    ApplyContours(ctx, pen, brush);
    EXPECT_EQ(pen.PenColor, 0);
    ctx.options.CreateContours = true;
    ApplyContours(ctx, pen, brush);
    EXPECT_EQ(pen, (PenStyle{1, 0, 255}));
}

TEST(MifStyles, MalformedClausesThrow) {
    EXPECT_THROW(MifPen(Family::kPline, "Pen 1 2 3"), MifReadError);
    EXPECT_THROW(MifPen(Family::kRegion, "Pen (1,2)"), MifReadError);
    EXPECT_THROW(MifPen(Family::kLine, "Pen (1,x,0)"), MifReadError);
    EXPECT_THROW(MifBrush(Family::kRegion, "Brush (2)"), MifReadError);
    EXPECT_THROW(MifPen(Family::kLine, "Pen (1,2,99999999999)"), MifReadError);
}

TEST(MifStyles, SymbolInItsThreeForms) {
    JobContext ctx;
    PointObject point;
    ReadMifSymbol(ctx, "    Symbol (35,255,12)", point);
    EXPECT_EQ(point.PointStyle, 36);
    EXPECT_EQ(point.PointSize, 12);
    EXPECT_EQ(point.PointColor, 16711680);
    EXPECT_EQ(point.FontStyle, 0);
    EXPECT_EQ(ctx.model.Fonts.Name(point.FontIndex), "MapInfo Symbols");

    ReadMifSymbol(ctx, "Symbol (64,0,10,\"Wingdings\",0,45)", point);
    EXPECT_EQ(point.PointStyle, 64);
    EXPECT_EQ(point.PointSize, 10);
    EXPECT_EQ(point.FontStyle, 0);
    EXPECT_EQ(point.PointRot, 45.0f);
    EXPECT_EQ(ctx.model.Fonts.Name(point.FontIndex), "Wingdings");

    ReadMifSymbol(ctx, "Symbol (\"pin1.bmp\",16711680,24,3)", point);
    EXPECT_EQ(point.PointStyle, -1);
    EXPECT_EQ(point.PointSize, 24);
    EXPECT_EQ(point.PointColor, 255);
    EXPECT_EQ(point.FontStyle, 3);
    EXPECT_EQ(point.PointRot, 0.0f);
    EXPECT_EQ(ctx.model.Fonts.Name(point.FontIndex), "\"pin1.bmp\"");

    // One font entry per name, whatever its letter case.
    PointObject other;
    ReadMifSymbol(ctx, "Symbol (40,0,8,\"WINGDINGS\",1,0)", other);
    EXPECT_EQ(ctx.model.Fonts.Count(), 3);
    EXPECT_EQ(other.FontIndex, 2);

    EXPECT_THROW(ReadMifSymbol(ctx, "Symbol (35,255)", other), MifReadError);
    EXPECT_THROW(ReadMifSymbol(ctx, "Symbol (64,0,10,\"Wingdings\",0)", other), MifReadError);
}

TEST(MifStyles, DefaultSymbolAndTextSymbol) {
    JobContext ctx;
    PointObject point;
    point.PointRot = 7.0f;
    SetDefaultSymbol(ctx, point);
    EXPECT_EQ(point.PointStyle, 196);
    EXPECT_EQ(point.PointSize, 10);
    EXPECT_EQ(point.PointColor, 0);
    EXPECT_EQ(point.PointRot, 0.0f);
    EXPECT_EQ(ctx.model.Fonts.Name(point.FontIndex), "Symbol");

    // A text's colour is the Font clause's fore colour, converted like every other colour.
    PointObject text;
    SetTextSymbol(ctx, "    Font (\"Arial\",1,0,16711680)", text);
    EXPECT_EQ(text.PointStyle, 196);
    EXPECT_EQ(text.PointSize, 10);
    EXPECT_EQ(text.FontStyle, 1);
    EXPECT_EQ(text.PointColor, 255);
    EXPECT_EQ(text.FontIndex, point.FontIndex);
    SetTextSymbol(ctx, "", text);
    EXPECT_EQ(text.PointColor, 0);
    EXPECT_EQ(text.FontStyle, 0);
    EXPECT_THROW(SetTextSymbol(ctx, "Font (\"Arial\",1,0)", text), MifReadError);
}

}  // namespace
}  // namespace vx

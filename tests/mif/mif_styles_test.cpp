#include "mif/mif_styles.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using Family = MifStyleFamily;

TEST(MifStyles, PensAndBrushesFollowTheRuleOfTheirFamily) {
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412);
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
    // The region family's pattern tables at their edges.
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

TEST(MifStyles, SymbolInItsThreeForms) {
    LayerModel model;
    PointObject p;
    auto symbol = [&](const char* clause) {
        ReadMifSymbol(model, clause, p);
        return std::tuple(p.PointStyle, p.PointSize, p.PointColor, p.FontStyle, p.PointRot,
                          model.Fonts.Name(p.FontIndex));
    };
    EXPECT_EQ(symbol("    Symbol (35,255,12)"),
              std::tuple(36, 12, 16711680, 0, 0.0f, "MapInfo Symbols"));
    EXPECT_EQ(symbol("Symbol (64,0,10,\"Wingdings\",2,45)"),
              std::tuple(64, 10, 0, 2, 45.0f, "Wingdings"));
    EXPECT_EQ(symbol("Symbol (\"pin1.bmp\",16711680,24,3)"),
              std::tuple(-1, 24, 255, 3, 0.0f, "\"pin1.bmp\""));
    symbol("Symbol (40,0,8,\"WINGDINGS\",1,0)");
    EXPECT_EQ(p.FontIndex, 2) << "one font entry whatever the letter case";
}

}  // namespace
}  // namespace vx

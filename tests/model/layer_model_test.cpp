#include "model/layer_model.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace vx {
namespace {

TEST(StyleTables, FirstEqualEntryWinsAndIndicesStartAtOne) {
    LayerModel model;
    // A pen differing only in colour is new; brush fore and back colour are not interchangeable.
    EXPECT_EQ(model.FindPenIndex({1, 2, 0xFF0000}), 1);
    EXPECT_EQ(model.FindPenIndex({1, 2, 0x00FF00}), 2);
    EXPECT_EQ(model.FindPenIndex({1, 2, 0xFF0000}), 1);
    EXPECT_EQ(model.FindBrushIndex({2, 5, 7}), 1);
    EXPECT_EQ(model.FindBrushIndex({2, 7, 5}), 2);
    EXPECT_EQ(model.Brushes.At(2).BrushForeColor, 7);
    // Font names match without case and keep the first spelling.
    EXPECT_EQ(model.FindFontIndex("MapInfo Symbols"), 1);
    EXPECT_EQ(model.FindFontIndex("MAPINFO SYMBOLS"), 1);
    EXPECT_EQ(model.FindFontIndex("Wingdings"), 2);
    EXPECT_EQ(model.Fonts.Name(1), "MapInfo Symbols");
    EXPECT_EQ(model.Fonts.Length(1), 15);
    // Entries read from a file keep their duplicates; look-ups find the first.
    PenTable pens;
    pens.Append({1, 2, 3});
    pens.Append({1, 2, 3});
    EXPECT_EQ(pens.Count(), 2);
    EXPECT_EQ(pens.FindOrAdd({1, 2, 3}), 1);
    FontTable fonts;
    fonts.Append("Symbol", 6);
    fonts.Append("symbol", 6);
    EXPECT_EQ(fonts.FindOrAdd("SYMBOL"), 1);
    // Indices read from a damaged layer can be anything; none reaches outside a table.
    for (const std::int32_t index : {0, 3, -1, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_THROW(pens.At(index), std::out_of_range) << index;
        EXPECT_THROW(fonts.Name(index), std::out_of_range) << index;
        EXPECT_THROW(fonts.Length(index), std::out_of_range) << index;
    }
}

TEST(StyleTables, ManyDistinctPensStayDistinctAndStable) {
    LayerModel model;
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(model.FindPenIndex({1, 2, i}), i + 1);
    // Hash collisions never merge different pens, and every index stays what it was.
    for (int i = n - 1; i >= 0; i -= 7)
        ASSERT_EQ(model.FindPenIndex({1, 2, i}), i + 1);
    EXPECT_EQ(model.FindPenIndex({2, 1, 0}), n + 1);
}

TEST(LayerModel, ClearLeavesNothingOfThePreviousJob) {
    LayerModel model;
    model.PointCount = 3;
    model.Points.resize(3);
    model.FindPenIndex({1, 1, 1});
    model.FindFontIndex("Symbol");
    model.ObjectOrder.push_back(kOrderText);
    model.Clear();
    EXPECT_EQ(model.PointCount, 0);
    EXPECT_TRUE(model.Points.empty());
    EXPECT_EQ(model.Fonts.Count(), 0);
    EXPECT_TRUE(model.ObjectOrder.empty());
    EXPECT_EQ(model.FindPenIndex({1, 1, 1}), 1) << "indices start again at 1 after a clear";
    EXPECT_EQ(model.Pens.Count(), 1);
}

}  // namespace
}  // namespace vx

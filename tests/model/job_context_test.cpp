#include "model/job_context.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(JobContext, ReportingAppendsStoresAndRaisesInOrder) {
    JobContext ctx;
    std::vector<std::string> first, second;
    ctx.Subscribe([&](const std::string& s) { first.push_back(s); });
    ctx.Subscribe([&](const std::string& s) { second.push_back(s); });
    ctx.ReportStage("Checking Input Files...");
    ctx.AppendLog("Source file does not exist.");
    ctx.SetStatus("Source file does not exist.");
    ctx.RaiseStatus();
    EXPECT_EQ(ctx.Log(), "\tChecking Input Files...\r\nSource file does not exist.");
    EXPECT_EQ(ctx.StatusText(), "Source file does not exist.");
    std::vector<std::string> expected{"\tChecking Input Files...\r\n",
                                      "Source file does not exist."};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
}

TEST(JobContext, ResetClearsTheJobButKeepsLogStatusAndAsciiLayer) {
    JobContext ctx;
    ctx.options.CreateContours = true;
    ctx.options.CreateDbf = true;
    ctx.outputName = "roads.vxv";
    ctx.delimiter = ';';
    ctx.coordinateFactor = 0.3048;
    ctx.coordProjection = 3;
    ctx.sourceIdColumn = 2;
    ctx.unsupportedShapes = true;
    ctx.model.RegionCount = 1;
    ctx.asciiLayer.lProjection = 8;
    ctx.Fail();
    ctx.Report("line\r\n");
    ctx.ResetJob();
    EXPECT_FALSE(ctx.options.CreateContours) << "contours are off whenever a reader runs";
    EXPECT_TRUE(ctx.options.CreateDbf);
    EXPECT_FALSE(ctx.Failed());
    EXPECT_EQ(ctx.outputName, "");
    EXPECT_EQ(ctx.delimiter, ',');
    EXPECT_EQ(ctx.coordinateFactor, 1.0);
    EXPECT_EQ(ctx.coordProjection, -1);
    EXPECT_EQ(ctx.coordDatum, -1);
    EXPECT_EQ(ctx.sourceIdColumn, -1);
    EXPECT_FALSE(ctx.unsupportedShapes);
    EXPECT_EQ(ctx.model.RegionCount, 0);
    EXPECT_EQ(ctx.Log(), "line\r\n");
    EXPECT_EQ(ctx.StatusText(), "line\r\n");
    EXPECT_EQ(ctx.asciiLayer.lProjection, 8);
}

TEST(JobContext, AsciiLayerStartsAsNonEarthWithItsBounds) {
    JobContext ctx;
    EXPECT_EQ(ctx.asciiLayer.lCoordSys, 1);
    EXPECT_EQ(ctx.asciiLayer.MinX, -90.0);
    EXPECT_EQ(ctx.asciiLayer.MinY, -45.0);
    EXPECT_EQ(ctx.asciiLayer.MaxX, 90.0);
    EXPECT_EQ(ctx.asciiLayer.MaxY, 45.0);
    EXPECT_EQ(ctx.asciiLayer.lDatum, 0);
}

}  // namespace
}  // namespace vx

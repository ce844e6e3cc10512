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

TEST(JobContext, ResetClearsTheJobButKeepsLogAndStatus) {
    JobContext ctx;
    ctx.options.CreateContours = true;
    ctx.options.CreateDbf = true;
    ctx.outputName = "roads.vxv";
    ctx.midPresent = true;
    ctx.Fail();
    ctx.Report("line\r\n");
    ctx.ResetJob();
    EXPECT_FALSE(ctx.options.CreateContours) << "contours are off whenever a reader runs";
    EXPECT_TRUE(ctx.options.CreateDbf);
    EXPECT_FALSE(ctx.Failed());
    EXPECT_EQ(ctx.outputName, "");
    EXPECT_FALSE(ctx.midPresent);
    EXPECT_EQ(ctx.Log(), "line\r\n");
    EXPECT_EQ(ctx.StatusText(), "line\r\n");
}

}  // namespace
}  // namespace vx

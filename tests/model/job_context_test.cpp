#include "model/job_context.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(JobContext, ReportingAppendsStoresAndRaisesInOrder) {
    JobContext ctx;
    std::vector<std::string> first, second;
    ctx.Subscribe([&](const std::string& s) { first.push_back(s); });
    const std::size_t gone = ctx.Subscribe([&](const std::string& s) { second.push_back(s); });
    ctx.ReportStage("Checking Input Files...");
    ctx.Refuse("Source file does not exist.");
    ctx.RaiseStatus();
    ctx.Unsubscribe(gone);
    ctx.Report("last");
    // The refusal's open line is ended before the next report.
    EXPECT_EQ(ctx.Log(), "\tChecking Input Files...\r\nSource file does not exist.\r\nlast");
    const std::vector<std::string> raised{"\tChecking Input Files...\r\n",
                                          "Source file does not exist."};
    EXPECT_EQ(second, raised);
    EXPECT_EQ(first, (std::vector<std::string>{raised[0], raised[1], "last"}));
    EXPECT_TRUE(ctx.Failed());
    const std::string log = ctx.Log();

    // A new job clears its names, the failure and the contours switch, but not the log, the
    // status text or the other switches.
    ctx.options = {.CreateDbf = true, .CreateContours = true};
    ctx.outputName = "roads.vxv";
    ctx.midPresent = true;
    ctx.ResetJob();
    EXPECT_FALSE(ctx.options.CreateContours) << "contours are off whenever a reader runs";
    EXPECT_TRUE(ctx.options.CreateDbf);
    EXPECT_FALSE(ctx.Failed());
    EXPECT_EQ(ctx.outputName, "");
    EXPECT_FALSE(ctx.midPresent);
    EXPECT_EQ(ctx.StatusText(), "last");
    EXPECT_EQ(ctx.Log(), log);
}

}  // namespace
}  // namespace vx

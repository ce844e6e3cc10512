#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vx {
namespace {

test::CommandResult Vxtranslate(const std::string& args) {
    return test::RunCommand(test::BinDir() + "/vxtranslate " + args);
}

TEST(CommandLine, HelpAndVersionExitZero) {
    auto help = Vxtranslate("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("vxtranslate import FORMAT FILE... [OPTIONS]"), std::string::npos);
    EXPECT_NE(help.out.find("--delete-source"), std::string::npos);
    EXPECT_EQ(Vxtranslate("import mif -h").status, 0);
    auto version = Vxtranslate("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find(VX_VERSION), std::string::npos);
}

TEST(CommandLine, UsageErrorsExitTwoAndSayWhy) {
    struct Case {
        const char* args;
        const char* says;
    };
    for (const Case& c :
         {Case{"import mif a.mif --frobnicate", "unknown option --frobnicate"},
          Case{"", "missing direction"}, Case{"convert mif a.mif", "unknown direction"},
          Case{"export dgn a.vxv", "unknown format"}, Case{"import", "missing format"},
          Case{"import mif", "no files"}, Case{"import mif a.mif -o", "needs a value"},
          Case{"import mif a.mif --log=", "needs a value"}}) {
        auto r = Vxtranslate(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
}

TEST(CommandLine, RoutesNotInThisBuildExitTwo) {
    // Each route answers like this until its driver is built and wired.
    auto r = Vxtranslate("import tab a.tab");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not available in this build"), std::string::npos) << r.err;
}

TEST(CommandLine, ParsesOptionsAnywhere) {
    CommandLine command;
    std::string error;
    ASSERT_EQ(
        ParseCommandLine({"--overwrite", "import", "SHP", "a.shp", "-o", "out", "b.shp", "--no-dbf",
                          "--subfolder", "--delete-source", "-q", "--log=run.log", "--", "-c.shp"},
                         command, error),
        ParseOutcome::kRun)
        << error;
    EXPECT_EQ(command.direction, "import");
    EXPECT_EQ(command.format, "shp");
    EXPECT_EQ(command.files, (std::vector<std::string>{"a.shp", "b.shp", "-c.shp"}));
    EXPECT_EQ(command.outputFolder, "out");
    EXPECT_EQ(command.logFile, "run.log");
    EXPECT_TRUE(command.overwrite);
    EXPECT_FALSE(command.createDbf);
    EXPECT_TRUE(command.subfolder);
    EXPECT_TRUE(command.deleteSource);
    EXPECT_TRUE(command.quiet);
}

}  // namespace
}  // namespace vx

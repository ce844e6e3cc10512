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

TEST(CommandLine, MifImportPrintsItsLinesAndSavesTheLog) {
    test::TempDir dir;
    const std::string mif =
        "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n  Name Char(10)\r\nData\r\n"
        "Point 1 2\r\n";
    test::WriteFile(dir / "in/a-b.mif", mif);
    test::WriteFile(dir / "in/a-b.mid", "\"x\"\r\n");
    test::WriteFile(dir / "in/nomid.mif", mif);
    auto first = Vxtranslate("import mif " + (dir / "in/a-b.mif") + " -o " + (dir / "out"));
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("Importing MIF File a-b.mif\n\tChecking Input Files...\n"),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("\tImport Successfully Completed.\n"), std::string::npos);
    EXPECT_TRUE(test::ReadFile(dir / "out/a_b.vxv").size() > 0);

    // Again without --overwrite, with a missing source and a MIF without its MID: every file
    // fails with its own line, and the run says so once.
    auto second = Vxtranslate("import mif " + (dir / "in/a-b.mif") + " " + (dir / "in/none.mif") +
                              " " + (dir / "in/nomid.mif") + " -o " + (dir / "out") + " --log " +
                              (dir / "run.log"));
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "One or More files were not imported\n");
    for (const char* line : {"MIF Import Aborted", "Source file does not exist.",
                             "\tDBF file does not exist. MIF Import Aborted"}) {
        EXPECT_NE(second.out.find(line), std::string::npos) << line << " in " << second.out;
    }
    const std::string log = test::ReadFile(dir / "run.log");
    for (const char* line : {"MIF Import Aborted", "Source file does not exist.",
                             "\tDBF File does not exist. MIF Import Aborted\r\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " in the saved log";
    }

    auto quiet = Vxtranslate("import mif -q " + (dir / "in/a-b.mif") + " " + (dir / "in/none.mif") +
                             " -o " + (dir / "out2"));
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "");
    EXPECT_NE(quiet.err.find("Source file does not exist."), std::string::npos);
    EXPECT_EQ(quiet.err.find("a-b.mif"), std::string::npos) << "the converted file stays quiet";
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

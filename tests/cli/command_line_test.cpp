#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vx {
namespace {

test::CommandResult Vxtranslate(const std::string& args) {
    return test::RunCommand(test::BinDir() + "/vxtranslate " + args);
}

TEST(CommandLine, HelpAndVersionExitZeroAndUsageErrorsTwoSayingWhy) {
    const test::CommandResult help = Vxtranslate("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("vxtranslate import FORMAT FILE... [OPTIONS]"), std::string::npos);
    EXPECT_NE(help.out.find("--delete-source"), std::string::npos);
    EXPECT_EQ(Vxtranslate("import mif -h").status, 0);
    const test::CommandResult version = Vxtranslate("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find(VX_VERSION), std::string::npos);

    for (const auto& [args, says] :
         {std::pair{"import mif a.mif --frobnicate", "unknown option --frobnicate"},
          {"", "missing direction"},
          {"convert mif a.mif", "unknown direction"},
          {"export dgn a.vxv", "unknown format"},
          {"import", "missing format"},
          {"import mif", "no files"},
          {"import mif a.mif -o", "needs a value"},
          {"import mif a.mif --log=", "needs a value"}}) {
        const test::CommandResult r = Vxtranslate(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find(says), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
}

TEST(CommandLine, MifImportPrintsItsLinesAndSavesTheLog) {
    test::TempDir dir;
    const std::string mif =
        "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n"
        "  Name Char(10)\r\nData\r\nPoint 1 2\r\n";
    test::WriteFile(dir / "in/a-b.mif", mif);
    test::WriteFile(dir / "in/a-b.mid", "\"x\"\r\n");
    test::WriteFile(dir / "in/nomid.mif", mif);
    const std::string good = dir / "in/a-b.mif", missing = dir / "in/none.mif";
    const test::CommandResult first = Vxtranslate("import mif " + good + " -o " + (dir / "out"));
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("Importing MIF File a-b.mif\n\tChecking Input Files...\n"),
              std::string::npos)
        << first.out;
    EXPECT_NE(first.out.find("\tImport Successfully Completed.\n"), std::string::npos);
    EXPECT_FALSE(test::ReadFile(dir / "out/a_b.vxv").empty());

    // Again without --overwrite, with a missing source and a MIF without its MID: every file
    // fails with its own line, and the run says so once.
    const test::CommandResult second =
        Vxtranslate("import mif " + good + " " + missing + " " + (dir / "in/nomid.mif") + " -o " +
                    (dir / "out") + " --log " + (dir / "run.log"));
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "One or More files were not imported\n    " + good + "\n    " + missing +
                              "\n    " + (dir / "in/nomid.mif") + "\n");
    const std::string log = test::ReadFile(dir / "run.log");
    for (const char* line : {"MIF Import Aborted", "Source file does not exist."}) {
        EXPECT_NE(second.out.find(line), std::string::npos) << line << " in " << second.out;
        EXPECT_NE(log.find(line), std::string::npos) << line << " in the saved log";
    }
    EXPECT_NE(second.out.find("\tDBF file does not exist. MIF Import Aborted"), std::string::npos);
    EXPECT_NE(log.find("\tDBF File does not exist. MIF Import Aborted\r\n"), std::string::npos);

    const test::CommandResult quiet =
        Vxtranslate("import mif -q " + good + " " + missing + " -o " + (dir / "out2"));
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
    EXPECT_TRUE(command.overwrite && command.subfolder && command.deleteSource && command.quiet);
    EXPECT_FALSE(command.createDbf);
}

}  // namespace
}  // namespace vx

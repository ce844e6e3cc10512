// Outputs staged beside their final names: a commit replaces the older set as a whole, and
// what a killed run left is finished or removed by the next one, never while its owner lives.
#include "platform/output_stage.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputStage, CommitReplacesTheSetAndRetiresWhatIsNotRenewed) {
    test::TempDir dir;
    test::WriteFile(dir / "out/a.vxv", "old a");
    test::WriteFile(dir / "out/a.DBF", "old table, other spelling");
    test::WriteFile(dir / "out/keep.txt", "not ours");
    OutputStage stage;
    stage.Retire(dir / "out/a.vxv");
    stage.Retire(dir / "out/a.DBF");
    std::string error;
    ASSERT_TRUE(stage.Open(dir / "out", error)) << error;
    test::WriteFile(stage.PathOf("a.vxv"), "new a");
    test::WriteFile(stage.PathOf("a.dbf"), "new table");
    // Nothing shows in the folder before the commit.
    EXPECT_EQ(test::ReadFile(dir / "out/a.vxv"), "old a");
    EXPECT_EQ(stage.InFinalNames("Cannot write " + stage.PathOf("a.dbf") + ": x"),
              "Cannot write " + (dir / "out/a.dbf") + ": x");
    ASSERT_TRUE(stage.Commit(error)) << error;
    EXPECT_EQ(Listing(dir / "out"), (std::vector<std::string>{"a.dbf", "a.vxv", "keep.txt"}));
    EXPECT_EQ(test::ReadFile(dir / "out/a.vxv"), "new a");

    // An abandoned stage leaves the folder as it was; so does a commit that meets a folder
    // at a final name, which says so.
    ASSERT_TRUE(stage.Open(dir / "out", error));
    test::WriteFile(stage.PathOf("a.vxv"), "never");
    stage.Abandon();
    ASSERT_TRUE(stage.Open(dir / "out", error));
    test::WriteFile(stage.PathOf("a.vxv"), "never");
    test::WriteFile(stage.PathOf("b.vxv"), "never");
    fs::create_directory(dir / "out/b.vxv");
    EXPECT_FALSE(stage.Commit(error));
    EXPECT_NE(error.find(dir / "out/b.vxv"), std::string::npos) << error;
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_EQ(Listing(dir / "out"),
              (std::vector<std::string>{"a.dbf", "a.vxv", "b.vxv", "keep.txt"}));
    EXPECT_EQ(test::ReadFile(dir / "out/a.vxv"), "new a");
}

// A stage a killed run left: its name, files, an optional journal, and an age.
struct Leftover {
    const char* name;
    bool journal;      // the commit had begun: its moves are finished
    bool old = true;   // made before this run started
    bool held = false; // a live process still holds it
    bool recovered;    // what the next job into the folder does with it
};

TEST(OutputStage, TheNextJobFinishesCommittedLeftoversAndRemovesTheRest) {
    const Leftover cases[] = {
        {".vxtranslate-aaaaaa", true, true, false, true},
        {".vxtranslate-bbbbbb", false, true, false, true},
        {".vxtranslate-cccccc", true, false, false, false},  // younger than the run
        {".vxtranslate-dddddd", true, true, true, false},    // its owner still runs
        {".vxtranslate-toolong", true, true, false, false},  // not our pattern
    };
    for (const Leftover& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string stage = dir / c.name;
        test::WriteFile(dir / "layer.vxv", "old");
        test::WriteFile(dir / "layer_pt.vxv", "old, not renewed");
        test::WriteFile(stage + "/layer.vxv", "new");
        if (c.journal) {
            const std::string journal = std::string("Mlayer.vxv") + '\0' + "R" +
                                        (dir / "layer_pt.vxv") + '\0' + "R" +
                                        (dir / "layer.vxv") + '\0' + "E" + '\0';
            test::WriteFile(stage + "/.vxtranslate-commit", journal);
        }
        if (c.old) {
            const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, stage.c_str(), past, 0), 0);
        }
        const int holder = c.held ? ::open(stage.c_str(), O_RDONLY | O_DIRECTORY) : -1;
        if (c.held) {
            ASSERT_EQ(flock(holder, LOCK_EX), 0);
        }

        RecoverStages(dir.path());
        if (holder >= 0) ::close(holder);
        EXPECT_EQ(fs::exists(stage), !c.recovered);
        const bool finished = c.recovered && c.journal;
        EXPECT_EQ(test::ReadFile(dir / "layer.vxv"), finished ? "new" : "old");
        EXPECT_EQ(fs::exists(dir / "layer_pt.vxv"), !finished);
    }
}

}  // namespace
}  // namespace vx

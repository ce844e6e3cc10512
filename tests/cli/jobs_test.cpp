// Converting several files at once: the same files and the same log as one at a time, and
// outputs that two files would both write refused before anything starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// Every file below `root` by its relative path, with its bytes; a saved log without the line
// that gives the time it was saved.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string bytes = test::ReadFile(entry.path().string());
        if (entry.path().extension() == ".log") {
            const auto at = bytes.find("Created :");
            if (at != std::string::npos) bytes.erase(at, bytes.find('\n', at) - at);
        }
        files[fs::relative(entry.path(), root).string()] = std::move(bytes);
    }
    return files;
}

TEST(Jobs, TwoAtOnceWriteWhatOneAtATimeWrites) {
    test::TempDir dir;
    const std::string script = std::string(VX_SOURCE_TREE) + "/scripts/convert_samples.sh ";
    for (const char* jobs : {"1", "2"}) {
        const auto run = test::RunCommand("VX_JOBS=" + std::string(jobs) + " " + script +
                                          (dir / jobs) + " " + test::BinDir());
        ASSERT_EQ(run.status, 0) << run.out << run.err;
    }
    const auto one = Tree(dir / "1");
    const auto two = Tree(dir / "2");
    ASSERT_GT(one.size(), 50u) << "the samples convert to several dozen files";
    EXPECT_EQ(one.size(), two.size());
    for (const auto& [path, bytes] : one) {
        ASSERT_TRUE(two.count(path)) << path;
        EXPECT_TRUE(two.at(path) == bytes) << path << " differs with two at once";
    }
}

TEST(Jobs, OutputsTwoFilesWouldShareAreRefusedBeforeAnythingStarts) {
    test::TempDir dir;
    const std::string mif = test::ReadFile(std::string(VX_SOURCE_TREE) + "/samples/town.mif");
    const std::string mid = test::ReadFile(std::string(VX_SOURCE_TREE) + "/samples/town.mid");
    test::WriteFile(dir / "a/town.mif", mif);
    test::WriteFile(dir / "a/town.mid", mid);
    // The town of b has one more point, and a row for it.
    const std::string row = mid.substr(mid.rfind('\n', mid.size() - 2) + 1);
    test::WriteFile(dir / "b/town.mif", mif + "Point 1 2\r\n");
    test::WriteFile(dir / "b/town.mid", mid + row);
    test::WriteFile(dir / "b/other.mif", mif);
    test::WriteFile(dir / "b/other.mid", mid);
    ASSERT_EQ(test::RunCommand(test::BinDir() + "/vxtranslate import mif '" + (dir / "a/town.mif") +
                               "' -o '" + (dir / "alone") + "' -q")
                  .status,
              0);
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const std::string out = dir / ("out" + std::string(jobs));
        const auto run =
            test::RunCommand(test::BinDir() + "/vxtranslate import mif '" + (dir / "a/town.mif") +
                             "' '" + (dir / "b/town.mif") + "' '" + (dir / "b/other.mif") +
                             "' -o '" + out + "' --overwrite -q --jobs " + jobs);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find((dir / "b/town.mif") + " would write what " + (dir / "a/town.mif")),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("One or More files were not imported"), std::string::npos);
        // The first and the file that clashes with nothing are converted; the refused one
        // wrote nothing over the first one's layers.
        EXPECT_TRUE(FileExists(out + "/other_rg.vxv"));
        for (const char* layer : {"town_pt.vxv", "town_pt.vxs", "town_pt.dbf", "town_rg.vxv"})
            EXPECT_EQ(test::ReadFile(out + "/" + layer),
                      test::ReadFile(dir / ("alone/" + std::string(layer))))
                << layer;
    }
}

}  // namespace
}  // namespace vx

// Runs cut short: killed at any moment, stopped by a signal, or out of disk space. The output
// folder must then hold the older set byte for byte or the complete new one, never a mix and
// never a partial file.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace vx {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

bool IsStage(const fs::path& path) {
    return path.filename().string().rfind(".vxtranslate-", 0) == 0;
}

// The files a user sees below `root`, by relative path, with their bytes; our stages are
// left out, and so are the files of the small job that clears them.
Tree Visible(const std::string& root) {
    Tree files;
    if (!fs::exists(root)) return files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (IsStage(it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || it->path().stem() == "tiny") continue;
        files[fs::relative(it->path(), root).string()] = test::ReadFile(it->path().string());
    }
    return files;
}

std::vector<std::string> Stages(const std::string& root) {
    std::vector<std::string> stages;
    if (!fs::exists(root)) return stages;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (IsStage(entry.path())) stages.push_back(entry.path().string());
    }
    return stages;
}

std::string Names(const Tree& tree) {
    std::string names;
    for (const auto& [name, bytes] : tree)
        names += name + " (" + std::to_string(bytes.size()) + ") ";
    return names;
}

// A MIF with `regions` squares of `vertices` corners, then `points` points, and its MID.
void WriteSource(const std::string& mifPath, int regions, int vertices, int points) {
    std::string mif =
        "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
        "CoordSys Earth Projection 1, 104\r\nColumns 2\r\n  Id Integer\r\n  Name Char(12)\r\n"
        "Data\r\n\r\n";
    std::string mid;
    int id = 0;
    for (int r = 0; r < regions; ++r) {
        mif += "Region 1\r\n  " + std::to_string(vertices + 1) + "\r\n";
        const double x = (r % 300) * 0.01;
        const double y = (r / 300) * 0.01;
        for (int v = 0; v <= vertices; ++v) {
            const int k = v % vertices;
            mif += std::to_string(x + 0.001 * k) + " " + std::to_string(y + 0.0005 * (k % 2)) +
                   "\r\n";
        }
        mid += std::to_string(++id) + ",\"region " + std::to_string(r % 1000) + "\"\r\n";
    }
    for (int p = 0; p < points; ++p) {
        mif += "Point " + std::to_string(p * 0.001) + " 1.5\r\n";
        mid += std::to_string(++id) + ",\"point\"\r\n";
    }
    test::WriteFile(mifPath, mif);
    test::WriteFile(mifPath.substr(0, mifPath.size() - 4) + ".mid", mid);
}

// Starts vxtranslate with `args`, its output thrown away.
pid_t Start(const std::vector<std::string>& args) {
    const std::string program = test::BinDir() + "/vxtranslate";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status, or 128 plus the signal that ended it.
int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunToEnd(const std::vector<std::string>& args) {
    return Wait(Start(args));
}

// One route, run over an older set of the same names.
struct Route {
    const char* name;
    std::vector<std::string> newRun;  // the run that is cut short; its output folder is "out"
    std::string oldSource;            // the source of the older set, in place of newRun's
};

class InterruptedRuns : public ::testing::Test {
  protected:
    void SetUp() override {
        // The older set comes from a small source of regions only; the new one from a big
        // source of regions and points, so its layers take suffixed names and the older
        // unsuffixed files must go with the commit.
        WriteSource(dir / "small/roads.mif", 50, 4, 0);
        WriteSource(dir / "big/roads.mif", 40000, 12, 2000);
        WriteSource(dir / "tiny/tiny.mif", 1, 4, 0);
        for (const char* which : {"small", "big"}) {
            const std::string folder = dir / which;
            ASSERT_EQ(RunToEnd({"import", "mif", folder + "/roads.mif", "-o", folder + "/layers"}), 0);
        }
        ASSERT_EQ(RunToEnd({"export", "shp", dir / "small/layers/roads.vxv", "-o", dir / "small"}), 0);
        ASSERT_EQ(RunToEnd({"export", "shp", dir / "big/layers/roads_rg.vxv", "-o", dir / "big"}), 0);
        ASSERT_TRUE(fs::exists(dir / "big/SHP/roads_rg.shp"));
        ASSERT_TRUE(fs::exists(dir / "small/SHP/roads.shp"));
    }

    std::vector<Route> Routes() const {
        const std::string out = dir / "out";
        return {
            {"MIF import",
             {"import", "mif", dir / "big/roads.mif", "-o", out, "--overwrite"},
             dir / "small/roads.mif"},
            {"MIF export",
             {"export", "mif", dir / "big/layers/roads_rg.vxv", "-o", out, "--overwrite"},
             dir / "small/layers/roads.vxv"},
            {"shapefile import",
             {"import", "shp", dir / "big/SHP/roads_rg.shp", "-o", out, "--overwrite"},
             dir / "small/SHP/roads.shp"},
            {"shapefile export",
             {"export", "shp", dir / "big/layers/roads_rg.vxv", "-o", out, "--overwrite"},
             dir / "small/layers/roads.vxv"},
        };
    }

    // The route's run with the small source, which writes the older set under the same
    // output names (the export writes under the source's name, so the small layer is copied
    // under the big one's name first).
    std::vector<std::string> OldRun(const Route& route) const {
        std::vector<std::string> args = route.newRun;
        std::string source = route.oldSource;
        const std::string renamed = fs::path(args[2]).filename().string();
        if (fs::path(source).filename() != renamed) {
            const std::string copy = dir / ("old-" + std::string(route.name));
            fs::create_directories(copy);
            const fs::path from(source);
            // The table goes under its own name too: a layer names its table.
            for (const char* ext : {".vxv", ".vxs", ".dbf", ".cpg", ".shp", ".shx"}) {
                const fs::path companion = fs::path(from).replace_extension(ext);
                if (!fs::exists(companion)) continue;
                for (const fs::path& to : {fs::path(copy) / fs::path(renamed).replace_extension(ext),
                                           fs::path(copy) / companion.filename()})
                    fs::copy_file(companion, to, fs::copy_options::overwrite_existing);
            }
            source = (fs::path(copy) / renamed).string();
        }
        args[2] = source;
        return args;
    }

    // The folder as the older run leaves it, and as the new run leaves it over that.
    void MakeSets(const Route& route, Tree& older, Tree& newer) {
        const std::string out = dir / "out";
        fs::remove_all(out);
        ASSERT_EQ(RunToEnd(OldRun(route)), 0) << route.name;
        older = Visible(out);
        ASSERT_EQ(RunToEnd(route.newRun), 0) << route.name;
        newer = Visible(out);
        ASSERT_FALSE(older.empty());
        ASSERT_TRUE(older != newer);
    }

    // Puts the older set back into a fresh output folder.
    void RestoreOlder(const Tree& older) {
        fs::remove_all(dir / "out");
        for (const auto& [name, bytes] : older)
            test::WriteFile(dir / ("out/" + name), bytes);
    }

    // The small job into every folder of the output that clears what killed runs left.
    void RunTinyJobs() {
        std::vector<std::string> folders;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
            if (entry.is_directory() && !IsStage(entry.path()))
                folders.push_back(entry.path().string());
        }
        folders.push_back(dir / "out");
        for (const std::string& folder : folders)
            ASSERT_EQ(RunToEnd({"import", "mif", dir / "tiny/tiny.mif", "-o", folder, "--overwrite"}),
                      0);
    }

    test::TempDir dir;
};

TEST_F(InterruptedRuns, AKillAtAnyMomentLeavesTheOlderSetOrTheWholeNewOne) {
    std::mt19937 random(20261207);
    for (const Route& route : Routes()) {
        SCOPED_TRACE(route.name);
        Tree older, newer;
        MakeSets(route, older, newer);
        if (HasFatalFailure()) return;
        // How long the run takes here, to spread the kills over all of it.
        RestoreOlder(older);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(RunToEnd(route.newRun), 0);
        const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        int sawOlder = 0, sawNewer = 0, finished = 0;
        for (int kill = 0; kill < 15; ++kill) {
            RestoreOlder(older);
            const auto wait =
                std::chrono::microseconds(random() % (span.count() * 2 + 1));
            const pid_t pid = Start(route.newRun);
            ASSERT_GT(pid, 0);
            std::this_thread::sleep_for(wait);
            ::kill(pid, SIGKILL);
            if (Wait(pid) == 0) ++finished;
            Tree after = Visible(dir / "out");
            // A commit whose journal is written whole (it ends in its end mark) is finished
            // by the next job into the folder; a kill while the journal was being written
            // leaves one the next job discards.
            bool journalled = false;
            for (const std::string& stage : Stages(dir / "out")) {
                journalled |= fs::path(stage).filename() == ".vxtranslate-commit" &&
                              test::ReadFile(stage).ends_with(std::string("E") + '\0');
            }
            if (after != older && after != newer) {
                // Only a commit cut between its moves may show a mix; its journal is then
                // there, and the next job into the folder finishes it.
                ASSERT_FALSE(Stages(dir / "out").empty()) << "partial set: " << Names(after);
                RunTinyJobs();
                after = Visible(dir / "out");
                ASSERT_EQ(Names(after), Names(newer)) << "a cut commit is finished";
            }
            ASSERT_TRUE(after == older || after == newer)
                << "after " << wait.count() << " us: " << Names(after) << "\nolder: "
                << Names(older) << "\nnewer: " << Names(newer);
            (after == older ? sawOlder : sawNewer)++;
            // The next job into the folder removes what the killed run left.
            RunTinyJobs();
            EXPECT_EQ(Stages(dir / "out"), std::vector<std::string>{});
            EXPECT_TRUE(Visible(dir / "out") == (journalled ? newer : after))
                << "journal " << journalled << ": " << Names(Visible(dir / "out"));
        }
        EXPECT_GT(sawOlder, 0) << "some kills land before the commit";
        EXPECT_GT(sawNewer, 0) << "some runs finish: " << finished;
    }
}

TEST_F(InterruptedRuns, SigintAndSigtermKeepTheOlderSetAndEndWithTheirStatus) {
    const Route route = Routes()[0];
    Tree older, newer;
    MakeSets(route, older, newer);
    if (HasFatalFailure()) return;
    for (int signal : {SIGINT, SIGTERM}) {
        RestoreOlder(older);
        const pid_t pid = Start(route.newRun);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ::kill(pid, signal);
        const int status = Wait(pid);
        if (status == 0) {
            EXPECT_TRUE(Visible(dir / "out") == newer) << "it finished first";
            continue;
        }
        EXPECT_EQ(status, 128 + signal);
        EXPECT_TRUE(Visible(dir / "out") == older) << Names(Visible(dir / "out"));
        EXPECT_EQ(Stages(dir / "out"), std::vector<std::string>{}) << "the stage is removed";
    }
}

// The disk fills while the new set is written: the file size limit stands in for a full
// disk (a write beyond it fails with EFBIG once SIGXFSZ is ignored).
TEST_F(InterruptedRuns, AFullDiskFailsTheJobAndKeepsTheOlderSet) {
    for (const Route& route : Routes()) {
        SCOPED_TRACE(route.name);
        Tree older, newer;
        MakeSets(route, older, newer);
        if (HasFatalFailure()) return;
        std::size_t largest = 0;
        for (const auto& [name, bytes] : newer)
            largest = std::max(largest, bytes.size());
        // Room for the older files, not for the new set's largest.
        const std::size_t blocks = largest / 512 / 2;
        std::string command = "ulimit -f " + std::to_string(blocks) + "; trap '' XFSZ; '" +
                              test::BinDir() + "/vxtranslate'";
        for (const std::string& arg : route.newRun)
            command += " '" + arg + "'";

        RestoreOlder(older);
        test::CommandResult run = test::RunCommand(command);
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find("File too large"), std::string::npos)
            << "the reason is named: " << run.out << run.err;
        EXPECT_TRUE(Visible(dir / "out") == older) << Names(Visible(dir / "out"));
        EXPECT_EQ(Stages(dir / "out"), std::vector<std::string>{});

        // Into an empty folder nothing is left behind.
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
        run = test::RunCommand(command);
        EXPECT_EQ(run.status, 1);
        Tree left;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
            if (entry.is_regular_file()) left[entry.path().string()] = "";
        }
        EXPECT_EQ(Names(left), "") << "no file is left behind";
        EXPECT_EQ(Stages(dir / "out"), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace vx

#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace vx::test {

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
        fs::path candidate =
            fs::temp_directory_path() / ("vxtest_" + std::to_string(random() % 1000000000ull));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate.string();
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out) << "cannot write " << path;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string BinDir() {
    const char* dir = std::getenv("VX_BIN_DIR");
    return dir != nullptr ? dir : "build/bin";
}

CommandResult RunCommand(const std::string& command) {
    TempDir scratch;
    std::string full =
        command + " >" + (scratch / "out") + " 2>" + (scratch / "err") + " </dev/null";
    int raw = std::system(full.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadFile(scratch / "out");
    result.err = ReadFile(scratch / "err");
    return result;
}

}  // namespace vx::test

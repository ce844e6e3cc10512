#pragma once

#include <string>
#include <vector>

#include "platform/status_lines.h"

namespace vx::test {

// A fresh folder under the temp folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const;

  private:
    std::string path_;
};

// Writes bytes to a file, creating its folder; fails the test when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Keeps the lines a reader or writer reports, as the job log keeps them.
class StatusLog : public StatusLines {
  public:
    void Report(std::string_view line) override {
        log += line;
        lines.emplace_back(line);
    }
    std::string log;
    std::vector<std::string> lines;
};

// The folder of the built programs (build/bin), from the test's environment.
std::string BinDir();

// Runs a shell command, returning its exit status and what it wrote to stdout and stderr.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};
CommandResult RunCommand(const std::string& command);

}  // namespace vx::test

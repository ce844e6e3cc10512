#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Temporary files in the system's temp folder. Each name handed out is a new empty file
// (the placeholder that reserves the name); the set remembers it and every further path
// tracked with it, and removes them all when asked or when it is destroyed.
class TempFileSet {
  public:
    TempFileSet();
    ~TempFileSet();
    TempFileSet(const TempFileSet&) = delete;
    TempFileSet& operator=(const TempFileSet&) = delete;

    // A new, unique, empty file in the temp folder whose name starts with `prefix` and ends
    // with `extension`; empty when none could be made.
    std::string Create(std::string_view prefix, std::string_view extension);
    // Remembers a further file to remove (a companion written beside a temp file).
    void Track(const std::string& path);
    // Removes every file made or tracked; true when all are gone.
    bool RemoveAll();
    const std::vector<std::string>& Files() const { return files_; }

  private:
    std::vector<std::string> files_;
};

// For a process ending on a signal: removes the files of every live set.
void RemoveAllTempFilesForExit();

// The system's temp folder (TMPDIR, else /tmp).
std::string TempFolder();

}  // namespace vx

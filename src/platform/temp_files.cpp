#include "platform/temp_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace vx {

std::string TempFolder() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec);
    if (ec) return "/tmp";
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == kPathSeparator)
        text.pop_back();
    return text;
}

namespace {
// The live sets, for a clean end on a signal.
std::mutex gSetsLock;
std::set<TempFileSet*> gSets;
}  // namespace

TempFileSet::TempFileSet() {
    std::lock_guard<std::mutex> guard(gSetsLock);
    gSets.insert(this);
}

TempFileSet::~TempFileSet() {
    RemoveAll();
    std::lock_guard<std::mutex> guard(gSetsLock);
    gSets.erase(this);
}

void RemoveAllTempFilesForExit() {
    // Taken and never given back: the process is ending.
    gSetsLock.lock();
    for (TempFileSet* set : gSets) {
        for (const std::string& path : set->Files())
            ::unlink(path.c_str());
    }
}

std::string TempFileSet::Create(std::string_view prefix, std::string_view extension) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::string folder = TempFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(prefix);
        for (int i = 0; i < 10; ++i)
            name += kDigits[random() % 36];
        name += extension;
        std::string path = JoinPath(folder, name);
        // O_EXCL makes the name ours alone, even against another program racing for it.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) continue;
        ::close(fd);
        std::lock_guard<std::mutex> guard(gSetsLock);
        files_.push_back(path);
        return path;
    }
    return {};
}

void TempFileSet::Track(const std::string& path) {
    std::lock_guard<std::mutex> guard(gSetsLock);
    if (std::find(files_.begin(), files_.end(), path) == files_.end()) files_.push_back(path);
}

bool TempFileSet::RemoveAll() {
    std::lock_guard<std::mutex> guard(gSetsLock);
    bool all = true;
    for (const auto& path : files_) {
        if (!DeleteFile(path)) all = false;
    }
    files_.clear();
    return all;
}

}  // namespace vx

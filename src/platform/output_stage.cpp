#include "platform/output_stage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>

#include "platform/paths.h"

namespace vx {

const char* const kStagePrefix = ".vxtranslate-";

namespace {

// The journal a commit writes before it moves anything. Entries end with a NUL: "M" and a
// file name of the stage to move, "R" and the path of a retired file, and "E" last.
constexpr const char* kJournalName = ".vxtranslate-commit";

// When this run started: stages younger than that are never another run's leftovers.
const timespec gRunStart = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

// Stages open in this process, for a clean end on a signal; the lock is held by a commit
// while it moves files, so a signal never lands in the middle of one.
std::mutex gStagesLock;
std::set<OutputStage*> gOpenStages;
// Folders this process has already recovered.
std::set<std::string> gRecoveredFolders;

std::string Reason(int error) {
    return std::strerror(error);
}

// The names of the plain files in a folder, sorted; false when it cannot be read.
bool FilesIn(const std::string& folder, std::vector<std::string>& names) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

// Empties and removes a stage folder. Stages hold files only.
void RemoveStageFolder(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<std::string> names;
        if (!FilesIn(path, names)) return;
        for (const std::string& name : names)
            ::unlink(JoinPath(path, name).c_str());
        if (::rmdir(path.c_str()) == 0 || errno == ENOENT) return;
    }
}

bool SyncPath(const std::string& path, int flags, int& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok) error = errno;
    if (::close(fd) != 0 && ok) {
        error = errno;
        return false;
    }
    return ok;
}

// Flushes the files to the disk: writeback of all of them starts first, so that one commit
// of the file system's journal usually serves them all, then each is waited for. Returns the
// index of the first file that failed, with its reason, or the count when all are on the disk.
std::size_t SyncFiles(const std::vector<std::string>& paths, int& error) {
    std::vector<int> fds;
    std::size_t failed = paths.size();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int fd = ::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            failed = i;
            break;
        }
        // Only a hint: fsync below reports what goes wrong.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        fds.push_back(fd);
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        const bool ok = ::fsync(fds[i]) == 0;
        if (!ok && failed == paths.size()) {
            error = errno;
            failed = i;
        }
        if (::close(fds[i]) != 0 && ok && failed == paths.size()) {
            error = errno;
            failed = i;
        }
    }
    return failed;
}

struct Journal {
    std::vector<std::string> moves;
    std::vector<std::string> removals;
    bool complete = false;
};

std::string EncodeJournal(const Journal& journal) {
    std::string text;
    for (const std::string& name : journal.moves)
        text += "M" + name + '\0';
    for (const std::string& path : journal.removals)
        text += "R" + path + '\0';
    text += std::string("E") + '\0';
    return text;
}

bool ReadJournal(const std::string& path, Journal& journal) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\0', at);
        if (end == std::string::npos) break;
        const std::string entry = text.substr(at, end - at);
        at = end + 1;
        if (entry == "E") {
            journal.complete = true;
            break;
        }
        if (entry.size() < 2) return false;
        (entry[0] == 'M' ? journal.moves : journal.removals).push_back(entry.substr(1));
    }
    return journal.complete;
}

bool WriteJournal(const std::string& path, const Journal& journal, int& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const std::string text = EncodeJournal(journal);
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put <= 0) {
            error = put < 0 ? errno : EIO;
            ok = false;
        } else {
            done += static_cast<std::size_t>(put);
        }
    }
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    return ok;
}

// The moves and removals of a journal, from the stage at `stage` into its parent folder.
// Returns the names that could not be moved, with the first reason in `error`.
std::vector<std::string> CarryOut(const std::string& stage, const std::string& folder,
                                  const Journal& journal, int& error) {
    std::vector<std::string> failed;
    std::set<std::string> renewed;
    for (const std::string& name : journal.moves) {
        const std::string to = JoinPath(folder, name);
        renewed.insert(to);
        if (::rename(JoinPath(stage, name).c_str(), to.c_str()) != 0 && errno != ENOENT) {
            if (failed.empty()) error = errno;
            failed.push_back(name);
        }
    }
    for (const std::string& path : journal.removals) {
        if (renewed.count(path) == 0) ::unlink(path.c_str());
    }
    int ignored = 0;
    SyncPath(folder, O_RDONLY | O_DIRECTORY, ignored);
    return failed;
}

// Whether a folder entry is a stage some killed run left: our pattern, older than this run,
// and not locked by a live process. Returns its open, locked descriptor, or -1.
int LockLeftover(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return -1;
    const timespec& made = info.st_mtim;
    const bool older = made.tv_sec < gRunStart.tv_sec ||
                       (made.tv_sec == gRunStart.tv_sec && made.tv_nsec < gRunStart.tv_nsec);
    if (!older) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

void RecoverStages(const std::string& folder) {
    std::vector<std::string> names;
    if (!FilesIn(folder, names)) return;
    const std::string prefix = kStagePrefix;
    for (const std::string& name : names) {
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0 ||
            name == kJournalName)
            continue;
        const std::string stage = JoinPath(folder, name);
        const int fd = LockLeftover(stage);
        if (fd < 0) continue;
        Journal journal;
        if (ReadJournal(JoinPath(stage, kJournalName), journal)) {
            int error = 0;
            CarryOut(stage, folder, journal, error);
        }
        RemoveStageFolder(stage);
        ::close(fd);
    }
}

std::string OutputStage::PathOf(const std::string& name) const {
    return JoinPath(path_, name);
}

void OutputStage::Retire(const std::string& path) {
    if (std::find(retired_.begin(), retired_.end(), path) == retired_.end())
        retired_.push_back(path);
}

bool OutputStage::Open(const std::string& folder, std::string& error) {
    DropStage();
    folder_ = folder.empty() ? "." : folder;
    {
        std::lock_guard<std::mutex> guard(gStagesLock);
        if (gRecoveredFolders.insert(folder_).second) RecoverStages(folder_);
    }
    std::string pattern = JoinPath(folder_, std::string(kStagePrefix) + "XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "Cannot write in " + folder_ + ": " + Reason(errno);
        return false;
    }
    const int fd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
        error = "Cannot write in " + folder_ + ": " + Reason(errno);
        if (fd >= 0) ::close(fd);
        ::rmdir(pattern.c_str());
        return false;
    }
    std::lock_guard<std::mutex> guard(gStagesLock);
    path_ = pattern;
    lock_ = fd;
    gOpenStages.insert(this);
    return true;
}

std::string OutputStage::InFinalNames(std::string text) const {
    if (path_.empty()) return text;
    for (std::size_t at = text.find(path_); at != std::string::npos;
         at = text.find(path_, at + folder_.size()))
        text.replace(at, path_.size(), folder_);
    return text;
}

bool OutputStage::Commit(std::string& error) {
    if (path_.empty()) {
        error = "Nothing was written";
        return false;
    }
    Journal journal;
    if (!FilesIn(path_, journal.moves)) {
        error = "Cannot read " + path_ + ": " + Reason(errno);
        Abandon();
        return false;
    }
    // Every file reaches the disk before any older file is replaced, and nothing that cannot
    // be replaced by a file stands at a final name.
    std::vector<std::string> paths;
    for (const std::string& name : journal.moves) {
        struct stat existing {};
        if (::lstat(JoinPath(folder_, name).c_str(), &existing) == 0 &&
            S_ISDIR(existing.st_mode)) {
            error = "Cannot write " + JoinPath(folder_, name) + ": " + Reason(EISDIR);
            Abandon();
            return false;
        }
        paths.push_back(PathOf(name));
    }
    int why = 0;
    if (const std::size_t failed = SyncFiles(paths, why); failed < paths.size()) {
        error = "Cannot write " + JoinPath(folder_, journal.moves[failed]) + ": " + Reason(why);
        Abandon();
        return false;
    }
    journal.removals = retired_;
    std::lock_guard<std::mutex> guard(gStagesLock);
    if (!WriteJournal(PathOf(kJournalName), journal, why) ||
        !SyncPath(path_, O_RDONLY | O_DIRECTORY, why)) {
        error = "Cannot write in " + folder_ + ": " + Reason(why);
        DropStageLocked();
        return false;
    }
    const std::vector<std::string> failed = CarryOut(path_, folder_, journal, why);
    DropStageLocked();
    retired_.clear();
    if (failed.empty()) return true;
    std::string fresh;
    std::string old;
    for (const std::string& name : journal.moves) {
        const bool moved = std::find(failed.begin(), failed.end(), name) == failed.end();
        std::string& list = moved ? fresh : old;
        if (!list.empty()) list += ", ";
        list += name;
    }
    error = "Cannot replace " + JoinPath(folder_, failed.front()) + ": " + Reason(why) +
            ". New files: " + (fresh.empty() ? "none" : fresh) +
            "; older or missing files: " + old;
    return false;
}

void OutputStage::Abandon() {
    DropStage();
    retired_.clear();
}

void OutputStage::DropStage() {
    if (path_.empty()) return;
    std::lock_guard<std::mutex> guard(gStagesLock);
    DropStageLocked();
}

void OutputStage::DropStageLocked() {
    RemoveStageFolder(path_);
    ::close(lock_);
    lock_ = -1;
    gOpenStages.erase(this);
    path_.clear();
}

void AbandonAllStagesForExit() {
    // Taken and never given back: no commit may start after this.
    gStagesLock.lock();
    for (OutputStage* stage : gOpenStages)
        RemoveStageFolder(stage->Path());
}

}  // namespace vx

#pragma once

#include <string>
#include <string_view>
#include <utility>

// Why the last write of this thread failed, in the system's words: a full disk, a file too
// large, an input/output error. The file writers note it where a write, flush or close fails;
// the engine names it in the job's status line.
namespace vx {

// Notes a failed write to `path` with the reason errno gives (kept until taken); a failure
// without an errno keeps the path alone.
void NoteWriteFailure(std::string_view path);
// Notes a failed write to `path` with the reason given.
void NoteWriteFailure(std::string_view path, std::string_view reason);

// Notes a failure taken on another thread, as TakeWriteFailure gave it.
void PassWriteFailure(std::string failure);

// The last failure noted ("path: reason"), and forgets it; empty when none was noted.
std::string TakeWriteFailure();

// A failure met on a helper thread, carried to the thread that reports it: its status line
// (empty when there was none) and the reason of the write that failed.
struct HelperFailure {
    std::string line;
    std::string writeFailure;

    // On the helper thread: the failure's line, and this thread's write failure with it.
    void Fail(std::string text) {
        line = std::move(text);
        writeFailure = TakeWriteFailure();
    }
    // On the reporting thread: true when there was a failure, whose write failure is then
    // noted on this thread.
    bool Happened() {
        if (line.empty()) return false;
        if (!writeFailure.empty()) PassWriteFailure(std::move(writeFailure));
        return true;
    }
};

}  // namespace vx

#pragma once

#include <string>
#include <string_view>

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

}  // namespace vx

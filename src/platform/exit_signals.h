#pragma once

// A clean end on SIGINT and SIGTERM for the command line: the conversion in progress is
// abandoned, the stages and temporary files of this process are removed, older outputs stay
// as they were, and the process exits with 128 plus the signal's number (130, 143).
namespace vx {

// Call first in main, before any thread starts: the signals are blocked in every thread and
// taken by a watcher thread of their own.
void EndCleanlyOnSignals();

}  // namespace vx

#pragma once

#include <cstdint>
#include <cstdio>

namespace vx {

// Asks the system, from a helper thread, to start writing `length` bytes at `offset` of an
// open file to disk, while the caller goes on writing the rest. A job's commit flushes every
// file it wrote; a large file whose pages were started while it was being made leaves the
// commit little to wait for. Only a hint: nothing is reported, and the commit's flush stays
// what makes the data durable.
void StartWriteback(std::FILE* file, std::uint64_t offset, std::uint64_t length);

// How many bytes a writer lets pile up before it asks for them to be started.
inline constexpr std::uint64_t kWritebackStep = 8u << 20;

// Where a writer has asked the system to write from: once `written` bytes have reached the
// file, the bytes not yet started are asked for when they are a step or more.
class WritebackMark {
  public:
    void Reset() { started_ = 0; }
    void Advance(std::FILE* file, std::uint64_t written) {
        if (written < started_ + kWritebackStep) return;
        StartWriteback(file, started_, written - started_);
        started_ = written;
    }

  private:
    std::uint64_t started_ = 0;
};

}  // namespace vx

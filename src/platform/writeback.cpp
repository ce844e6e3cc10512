#include "platform/writeback.h"

#include <fcntl.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vx {

namespace {

struct WritebackAsk {
    int fd;
    std::uint64_t offset;
    std::uint64_t length;
};

// One helper thread for the whole program, made on the first ask. It holds a duplicate of
// each file's descriptor, so a writer may close its file before the ask is carried out.
class WritebackHelper {
  public:
    WritebackHelper() {
        std::thread([this] { Serve(); }).detach();
    }

    void Ask(const WritebackAsk& ask) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            asks_.push_back(ask);
        }
        wake_.notify_one();
    }

  private:
    [[noreturn]] void Serve() {
        for (;;) {
            WritebackAsk ask{};
            {
                std::unique_lock<std::mutex> guard(lock_);
                wake_.wait(guard, [this] { return !asks_.empty(); });
                ask = asks_.front();
                asks_.pop_front();
            }
            ::sync_file_range(ask.fd, static_cast<off_t>(ask.offset),
                              static_cast<off_t>(ask.length), SYNC_FILE_RANGE_WRITE);
            ::close(ask.fd);
        }
    }

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<WritebackAsk> asks_;
};

WritebackHelper& Helper() {
    // Never destroyed: its thread waits for asks for as long as the program runs.
    static WritebackHelper* helper = new WritebackHelper;
    return *helper;
}

}  // namespace

void StartWriteback(std::FILE* file, std::uint64_t offset, std::uint64_t length) {
    if (file == nullptr || length == 0) return;
    const int fd = ::fcntl(::fileno(file), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return;
    Helper().Ask({fd, offset, length});
}

}  // namespace vx

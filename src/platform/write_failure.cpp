#include "platform/write_failure.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace vx {

namespace {
thread_local std::string gLastFailure;
}

void NoteWriteFailure(std::string_view path) {
    const int error = errno;
    gLastFailure.assign(path);
    if (error != 0) {
        gLastFailure += ": ";
        gLastFailure += std::strerror(error);
    }
}

void NoteWriteFailure(std::string_view path, std::string_view reason) {
    gLastFailure.assign(path);
    gLastFailure += ": ";
    gLastFailure += reason;
}

void PassWriteFailure(std::string failure) {
    gLastFailure = std::move(failure);
}

std::string TakeWriteFailure() {
    std::string failure;
    failure.swap(gLastFailure);
    return failure;
}

}  // namespace vx

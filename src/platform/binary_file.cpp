#include "platform/binary_file.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"
#include "platform/write_failure.h"

namespace vx {

namespace {
constexpr std::size_t kWindow = 1 << 20;
constexpr std::size_t kWriteBuffer = 1 << 20;
}  // namespace

BinaryReader::~BinaryReader() {
    Close();
}

bool BinaryReader::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return false;
    if (std::fseek(file_, 0, SEEK_END) != 0) {
        Close();
        return false;
    }
    long end = std::ftell(file_);
    if (end < 0) {
        Close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(end);
    windowStart_ = 0;
    windowLength_ = 0;
    return true;
}

void BinaryReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    windowLength_ = 0;
}

const unsigned char* BinaryReader::Peek(std::uint64_t offset, std::size_t length) {
    if (file_ == nullptr || !Contains(offset, length)) return nullptr;
    if (offset >= windowStart_ && offset + length <= windowStart_ + windowLength_) {
        return window_.data() + (offset - windowStart_);
    }
    // The range was checked against the file's size, so the window never grows beyond it.
    std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(length, kWindow), size_ - offset));
    if (window_.size() < want) window_.resize(want);
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return nullptr;
    std::size_t got = std::fread(window_.data(), 1, want, file_);
    windowStart_ = offset;
    windowLength_ = got;
    if (got < length) return nullptr;
    return window_.data();
}

bool BinaryReader::Read(std::uint64_t offset, void* destination, std::size_t length) {
    if (length == 0) return Contains(offset, 0);
    const unsigned char* p = Peek(offset, length);
    if (p == nullptr) return false;
    std::memcpy(destination, p, length);
    return true;
}

void ByteBuffer::PutBytes(const void* data, std::size_t length) {
    if (length == 0) return;
    auto at = bytes_.size();
    bytes_.resize(at + length);
    std::memcpy(bytes_.data() + at, data, length);
}

bool PatchFile(const std::string& path, std::uint64_t offset, const void* data,
               std::size_t length) {
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (f == nullptr) {
        NoteWriteFailure(path);
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && offset + length <= static_cast<std::uint64_t>(size) &&
         std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fwrite(data, 1, length, f) == length;
    if (!ok) NoteWriteFailure(path);
    if (std::fclose(f) != 0 && ok) {
        NoteWriteFailure(path);
        ok = false;
    }
    return ok;
}

BinaryWriter::~BinaryWriter() {
    Close();
}

bool BinaryWriter::Create(const std::string& path) {
    Close();
    failed_ = false;
    position_ = 0;
    // Remove first, so that a shorter new file never keeps the tail of an older one and a
    // hard-linked or read-only-shared older file is not written through.
    if (FileExists(path)) DeleteFile(path);
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        NoteWriteFailure(path);
        return false;
    }
    buffer_.reserve(kWriteBuffer);
    writeback_.Reset();
    return true;
}

void BinaryWriter::Hand(const unsigned char* bytes, std::size_t length, std::uint64_t end) {
    if (std::fwrite(bytes, 1, length, file_) != length) MarkFailed();
    writeback_.Advance(file_, end);
}

void BinaryWriter::Flush() {
    if (file_ == nullptr || buffer_.empty()) return;
    Hand(buffer_.data(), buffer_.size(), position_);
    buffer_.clear();
}

void BinaryWriter::Write(const void* data, std::size_t length) {
    if (file_ == nullptr) {
        failed_ = true;
        return;
    }
    auto bytes = static_cast<const unsigned char*>(data);
    if (buffer_.size() + length > kWriteBuffer) Flush();
    position_ += length;
    if (length >= kWriteBuffer) {
        Hand(bytes, length, position_);
    } else {
        buffer_.insert(buffer_.end(), bytes, bytes + length);
    }
}

void BinaryWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t length) {
    if (file_ == nullptr || offset + length > position_) {
        failed_ = true;
        return;
    }
    Flush();
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, length, file_) != length || std::fseek(file_, 0, SEEK_END) != 0) {
        MarkFailed();
    }
}

bool BinaryWriter::Close() {
    if (file_ == nullptr) return !failed_;
    Flush();
    if (std::fclose(file_) != 0) MarkFailed();
    file_ = nullptr;
    return !failed_;
}

void BinaryWriter::MarkFailed() {
    if (!failed_) NoteWriteFailure(path_);
    failed_ = true;
}

}  // namespace vx

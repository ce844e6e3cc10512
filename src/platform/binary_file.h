#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/endian.h"
#include "platform/writeback.h"

namespace vx {

// Random-access reading of a binary file through a window buffer. Every read names its
// offset and length and is checked against the file's size first, so a count or offset read
// from a damaged file can never reach past its end.
class BinaryReader {
  public:
    BinaryReader() = default;
    explicit BinaryReader(const std::string& path) { Open(path); }
    ~BinaryReader();
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();
    std::uint64_t Size() const { return size_; }
    // True when [offset, offset + length) lies inside the file.
    bool Contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    // A pointer to `length` bytes at `offset`, valid until the next call; null when the range
    // leaves the file or cannot be read.
    const unsigned char* Peek(std::uint64_t offset, std::size_t length);
    bool Read(std::uint64_t offset, void* destination, std::size_t length);

    template <typename T>
    bool ReadLE(std::uint64_t offset, T& value) {
        const unsigned char* p = Peek(offset, sizeof(T));
        if (p == nullptr) return false;
        value = LoadLE<T>(p);
        return true;
    }
    template <typename T>
    bool ReadBE(std::uint64_t offset, T& value) {
        const unsigned char* p = Peek(offset, sizeof(T));
        if (p == nullptr) return false;
        value = LoadBE<T>(p);
        return true;
    }

  private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    std::vector<unsigned char> window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

// A growing byte buffer with little- and big-endian appenders, for records that are built in
// memory and then written at once.
class ByteBuffer {
  public:
    void Clear() { bytes_.clear(); }
    std::size_t Size() const { return bytes_.size(); }
    const unsigned char* Data() const { return bytes_.data(); }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

    void PutU8(std::uint8_t v) { bytes_.push_back(v); }
    template <typename T>
    void PutLE(T value) {
        auto at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        StoreLE<T>(bytes_.data() + at, value);
    }
    template <typename T>
    void PutBE(T value) {
        auto at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        StoreBE<T>(bytes_.data() + at, value);
    }
    void PutBytes(const void* data, std::size_t length);
    void PutText(std::string_view text) { PutBytes(text.data(), text.size()); }
    void PutZeros(std::size_t count) { bytes_.resize(bytes_.size() + count, 0); }
    // Overwrites bytes already in the buffer.
    template <typename T>
    void SetLE(std::size_t offset, T value) {
        StoreLE<T>(bytes_.data() + offset, value);
    }

  private:
    std::vector<unsigned char> bytes_;
};

// Overwrites `length` bytes at `offset` inside an existing file, which must already reach
// that far; the rest of the file stays as it is.
bool PatchFile(const std::string& path, std::uint64_t offset, const void* data, std::size_t length);

// Writes a binary file sequentially through a buffer, and at chosen offsets when asked.
class BinaryWriter {
  public:
    BinaryWriter() = default;
    ~BinaryWriter();
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    // Creates the file anew (an existing file is replaced, never overwritten in place).
    bool Create(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    // Bytes written so far at the end of the file.
    std::uint64_t Position() const { return position_; }

    void Write(const void* data, std::size_t length);
    void Write(const ByteBuffer& buffer) { Write(buffer.Data(), buffer.Size()); }
    // Writes at an offset below the current end, then goes on appending at the end.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t length);
    // Flushes and closes; false when any write failed.
    bool Close();
    bool Failed() const { return failed_; }

  private:
    void Flush();
    // Marks the writer failed, noting the reason of the first failure.
    void MarkFailed();

    // Hands bytes to the file, which then reaches `end`, and starts the writeback of what
    // has piled up.
    void Hand(const unsigned char* bytes, std::size_t length, std::uint64_t end);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::vector<unsigned char> buffer_;
    std::uint64_t position_ = 0;
    WritebackMark writeback_;
    bool failed_ = false;
};

}  // namespace vx

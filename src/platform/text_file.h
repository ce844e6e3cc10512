#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/writeback.h"

namespace vx {

// The first LF or CR in [p, stop), or stop: where a line of text ends.
const char* FindLineEnd(const char* p, const char* stop);

// Reads a text file line by line through a large buffer. CR LF, LF and a lone CR all end a
// line; the line end is not part of the line. Bytes pass through unchanged.
class TextReader {
  public:
    TextReader() = default;
    explicit TextReader(const std::string& path) { Open(path); }
    ~TextReader();
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();
    // Starts again at the first line.
    bool Rewind();

    // The next line; false at the end of the file. The view stays valid until the next call.
    bool ReadLine(std::string_view& line);
    // The same, copied into `line`.
    bool ReadLine(std::string& line);
    // Up to `count` bytes of the file from where the lines read so far end, as they stand,
    // for a caller that splits the lines itself; 0 at the end of the file. Not to be mixed
    // with ReadLine after a line that ended in CR.
    std::size_t ReadBytes(char* to, std::size_t count);
    // Number of lines returned so far (the 1-based number of the last one).
    long long LineNumber() const { return lineNumber_; }
    // True when reading failed for another reason than the end of the file.
    bool Failed() const { return failed_; }

  private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    bool skipLf_ = false;  // the last line ended in CR at a buffer edge; a LF may follow
    std::string carry_;
    long long lineNumber_ = 0;
};

// Writes a text file through a buffer; WriteLine ends each line with CR LF.
class TextWriter {
  public:
    TextWriter() = default;
    ~TextWriter();
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    // Creates or truncates the file.
    bool Create(const std::string& path);
    // Appends to the file, creating it when missing.
    bool Append(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }

    void Write(std::string_view text);
    void WriteLine(std::string_view text);
    // Flushes and closes; false when any write failed.
    bool Close();
    bool Failed() const { return failed_; }

  private:
    bool OpenWith(const std::string& path, const char* mode);
    void Flush();
    // Gives text to the file, and starts the writeback of what has piled up.
    void Hand(std::string_view text);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string buffer_;
    std::uint64_t handed_ = 0;  // bytes given to the file since it was opened
    bool appending_ = false;    // offsets are then not known: no writeback is started
    WritebackMark writeback_;
    bool failed_ = false;
};

// Reads a whole (small) file; empty when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Writes bytes to a file, replacing it.
bool WriteWholeFile(const std::string& path, std::string_view contents);

}  // namespace vx

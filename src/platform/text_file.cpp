#include "platform/text_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/write_failure.h"

namespace vx {

namespace {
constexpr std::size_t kReadBuffer = 1 << 20;
constexpr std::size_t kWriteBuffer = 1 << 20;
}  // namespace

// Lines of map files are short, so both bytes are looked for in one pass, sixteen bytes at a
// time.
const char* FindLineEnd(const char* p, const char* stop) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; stop - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr)));
        if (found != 0) return p + std::countr_zero(static_cast<unsigned>(found));
    }
#endif
    while (p != stop && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

TextReader::~TextReader() {
    Close();
}

bool TextReader::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return false;
    buffer_.resize(kReadBuffer);
    return Rewind();
}

void TextReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

bool TextReader::Rewind() {
    if (file_ == nullptr) return false;
    std::rewind(file_);
    begin_ = end_ = 0;
    eof_ = failed_ = skipLf_ = false;
    carry_.clear();
    lineNumber_ = 0;
    return true;
}

bool TextReader::Fill() {
    if (eof_ || file_ == nullptr) return false;
    std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (got < buffer_.size()) {
        eof_ = true;
        if (std::ferror(file_)) failed_ = true;
    }
    begin_ = 0;
    end_ = got;
    return got > 0;
}

bool TextReader::ReadLine(std::string_view& line) {
    carry_.clear();
    bool haveCarry = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            if (!haveCarry) return false;
            ++lineNumber_;
            line = carry_;
            return true;
        }
        if (skipLf_) {
            skipLf_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                continue;
            }
        }
        const char* start = buffer_.data() + begin_;
        const char* stop = buffer_.data() + end_;
        // The line ends at the first LF or CR, whichever comes first.
        const char* p = FindLineEnd(start, stop);
        if (p == stop) {
            carry_.append(start, p);
            haveCarry = true;
            begin_ = end_;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(p - start);
        begin_ += length + 1;
        if (*p == '\r') {
            if (begin_ < end_) {
                if (buffer_[begin_] == '\n') ++begin_;
            } else {
                skipLf_ = true;
            }
        }
        ++lineNumber_;
        if (haveCarry) {
            carry_.append(start, length);
            line = carry_;
        } else {
            line = std::string_view(start, length);
        }
        return true;
    }
}

std::size_t TextReader::ReadBytes(char* to, std::size_t count) {
    std::size_t given = std::min(count, end_ - begin_);
    if (given > 0) std::memcpy(to, buffer_.data() + begin_, given);
    begin_ += given;
    if (given < count && !eof_ && file_ != nullptr) {
        const std::size_t got = std::fread(to + given, 1, count - given, file_);
        if (got < count - given) {
            eof_ = true;
            if (std::ferror(file_)) failed_ = true;
        }
        given += got;
    }
    return given;
}

bool TextReader::ReadLine(std::string& line) {
    std::string_view view;
    if (!ReadLine(view)) return false;
    line.assign(view);
    return true;
}

TextWriter::~TextWriter() {
    Close();
}

bool TextWriter::OpenWith(const std::string& path, const char* mode) {
    Close();
    failed_ = false;
    path_ = path;
    file_ = std::fopen(path.c_str(), mode);
    if (file_ == nullptr) {
        NoteWriteFailure(path);
        return false;
    }
    buffer_.reserve(kWriteBuffer);
    handed_ = 0;
    appending_ = mode[0] == 'a';
    writeback_.Reset();
    return true;
}

bool TextWriter::Create(const std::string& path) {
    return OpenWith(path, "wb");
}
bool TextWriter::Append(const std::string& path) {
    return OpenWith(path, "ab");
}

void TextWriter::Write(std::string_view text) {
    if (file_ == nullptr) {
        failed_ = true;
        return;
    }
    if (text.size() >= kWriteBuffer) {
        // A large piece goes to the file as it is, after what the buffer holds.
        Flush();
        Hand(text);
        return;
    }
    buffer_.append(text);
    if (buffer_.size() >= kWriteBuffer) Flush();
}

void TextWriter::WriteLine(std::string_view text) {
    Write(text);
    Write("\r\n");
}

void TextWriter::Hand(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        if (!failed_) NoteWriteFailure(path_);
        failed_ = true;
    }
    handed_ += text.size();
    if (!appending_) writeback_.Advance(file_, handed_);
}

void TextWriter::Flush() {
    if (file_ == nullptr || buffer_.empty()) return;
    Hand(buffer_);
    buffer_.clear();
}

bool TextWriter::Close() {
    if (file_ == nullptr) return !failed_;
    Flush();
    if (std::fclose(file_) != 0) {
        if (!failed_) NoteWriteFailure(path_);
        failed_ = true;
    }
    file_ = nullptr;
    return !failed_;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        contents.append(chunk, got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view contents) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        NoteWriteFailure(path);
        return false;
    }
    bool ok = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    if (!ok) NoteWriteFailure(path);
    if (std::fclose(f) != 0) {
        if (ok) NoteWriteFailure(path);
        ok = false;
    }
    return ok;
}

}  // namespace vx

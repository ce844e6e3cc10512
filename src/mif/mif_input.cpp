#include "mif/mif_input.h"

#include <cmath>
#include <limits>

#include "platform/strings.h"

namespace vx {

namespace {

// The reader behaves as if the source ended in a few blank lines, so that the last object's
// look-ahead finds a line to test without the source ever being written to.
constexpr int kTrailingBlankLines = 4;

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// from_chars over the whole text; a leading '+' is allowed, infinities and NaN are not.
bool ParseWholeDouble(std::string_view text, double& value) {
    return ParseDecimal(text, value) && std::isfinite(value);
}

// A vertex line of exactly two plain decimals, blanks around them and an optional comma
// between: the form nearly every vertex line has, parsed in one step. Every other form is
// left to the item reads, which give the same numbers for it.
bool ParsePlainPairLine(std::string_view text, double& x, double& y) {
    const char* p = text.data();
    const char* const end = p + text.size();
    auto skipBlanks = [&] {
        while (p != end && IsSpace(*p))
            ++p;
    };
    skipBlanks();
    if (!ParsePlainDecimal(p, end, x) || p == end || !(IsSpace(*p) || *p == ',')) return false;
    skipBlanks();
    if (p != end && *p == ',') {
        ++p;
        skipBlanks();
    }
    if (!ParsePlainDecimal(p, end, y)) return false;
    skipBlanks();
    return p == end;
}

std::int32_t ToLong(double value) {
    // nearbyint rounds half to even in the default rounding mode.
    double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max()))
        throw MifReadError("number out of range");
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

bool MifInput::Open(const std::string& path) {
    if (!reader_.Open(path)) return false;
    return Rewind();
}

MifInput::MifInput() : reader_(ParsePlainPairLine) {}

bool MifInput::Rewind(bool readAhead) {
    if (!reader_.Rewind(readAhead)) return false;
    line.clear();
    reuseLine = false;
    current_.clear();
    pos_ = 0;
    inLine_ = false;
    havePeek_ = false;
    realEnd_ = false;
    trailingBlanks_ = kTrailingBlankLines;
    return true;
}

bool MifInput::ReadFileLine(std::string& out) {
    std::string_view text;
    if (!reader_.ReadLine(text)) {
        CheckNotFailed();
        return false;
    }
    out.assign(text);
    if (lineWatcher) lineWatcher(out, reader_.LineNumber());
    return true;
}

void MifInput::CheckNotFailed() const {
    // A read error must not pass for the end of the file: the objects after it would be
    // lost without a word.
    if (reader_.Failed()) throw MifReadError("the file could not be read to its end");
}

bool MifInput::FetchLine(std::string& out) {
    if (havePeek_) {
        out.swap(peek_);
        havePeek_ = false;
        return true;
    }
    if (!realEnd_) {
        if (ReadFileLine(out)) return true;
        realEnd_ = true;
    }
    if (trailingBlanks_ > 0) {
        --trailingBlanks_;
        out.clear();
        return true;
    }
    return false;
}

bool MifInput::AtEnd() {
    if (inLine_ || havePeek_) return false;
    if (!realEnd_) {
        if (ReadFileLine(peek_)) {
            havePeek_ = true;
            return false;
        }
        realEnd_ = true;
    }
    return trailingBlanks_ == 0;
}

bool MifInput::ReadLine() {
    if (inLine_) {
        line.assign(current_, pos_);
        inLine_ = false;
        return true;
    }
    return FetchLine(line);
}

void MifInput::ReadLineOrThrow() {
    if (!ReadLine()) throw MifReadError("unexpected end of file");
}

void MifInput::ReadLookAhead() {
    if (!ReadLine()) line.clear();
}

bool MifInput::StartItem(bool skipEmptyLines) {
    for (;;) {
        if (!inLine_) {
            if (!FetchLine(current_)) return false;
            pos_ = 0;
            inLine_ = true;
        }
        while (pos_ < current_.size() && IsSpace(current_[pos_]))
            ++pos_;
        if (pos_ < current_.size() || !skipEmptyLines) return true;
        inLine_ = false;
    }
}

void MifInput::FinishItem() {
    while (pos_ < current_.size() && IsSpace(current_[pos_]))
        ++pos_;
    if (pos_ < current_.size() && current_[pos_] == ',') ++pos_;
    if (pos_ >= current_.size()) inLine_ = false;
}

std::string MifInput::ReadTextItem() {
    if (!StartItem(false)) throw MifReadError("unexpected end of file");
    std::string item;
    if (pos_ < current_.size() && current_[pos_] == '"') {
        std::size_t close = current_.find('"', pos_ + 1);
        if (close == std::string::npos) close = current_.size();
        item.assign(current_, pos_ + 1, close - pos_ - 1);
        pos_ = close < current_.size() ? close + 1 : close;
    } else {
        std::size_t stop = current_.find(',', pos_);
        if (stop == std::string::npos) stop = current_.size();
        item.assign(TrimBlanks(std::string_view(current_).substr(pos_, stop - pos_)));
        pos_ = stop;
    }
    FinishItem();
    return item;
}

double MifInput::ReadNumber() {
    if (!StartItem(true)) throw MifReadError("the file ends inside an object");
    std::size_t start = pos_;
    const std::size_t size = current_.size();
    while (pos_ < size && !IsSpace(current_[pos_]) && current_[pos_] != ',')
        ++pos_;
    double value = 0.0;
    if (!ParseWholeDouble(std::string_view(current_).substr(start, pos_ - start), value)) {
        // Left unread, so that a reader that stops here hands the word to the object loop.
        pos_ = start;
        throw MifReadError("not a number");
    }
    FinishItem();
    return value;
}

void MifInput::ReadPair(double& x, double& y) {
    if (!inLine_ && !havePeek_ && !realEnd_) {
        std::string_view text;
        bool isPair = false;
        if (!reader_.ReadLineOrPair(text, isPair, x, y)) {
            CheckNotFailed();
            realEnd_ = true;
        } else if (isPair) {
            return;
        } else {
            // Anything else takes the general road, item by item.
            if (lineWatcher) lineWatcher(text, reader_.LineNumber());
            current_.assign(text);
            pos_ = 0;
            inLine_ = true;
        }
    }
    x = ReadNumber();
    y = ReadNumber();
}

std::int32_t MifInput::ReadCount() {
    std::int32_t count = ToLong(ReadNumber());
    if (count < 1) throw MifReadError("count below 1");
    return count;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::vector<std::string_view> SplitBlanks(std::string_view text, std::size_t maxPieces) {
    std::vector<std::string_view> pieces;
    for (;;) {
        if (maxPieces > 0 && pieces.size() + 1 == maxPieces) break;
        std::size_t blank = text.find(' ');
        if (blank == std::string_view::npos) break;
        pieces.push_back(text.substr(0, blank));
        text.remove_prefix(blank + 1);
    }
    pieces.push_back(text);
    return pieces;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (EqualsNoCase(text.substr(i, word.size()), word)) return true;
    }
    return false;
}

std::string FirstWordUpper(std::string_view line) {
    line = TrimBlanks(line);
    return UpperAnsi(line.substr(0, line.find(' ')));
}

bool TryMifDouble(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.back() == ',') text = TrimBlanks(text.substr(0, text.size() - 1));
    return ParseWholeDouble(text, value);
}

double MifDouble(std::string_view text) {
    double value = 0.0;
    if (!TryMifDouble(text, value)) throw MifReadError("not a number");
    return value;
}

std::int32_t MifLong(std::string_view text) {
    return ToLong(MifDouble(text));
}

}  // namespace vx

#include "platform/pair_line_reader.h"

namespace vx {

namespace {

// A few blocks in flight keep the second thread busy without holding much of the file in
// memory.
constexpr std::size_t kBlocks = 4;

}  // namespace

PairLineReader::~PairLineReader() {
    Close();
}

bool PairLineReader::Open(const std::string& path) {
    Close();
    if (!reader_.Open(path)) return false;
    return Rewind();
}

void PairLineReader::Close() {
    StopReadAhead();
    reader_.Close();
}

bool PairLineReader::Rewind(bool readAhead) {
    StopReadAhead();
    if (!reader_.Rewind()) return false;
    lineNumber_ = 0;
    failed_ = false;
    if (readAhead) {
        while (empty_.size() < kBlocks)
            empty_.push_back(std::make_unique<Block>());
        readAhead_ = true;
        producer_ = std::thread(&PairLineReader::Produce, this);
    }
    return true;
}

void PairLineReader::StopReadAhead() {
    if (!readAhead_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    producer_.join();
    stopping_ = false;
    readAhead_ = false;
    if (current_) empty_.push_back(std::move(current_));
    while (!full_.empty()) {
        empty_.push_back(std::move(full_.front()));
        full_.pop_front();
    }
    next_ = 0;
    nextPair_ = 0;
}

void PairLineReader::Produce() {
    std::string carry;
    for (;;) {
        std::unique_ptr<Block> block;
        bool parse = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !empty_.empty(); });
            if (stopping_) return;
            block = std::move(empty_.back());
            empty_.pop_back();
            // Parsing is shared out: while the caller has queued lines to work on, this
            // thread parses the block it fills; when the caller is waiting for lines, the
            // block goes out as soon as it is split and the caller parses it.
            parse = !full_.empty();
        }
        try {
            FillBlock(*block, carry, parse);
        } catch (const std::exception&) {
            // Out of memory for a giant line: the caller sees the end, marked as a failure.
            block->last = true;
            block->failed = true;
        }
        const bool last = block->last;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            full_.push_back(std::move(block));
        }
        changed_.notify_all();
        if (last) return;
    }
}

void PairLineReader::FillBlock(Block& block, std::string& carry, bool parse) {
    block.lines.clear();
    block.pairs.clear();
    block.last = false;
    block.failed = false;
    block.parsed = parse;
    if (block.text.size() < carry.size() + blockBytes_)
        block.text.resize(carry.size() + blockBytes_);
    std::copy(carry.begin(), carry.end(), block.text.begin());
    block.size = carry.size();
    carry.clear();

    std::size_t lineStart = 0;  // of the line being looked at
    std::size_t scan = 0;       // where the search for its end goes on
    // The line from lineStart ends its text at `end` and the next line begins at `next`.
    auto addLine = [&](std::size_t end, std::size_t next) {
        std::uint64_t entry = next;
        const std::string_view line(block.text.data() + lineStart, end - lineStart);
        if (parse && ParseInto(block.pairs, line)) entry |= kPairBit;
        block.lines.push_back(entry);
        lineStart = scan = next;
    };
    for (;;) {
        // Another read, into the room after the bytes not yet split; a line longer than
        // the block makes it grow.
        if (block.text.size() - block.size < blockBytes_)
            block.text.resize(block.size + blockBytes_);
        const std::size_t got = reader_.ReadBytes(block.text.data() + block.size, blockBytes_);
        block.size += got;
        const bool atEnd = got < blockBytes_;
        const char* const text = block.text.data();
        const char* const stop = text + block.size;
        // CR LF, LF and a lone CR end a line. A CR as the last byte read is left for the
        // next read to tell which, unless the file ends there.
        for (;;) {
            const char* end = FindLineEnd(text + scan, stop);
            if (end == stop) break;
            std::size_t next = static_cast<std::size_t>(end - text) + 1;
            if (*end == '\r') {
                if (next == block.size && !atEnd) break;
                if (next < block.size && text[next] == '\n') ++next;
            }
            addLine(static_cast<std::size_t>(end - text), next);
        }
        if (atEnd) {
            block.failed = reader_.Failed();
            block.last = true;
            // The last line may lack its line end.
            if (lineStart < block.size) addLine(block.size, block.size);
            return;
        }
        if (!block.lines.empty()) break;
        // No line has ended yet: the search goes on where it stopped, before a CR it
        // stopped at.
        scan = static_cast<std::size_t>(std::max(stop - 1, text + scan) - text);
    }
    carry.assign(block.text.data() + lineStart, block.size - lineStart);
    block.size = lineStart;
}

std::string_view PairLineReader::Block::Line(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : lines[i - 1] & ~kPairBit;
    std::size_t end = lines[i] & ~kPairBit;
    // A line holds no CR or LF: what ends it is its line end.
    if (end > begin && text[end - 1] == '\n') --end;
    if (end > begin && text[end - 1] == '\r') --end;
    return std::string_view(text.data() + begin, end - begin);
}

bool PairLineReader::NextLine(std::string_view& line, bool& isPair, double& first, double& second) {
    while (!current_ || next_ >= current_->lines.size()) {
        if (current_ && current_->last) {
            failed_ = current_->failed;
            return false;
        }
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (current_) empty_.push_back(std::move(current_));
            changed_.notify_all();
            changed_.wait(lock, [this] { return !full_.empty(); });
            current_ = std::move(full_.front());
            full_.pop_front();
        }
        if (!current_->parsed) ParseBlock(*current_);
        next_ = 0;
        nextPair_ = 0;
    }
    line = current_->Line(next_);
    isPair = (current_->lines[next_] & kPairBit) != 0;
    if (isPair) {
        first = current_->pairs[nextPair_].first;
        second = current_->pairs[nextPair_].second;
        ++nextPair_;
    }
    ++next_;
    ++lineNumber_;
    return true;
}

bool PairLineReader::ParseInto(std::vector<Pair>& pairs, std::string_view line) const {
    // The numbers are parsed into their place, not into a copy moved there afterwards.
    Pair& pair = pairs.emplace_back();
    if (parser_(line, pair.first, pair.second)) return true;
    pairs.pop_back();
    return false;
}

void PairLineReader::ParseBlock(Block& block) const {
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        if (ParseInto(block.pairs, block.Line(i))) block.lines[i] |= kPairBit;
    }
    block.parsed = true;
}

bool PairLineReader::ReadLine(std::string_view& line) {
    if (!readAhead_) {
        if (!reader_.ReadLine(line)) {
            failed_ = reader_.Failed();
            return false;
        }
        ++lineNumber_;
        return true;
    }
    bool isPair = false;
    double first = 0, second = 0;
    return NextLine(line, isPair, first, second);
}

bool PairLineReader::ReadLineOrPair(std::string_view& line, bool& isPair, double& first,
                                    double& second) {
    if (!readAhead_) {
        if (!ReadLine(line)) return false;
        isPair = parser_(line, first, second);
        return true;
    }
    return NextLine(line, isPair, first, second);
}

}  // namespace vx

#include "platform/pair_line_reader.h"

namespace vx {

namespace {

// A block ends at this many lines or once its text reaches this many bytes; a few blocks
// in flight keep the second thread busy without holding much of the file in memory.
constexpr std::size_t kBlockLines = 16384;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
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
        block->text.clear();
        block->lines.clear();
        block->pairs.clear();
        block->last = false;
        block->failed = false;
        block->parsed = parse;
        try {
            std::string_view line;
            while (block->lines.size() < kBlockLines && block->text.size() < kBlockBytes) {
                if (!reader_.ReadLine(line)) {
                    block->last = true;
                    block->failed = reader_.Failed();
                    break;
                }
                std::uint64_t entry = block->text.size() + line.size();
                if (parse && ParseInto(block->pairs, line)) entry |= kPairBit;
                block->text.append(line);
                block->lines.push_back(entry);
            }
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

bool PairLineReader::NextLine(std::string_view& line, bool& isPair, double& first,
                              double& second) {
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
    const std::uint64_t entry = current_->lines[next_];
    const std::size_t begin = next_ == 0 ? 0 : current_->lines[next_ - 1] & ~kPairBit;
    line = std::string_view(current_->text).substr(begin, (entry & ~kPairBit) - begin);
    isPair = (entry & kPairBit) != 0;
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
    const std::string_view text(block.text);
    std::size_t begin = 0;
    for (std::uint64_t& entry : block.lines) {
        const std::size_t end = entry;
        if (ParseInto(block.pairs, text.substr(begin, end - begin))) entry |= kPairBit;
        begin = end;
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

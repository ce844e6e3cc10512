#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/text_file.h"

namespace vx {

// The lines of a text file, split as TextReader splits them, for a caller that takes most of
// them as two numbers (the vertex lines of a map file). A parser given by the caller decides
// which lines are such pairs. Lines are read on the caller's thread, or, after a rewind with
// read-ahead, on a second thread that splits and parses blocks of lines ahead of the caller.
class PairLineReader {
  public:
    // True, with the two numbers, when a whole line (without its line end) is a pair.
    using PairParser = bool (*)(std::string_view line, double& first, double& second);

    // The read-ahead reads `blockBytes` at a time (small blocks are for tests).
    explicit PairLineReader(PairParser parser, std::size_t blockBytes = std::size_t{1} << 20)
        : parser_(parser), blockBytes_(blockBytes < 1 ? 1 : blockBytes) {}
    ~PairLineReader();
    PairLineReader(const PairLineReader&) = delete;
    PairLineReader& operator=(const PairLineReader&) = delete;

    bool Open(const std::string& path);
    void Close();
    // Starts again at the first line. With readAhead the lines from here on are read and
    // parsed on a second thread, which ends at the end of the file or at the next Rewind or
    // Close.
    bool Rewind(bool readAhead = false);

    // The next line; false at the end of the file. The view stays valid until the next call.
    bool ReadLine(std::string_view& line);
    // The same, but a line the parser takes gives its numbers instead (`isPair` true).
    bool ReadLineOrPair(std::string_view& line, bool& isPair, double& first, double& second);
    // Takes the lines ahead that the second thread found to be pairs, up to `max` of them and
    // at most to the end of its current block, handing each pair to sink(first, second).
    // Returns how many were taken: 0 when the next line is no pair, when the next block is
    // not yet there, and always without read-ahead.
    template <typename Sink>
    std::size_t ReadPairs(std::size_t max, Sink&& sink) {
        if (!readAhead_ || !current_) return 0;
        const std::vector<std::uint64_t>& lines = current_->lines;
        const std::size_t stop = std::min(lines.size(), next_ + max);
        const std::size_t first = next_;
        const Pair* pair = current_->pairs.data() + nextPair_;
        while (next_ < stop && (lines[next_] & kPairBit) != 0) {
            sink(pair->first, pair->second);
            ++pair;
            ++next_;
        }
        nextPair_ += next_ - first;
        lineNumber_ += static_cast<long long>(next_ - first);
        return next_ - first;
    }
    // Number of lines taken so far (the 1-based number of the last one).
    long long LineNumber() const { return lineNumber_; }
    // True once the end was reached because the file could not be read further.
    bool Failed() const { return failed_; }

  private:
    // A block's lines travel to the caller's thread as compactly as they can: one word per
    // line (where its text ends, and whether it is a pair) and the numbers of its pairs in a
    // row, so that little memory passes between the two cores.
    static constexpr std::uint64_t kPairBit = std::uint64_t{1} << 63;
    struct Pair {
        double first;
        double second;
    };
    // The file's bytes as read, line ends included, and where each line ends. The text
    // holds only whole lines; a line cut by the end of a read goes on to the next block.
    struct Block {
        std::vector<char> text;  // grows, never shrinks: `size` bytes are used
        std::size_t size = 0;
        std::vector<std::uint64_t> lines;  // where the line after each begins, kPairBit for a pair
        std::vector<Pair> pairs;           // the numbers of the pair lines, in their order
        bool last = false;                 // the file ends after these lines
        bool failed = false;               // ... because it could not be read
        bool parsed = false;               // the pairs have been looked for

        // The text of line i, without its line end.
        std::string_view Line(std::size_t i) const;
    };

    // Fills a block with the lines of the next read, after the piece of a line the last
    // read ended in (`carry`, which then holds the piece this one ends in), parsing them when
    // `parse`.
    void FillBlock(Block& block, std::string& carry, bool parse);
    // Moves to the next line of the read-ahead, with its text (and its numbers when it is a
    // pair); false at the end.
    bool NextLine(std::string_view& line, bool& isPair, double& first, double& second);
    // True, with its numbers added to `pairs`, when the line is a pair.
    bool ParseInto(std::vector<Pair>& pairs, std::string_view line) const;
    void ParseBlock(Block& block) const;
    void Produce();
    void StopReadAhead();

    // While reading ahead, the caller's thread and the second one each keep to their own
    // members, and each group starts a cache line of its own: the caller counts every line it
    // takes, and a count sharing a line with the reader's position would send that line from
    // core to core twice per line read.
    static constexpr std::size_t kCacheLine = 64;

    const PairParser parser_;
    const std::size_t blockBytes_;

    // The caller's side.
    alignas(kCacheLine) long long lineNumber_ = 0;
    bool failed_ = false;
    bool readAhead_ = false;
    std::unique_ptr<Block> current_;
    std::size_t next_ = 0;      // the next line of current_
    std::size_t nextPair_ = 0;  // the next pair of current_

    // The file, read on the second thread while reading ahead, else on the caller's.
    alignas(kCacheLine) TextReader reader_;

    // Read-ahead: the second thread fills empty blocks and queues them; the caller takes
    // them in order and gives each back when it moves on to the next. The second thread
    // splits the lines itself, as TextReader would, reading the file in blocks.
    alignas(kCacheLine) std::thread producer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<Block>> empty_;
    std::deque<std::unique_ptr<Block>> full_;
    bool stopping_ = false;
};

}  // namespace vx

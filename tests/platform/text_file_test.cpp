#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/pair_line_reader.h"
#include "support/test_support.h"

namespace vx {
namespace {

using Lines = std::vector<std::string>;

Lines Read(TextReader& reader) {
    Lines lines;
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    return lines;
}

TEST(TextReader, EveryLineEndLongLinesBufferEdgesAndAllBytes) {
    test::TempDir dir;
    const std::pair<std::string, Lines> texts[] = {
        {"crlf\r\nlf\ncr\rlast", {"crlf", "lf", "cr", "last"}},
        {"\r\n\n\r\r\nx\r\n", {"", "", "", "", "x"}},
        {"", {}},
    };
    for (const auto& [text, lines] : texts) {
        test::WriteFile(dir / "t.txt", text);
        TextReader reader(dir / "t.txt");
        EXPECT_EQ(Read(reader), lines);
        EXPECT_EQ(reader.LineNumber(), static_cast<long long>(lines.size()));
        ASSERT_TRUE(reader.Rewind());
        EXPECT_EQ(Read(reader), lines) << "a rewind starts over";
    }
    // Every line end at every place in the blocks the reader looks through at once.
    std::string text;
    Lines lines;
    for (std::size_t n = 0; n < 50; ++n) {
        lines.push_back(std::string(n, static_cast<char>('a' + n % 26)));
        text += lines.back() + (n % 3 == 0 ? "\r\n" : n % 3 == 1 ? "\n" : "\r");
    }
    test::WriteFile(dir / "steps.txt", text);
    TextReader steps(dir / "steps.txt");
    EXPECT_EQ(Read(steps), lines);
    // A line longer than the read buffer, a CR LF split by the buffer's edge, and every byte.
    const std::size_t edge = 1 << 20;
    Lines big = {std::string(edge - 1, 'a'), std::string(3 * edge, 'b'), ""};
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') big[2] += static_cast<char>(b);
    test::WriteFile(dir / "big.txt", big[0] + "\r\n" + big[1] + "\n" + big[2] + "\r");
    TextReader reader(dir / "big.txt");
    EXPECT_EQ(Read(reader), big);
    EXPECT_FALSE(TextReader(dir / "none.txt").IsOpen());
}

TEST(TextWriter, WritesCrLfAndReportsFailure) {
    test::TempDir dir;
    TextWriter out;
    ASSERT_TRUE(out.Create(dir / "w.txt"));
    out.WriteLine("one");
    out.Write("two");
    out.WriteLine("");
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(test::ReadFile(dir / "w.txt"), "one\r\ntwo\r\n");
    EXPECT_FALSE(TextWriter().Create(dir / "no/such/folder/w.txt"));
    if (test::RunCommand("test -w /dev/full").status == 0) {
        TextWriter full;
        ASSERT_TRUE(full.Append("/dev/full"));
        full.WriteLine("lost");
        EXPECT_FALSE(full.Close()) << "a write that fails must not be reported as written";
    }
}

// A pair for these tests: two whole numbers split by one blank, nothing else.
bool IntPair(std::string_view line, double& a, double& b) {
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank == 0 || blank + 1 == line.size()) return false;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (i != blank && (line[i] < '0' || line[i] > '9')) return false;
    a = std::stod(std::string(line.substr(0, blank)));
    b = std::stod(std::string(line.substr(blank + 1)));
    return true;
}

// What a PairLineReader hands out, line by line: the text, or "=a,b" for a pair when read
// `asPairs`. With `inRuns`, runs of pairs are taken in bulk where the reader offers them.
Lines Taken(PairLineReader& reader, bool asPairs, std::size_t limit = SIZE_MAX,
            bool inRuns = false) {
    Lines out;
    auto pair = [&](double a, double b) {
        out.push_back("=" + std::to_string(static_cast<long>(a)) + "," +
                      std::to_string(static_cast<long>(b)));
    };
    std::string_view line;
    bool isPair = false;
    double a = 0, b = 0;
    while (out.size() < limit) {
        if (!(inRuns && reader.ReadPairs(std::min<std::size_t>(limit - out.size(), 5), pair))) {
            if (asPairs ? !reader.ReadLineOrPair(line, isPair, a, b) : !reader.ReadLine(line))
                break;
            if (asPairs && isPair)
                pair(a, b);
            else
                out.emplace_back(line);
        }
        EXPECT_EQ(reader.LineNumber(), static_cast<long long>(out.size()));
    }
    return out;
}

TEST(PairLineReader, ReadAheadHandsOutExactlyWhatTheCallersThreadWouldRead) {
    test::TempDir dir;
    // Enough lines for many blocks, every line end, empty lines, a line longer than a block,
    // a CR LF split by the 1 MiB read buffer and a last line without its end.
    std::string text;
    for (int i = 0; i < 70000; ++i) {
        if (i == 40000) text += std::string(3 << 20, 'x') + "\n";
        if (i % 5 == 4) text += "\r\n";
        text += i % 3 == 0 ? std::to_string(i) + " " + std::to_string(i * 7)
                           : "line " + std::to_string(i) + (i % 7 == 0 ? " 1" : "");
        text += i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\n" : "\r");
    }
    text.insert((1u << 20) - 1, "\r\n");
    test::WriteFile(dir / "lines.txt", text + "7 8");

    PairLineReader direct(IntPair), ahead(IntPair);
    ASSERT_TRUE(direct.Open(dir / "lines.txt") && ahead.Open(dir / "lines.txt"));
    const Lines expected = Taken(direct, true);
    ASSERT_GT(expected.size(), 70000u);
    EXPECT_EQ(expected.back(), "=7,8");
    EXPECT_FALSE(direct.Failed());
    ASSERT_TRUE(ahead.Rewind(true));
    EXPECT_EQ(Taken(ahead, true), expected);
    std::string_view line;
    EXPECT_FALSE(ahead.ReadLine(line)) << "the end stays the end";
    ASSERT_TRUE(ahead.Rewind(true));
    EXPECT_EQ(Taken(ahead, true, SIZE_MAX, true), expected) << "pairs taken in runs";
    // Read as text, pairs included, on both roads.
    ASSERT_TRUE(ahead.Rewind(true) && direct.Rewind());
    const Lines texts = Taken(ahead, false);
    EXPECT_EQ(texts, Taken(direct, false));
    EXPECT_EQ(texts.size(), expected.size());
}

TEST(PairLineReader, EveryLineEndAtEveryBlockEdgeSplitsAsOnTheCallersThread) {
    // The second thread splits the lines itself: small blocks put every edge case of the line
    // ends (a CR LF or a lone CR cut by a read, a line longer than many blocks, empty lines,
    // a last line with and without its end) at a block's edge somewhere.
    test::TempDir dir;
    std::mt19937 random(7);
    const char pieces[] = {'1', '2', ' ', 'x', '\r', '\n', '\r', '\n'};
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int length = round < 4 ? round : static_cast<int>(random() % 300);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % sizeof pieces];
        if (round % 5 == 0) text += std::string(70, 'x') + "\r17 8\r";
        test::WriteFile(dir / "lines.txt", text);
        PairLineReader direct(IntPair);
        ASSERT_TRUE(direct.Open(dir / "lines.txt"));
        const Lines expected = Taken(direct, true);
        for (std::size_t blockBytes : {1, 2, 3, 5, 16}) {
            PairLineReader ahead(IntPair, blockBytes);
            ASSERT_TRUE(ahead.Open(dir / "lines.txt") && ahead.Rewind(true));
            ASSERT_EQ(Taken(ahead, true, SIZE_MAX, round % 2 == 1), expected)
                << "block of " << blockBytes << " bytes, text of " << text.size();
            ASSERT_TRUE(ahead.Rewind(true) && direct.Rewind());
            ASSERT_EQ(Taken(ahead, false), Taken(direct, false));
        }
    }
}

TEST(PairLineReader, AReadErrorIsNotTheEndOfTheFile) {
    // A folder opens like a file here but cannot be read: the failure must reach the caller
    // from the second thread as well, or a reader would take it for a short file.
    test::TempDir dir;
    for (bool readAhead : {false, true}) {
        PairLineReader reader(IntPair);
        if (!reader.Open(dir.path())) GTEST_SKIP() << "folders cannot be opened for reading here";
        ASSERT_TRUE(reader.Rewind(readAhead));
        std::string_view line;
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_TRUE(reader.Failed()) << (readAhead ? "read ahead" : "on the caller's thread");
    }
}

TEST(PairLineReader, RewindAndCloseStopTheSecondThreadWhereverItIs) {
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += std::to_string(i) + " 1\n";
    test::WriteFile(dir / "many.txt", text);
    PairLineReader reader(IntPair);
    ASSERT_TRUE(reader.Open(dir / "many.txt"));
    for (int round = 0; round < 20; ++round) {
        // Rewind while the thread is filling or waiting for room, after a few lines or none.
        ASSERT_TRUE(reader.Rewind(true));
        const Lines first = Taken(reader, true, static_cast<std::size_t>(round * 997));
        for (std::size_t i = 0; i < first.size(); ++i)
            ASSERT_EQ(first[i], "=" + std::to_string(i) + ",1");
    }
    ASSERT_TRUE(reader.Rewind(true));
    EXPECT_EQ(Taken(reader, true, 3), (Lines{"=0,1", "=1,1", "=2,1"}));
    reader.Close();
    EXPECT_FALSE(reader.Failed());
    PairLineReader dropped(IntPair);  // destroyed while reading ahead
    ASSERT_TRUE(dropped.Open(dir / "many.txt") && dropped.Rewind(true));
}

}  // namespace
}  // namespace vx

#include "platform/text_file.h"

#include <gtest/gtest.h>

#include "platform/pair_line_reader.h"

#include "support/test_support.h"

namespace vx {
namespace {

std::vector<std::string> Lines(const std::string& path) {
    TextReader reader(path);
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    return lines;
}

TEST(TextReader, AcceptsEveryLineEnd) {
    test::TempDir dir;
    test::WriteFile(dir / "t.txt", "crlf\r\nlf\ncr\rlast");
    EXPECT_EQ(Lines(dir / "t.txt"), (std::vector<std::string>{"crlf", "lf", "cr", "last"}));
    test::WriteFile(dir / "blank.txt", "\r\n\n\r\r\nx\r\n");
    EXPECT_EQ(Lines(dir / "blank.txt"), (std::vector<std::string>{"", "", "", "", "x"}));
    test::WriteFile(dir / "empty.txt", "");
    EXPECT_TRUE(Lines(dir / "empty.txt").empty());
}

TEST(TextReader, LinesAcrossBufferEdgesAndBinaryBytesSurvive) {
    test::TempDir dir;
    // A line longer than the read buffer, a CR LF split by the buffer edge, and every byte value.
    const std::size_t edge = 1 << 20;
    std::string first(edge - 1, 'a');
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
    std::string longLine(3 * edge, 'b');
    test::WriteFile(dir / "big.txt", first + "\r\n" + longLine + "\n" + bytes + "\r");
    auto lines = Lines(dir / "big.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], bytes);
}

TEST(TextReader, RewindStartsOverAndCountsLines) {
    test::TempDir dir;
    test::WriteFile(dir / "t.txt", "a\nb\n");
    TextReader reader(dir / "t.txt");
    std::string line;
    while (reader.ReadLine(line)) {
    }
    EXPECT_EQ(reader.LineNumber(), 2);
    ASSERT_TRUE(reader.Rewind());
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "a");
    EXPECT_FALSE(TextReader(dir / "none.txt").IsOpen());
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

std::string PairText(double a, double b) {
    return "=" + std::to_string(static_cast<long>(a)) + "," + std::to_string(static_cast<long>(b));
}

// What a PairLineReader hands out, line by line: the text, or "=a,b" for a pair. With
// `inRuns`, runs of pairs are taken in bulk where the reader offers them.
std::vector<std::string> Taken(PairLineReader& reader, bool asPairs, std::size_t limit = SIZE_MAX,
                               bool inRuns = false) {
    std::vector<std::string> out;
    std::string_view line;
    bool isPair = false;
    double a = 0, b = 0;
    while (out.size() < limit) {
        if (inRuns &&
            reader.ReadPairs(std::min<std::size_t>(limit - out.size(), 5),
                             [&](double x, double y) { out.push_back(PairText(x, y)); }) > 0) {
            EXPECT_EQ(reader.LineNumber(), static_cast<long long>(out.size()));
            continue;
        }
        if (asPairs ? !reader.ReadLineOrPair(line, isPair, a, b) : !reader.ReadLine(line)) break;
        if (asPairs && isPair)
            out.push_back(PairText(a, b));
        else
            out.emplace_back(line);
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
    const std::size_t edge = (1u << 20) - 1;
    text.insert(edge, "\r\n");
    text += "7 8";
    test::WriteFile(dir / "lines.txt", text);

    PairLineReader direct(IntPair);
    ASSERT_TRUE(direct.Open(dir / "lines.txt"));
    const auto expected = Taken(direct, true);
    ASSERT_GT(expected.size(), 70000u);
    EXPECT_EQ(expected.back(), "=7,8");
    EXPECT_FALSE(direct.Failed());

    PairLineReader ahead(IntPair);
    ASSERT_TRUE(ahead.Open(dir / "lines.txt"));
    ASSERT_TRUE(ahead.Rewind(true));
    EXPECT_EQ(Taken(ahead, true), expected);
    std::string_view line;
    EXPECT_FALSE(ahead.ReadLine(line)) << "the end stays the end";
    ASSERT_TRUE(ahead.Rewind(true));
    EXPECT_EQ(Taken(ahead, true, SIZE_MAX, true), expected) << "pairs taken in runs";
    // Read as text, pairs included, on both roads.
    ASSERT_TRUE(ahead.Rewind(true));
    const auto texts = Taken(ahead, false);
    ASSERT_TRUE(direct.Rewind());
    EXPECT_EQ(texts, Taken(direct, false));
    EXPECT_EQ(texts.size(), expected.size());
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
    test::WriteFile(dir / "ok.txt", "1 2\n");
    PairLineReader reader(IntPair);
    ASSERT_TRUE(reader.Open(dir / "ok.txt"));
    ASSERT_TRUE(reader.Rewind(true));
    EXPECT_EQ(Taken(reader, true), (std::vector<std::string>{"=1,2"}));
    EXPECT_FALSE(reader.Failed());
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
        const auto first = Taken(reader, true, static_cast<std::size_t>(round * 997));
        for (std::size_t i = 0; i < first.size(); ++i)
            ASSERT_EQ(first[i], "=" + std::to_string(i) + ",1");
    }
    ASSERT_TRUE(reader.Rewind(true));
    EXPECT_EQ(Taken(reader, true, 3), (std::vector<std::string>{"=0,1", "=1,1", "=2,1"}));
    reader.Close();
    PairLineReader dropped(IntPair);  // destroyed while reading ahead
    ASSERT_TRUE(dropped.Open(dir / "many.txt"));
    ASSERT_TRUE(dropped.Rewind(true));
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
    TextWriter bad;
    EXPECT_FALSE(bad.Create(dir / "no/such/folder/w.txt"));
    if (test::RunCommand("test -w /dev/full").status == 0) {
        TextWriter full;
        ASSERT_TRUE(full.Append("/dev/full"));
        full.WriteLine("lost");
        EXPECT_FALSE(full.Close()) << "a write that fails must not be reported as written";
    }
}

}  // namespace
}  // namespace vx

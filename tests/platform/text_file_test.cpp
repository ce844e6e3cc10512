#include "platform/text_file.h"

#include <gtest/gtest.h>

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

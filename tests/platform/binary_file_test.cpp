#include "platform/binary_file.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/text_file.h"
#include "support/test_support.h"

namespace vx {
namespace {

TEST(Endian, BothOrdersHaveTheirByteLayout) {
    unsigned char b[8];
    StoreLE<std::int32_t>(b, -2);
    EXPECT_EQ(std::string(b, b + 4), "\xFE\xFF\xFF\xFF");
    StoreLE<std::int32_t>(b, 0x01020304);
    EXPECT_EQ(std::string(b, b + 4), "\x04\x03\x02\x01");
    StoreBE<std::int32_t>(b, 9994);  // the shapefile code
    EXPECT_EQ(std::string(b, b + 4), std::string("\x00\x00\x27\x0A", 4));
    EXPECT_EQ(LoadBE<std::int32_t>(b), 9994);
    EXPECT_EQ(SwapLong(0x0A270000), 9994);
    StoreLE<double>(b, -1234.5678);
    EXPECT_EQ(LoadLE<double>(b), -1234.5678);
    StoreLE<float>(b, 45.5f);
    EXPECT_EQ(std::string(b, b + 4), std::string("\x00\x00\x36\x42", 4));
}

TEST(BinaryFile, WriteAtOffsetsThenReadWithinBoundsOnly) {
    test::TempDir dir;
    // An older, longer file is replaced.
    test::WriteFile(dir / "b.bin", std::string(100, 'x'));
    BinaryWriter out;
    ASSERT_TRUE(out.Create(dir / "b.bin"));
    ByteBuffer body;
    body.PutZeros(8);
    body.PutLE<double>(2.5);
    body.PutBE<std::int32_t>(7);
    body.PutText("abc");
    out.Write(body);
    unsigned char patch[4];
    StoreLE<std::int32_t>(patch, 102);
    out.WriteAt(0, patch, 4);
    EXPECT_EQ(out.Position(), 23u);
    ASSERT_TRUE(out.Close());

    BinaryReader in(dir / "b.bin");
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(in.Size(), 23u);
    std::int32_t format = 0, be = 0;
    double d = 0;
    ASSERT_TRUE(in.ReadLE(0, format) && in.ReadLE(8, d) && in.ReadBE(16, be));
    EXPECT_EQ(std::tuple(format, d, be), std::tuple(102, 2.5, 7));
    // Reads that leave the file fail instead of reading garbage or allocating for them.
    EXPECT_FALSE(in.ReadLE(20, be));
    EXPECT_EQ(in.Peek(0, 24), nullptr);
    EXPECT_EQ(in.Peek(std::numeric_limits<std::uint64_t>::max() - 2, 4), nullptr);
    EXPECT_EQ(in.Peek(1, std::numeric_limits<std::size_t>::max()), nullptr);
}

// Files of many writeback steps, two binary and one text, written side by side in pieces of
// every size and patched at the start: each reads back exactly as written, so starting their
// writeback never touches the writers' own descriptors or their bytes.
TEST(BinaryFile, LargeFilesWrittenTogetherReadBackWhole) {
    test::TempDir dir;
    BinaryWriter first;
    BinaryWriter second;
    TextWriter text;
    ASSERT_TRUE(first.Create(dir / "a.bin") && second.Create(dir / "b.bin") &&
                text.Create(dir / "c.txt"));
    std::string expectA;
    std::string expectB;
    std::string expectC;
    std::uint32_t seed = 7;
    for (std::size_t piece = 1; expectA.size() < 3 * kWritebackStep; piece = piece * 3 % 2500007) {
        seed = seed * 1103515245u + 12345u;
        const std::string bytes(piece, static_cast<char>('a' + seed % 26));
        first.Write(bytes.data(), bytes.size());
        second.Write(bytes.data(), bytes.size() / 2);
        text.Write(bytes);
        expectA += bytes;
        expectB += bytes.substr(0, bytes.size() / 2);
        expectC += bytes;
    }
    first.WriteAt(0, "HEAD", 4);
    expectA.replace(0, 4, "HEAD");
    ASSERT_TRUE(first.Close() && second.Close() && text.Close());
    EXPECT_TRUE(test::ReadFile(dir / "a.bin") == expectA);
    EXPECT_TRUE(test::ReadFile(dir / "b.bin") == expectB);
    EXPECT_TRUE(test::ReadFile(dir / "c.txt") == expectC);
}

}  // namespace
}  // namespace vx

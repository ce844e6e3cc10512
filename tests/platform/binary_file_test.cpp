#include "platform/binary_file.h"

#include <gtest/gtest.h>

#include <limits>

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

}  // namespace
}  // namespace vx

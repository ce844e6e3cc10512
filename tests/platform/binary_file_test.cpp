#include "platform/binary_file.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/test_support.h"

namespace vx {
namespace {

TEST(Endian, BothOrdersRoundTripAndHaveTheirByteLayout) {
    unsigned char b[8];
    StoreLE<std::int32_t>(b, 0x01020304);
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(LoadLE<std::int32_t>(b), 0x01020304);
    StoreBE<std::int32_t>(b, 9994);  // the shapefile code
    EXPECT_EQ(b[0], 0x00);
    EXPECT_EQ(b[2], 0x27);
    EXPECT_EQ(b[3], 0x0A);
    EXPECT_EQ(LoadBE<std::int32_t>(b), 9994);
    StoreLE<double>(b, -1234.5678);
    EXPECT_EQ(LoadLE<double>(b), -1234.5678);
    StoreLE<float>(b, 45.5f);
    EXPECT_EQ(LoadLE<float>(b), 45.5f);
    StoreLE<std::int32_t>(b, -2);
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[3], 0xFF);
}

TEST(Endian, SwapLongTwiceGivesTheValueBack) {
    for (std::int32_t v : {0, 1, -1, 9994, 0x12345678, std::numeric_limits<std::int32_t>::min(),
                           std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(SwapLong(SwapLong(v)), v);
    }
    EXPECT_EQ(SwapLong(0x0A270000), 9994);
}

TEST(BinaryFile, WriteAtOffsetsThenReadWithinBoundsOnly) {
    test::TempDir dir;
    BinaryWriter out;
    ASSERT_TRUE(out.Create(dir / "b.bin"));
    ByteBuffer header;
    header.PutZeros(8);
    out.Write(header);
    ByteBuffer body;
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
    std::int32_t format = 0;
    ASSERT_TRUE(in.ReadLE(0, format));
    EXPECT_EQ(format, 102);
    double d = 0;
    ASSERT_TRUE(in.ReadLE(8, d));
    EXPECT_EQ(d, 2.5);
    std::int32_t be = 0;
    ASSERT_TRUE(in.ReadBE(16, be));
    EXPECT_EQ(be, 7);
    // Reads that leave the file fail instead of reading garbage or allocating for them.
    EXPECT_FALSE(in.ReadLE(20, be));
    EXPECT_EQ(in.Peek(0, 24), nullptr);
    EXPECT_EQ(in.Peek(std::numeric_limits<std::uint64_t>::max() - 2, 4), nullptr);
    EXPECT_EQ(in.Peek(1, std::numeric_limits<std::size_t>::max()), nullptr);
}

TEST(BinaryFile, CreateReplacesALongerOlderFile) {
    test::TempDir dir;
    test::WriteFile(dir / "old.bin", std::string(100, 'x'));
    BinaryWriter out;
    ASSERT_TRUE(out.Create(dir / "old.bin"));
    out.Write("ab", 2);
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(test::ReadFile(dir / "old.bin"), "ab");
}

}  // namespace
}  // namespace vx

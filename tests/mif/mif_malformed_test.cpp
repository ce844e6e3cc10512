// Files that are not well formed: each is refused with its message, never a crash, a hang or
// an allocation the file does not justify.
#include <gtest/gtest.h>

#include <random>

#include "mif_test_support.h"

namespace vx {
namespace {

using test::MifText;

const std::string kHeaderError = "\tError Reading MIF Header\r\n";
const std::string kDataError = "\tReading ...\r\n\tError Reading MIF Data\r\n";

TEST(MifMalformed, EmptyMissingAndBinaryFiles) {
    EXPECT_EQ(test::ReadMif("").log, kHeaderError);
    const test::MifResult missing = test::ReadMifPath("/nonexistent/folder/none.mif");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.log, "") << "the caller reports a source it could not open";
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        std::string junk(20000, '\0');
        for (char& c : junk)
            c = static_cast<char>(random());
        const test::MifResult r = test::ReadMif(junk);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.log, kHeaderError);
    }
}

TEST(MifMalformed, BadCountsAndCutOrWrongObjectsAreDataErrors) {
    for (const char* data : {
             "Region 2000000000\r\n5\r\n0 0\r\n1 0\r\n1 1\r\n0 1\r\n0 0\r\n",
             "Region 1\r\n2000000000\r\n0 0\r\n1 0\r\n",
             "Region 2\r\n4\r\n0 0\r\n1 0\r\n1 1\r\n0 0\r\n  99\r\n0 0\r\n",
             "Region 2\r\n4\r\n0 0\r\n1 0\r\n1 1\r\n0 0\r\n  1000000000\r\n5 5\r\n",
             "Region 0\r\n",
             "Region 1\r\n-3\r\n0 0\r\n",
             "Region 1e30\r\n",
             "Text\r\n",
             "Text \"on the line\"\r\n0 0 1\r\n",
             "Point one 2\r\n",
             "Point nan 2\r\n",
             "Line 0 0 1\r\n",
             "Arc 0 0 1 1 0\r\n",
             "Arc 0 0 1 1 0 1e12\r\n",
             "Ellipse 0 0 1\r\n",
             "Point 1 2\r\nSymbol (35)\r\n",
             "Rect 0 0 1 1\r\nPen 1 2 3\r\n",
             "Text\r\n\"a\"\r\n0 0 1 1\r\nFont (\"Arial\",x,0,0)\r\n",
             "Text\r\n\"a\"\r\n0 0 1 1\r\nAngle\r\n",
         }) {
        const test::MifResult r = test::ReadMif(MifText(data));
        EXPECT_FALSE(r.ok) << data;
        EXPECT_EQ(r.log, kDataError) << data;
    }
}

TEST(MifMalformed, HugePlineCountsEndOnlyTheirObject) {
    const test::MifResult r =
        test::ReadMif(MifText("Pline 2000000000\r\n0 0\r\n1 1\r\nPline Multiple 2000000000\r\n3\r\n"
                              "0 0\r\n1 1\r\n2 2\r\nPoint 7 8\r\n"));
    ASSERT_TRUE(r.ok) << r.log;
    ASSERT_EQ(r.model.LineCount, 2);
    EXPECT_EQ(r.model.Lines[0].Parts[0].VertexCount, 2);
    EXPECT_LT(r.model.Lines[0].Parts[0].Vertices.capacity(), 1000u)
        << "nothing kept for the vertices the count only claimed";
    EXPECT_EQ(r.model.Lines[1].PartCount, 2);
    EXPECT_EQ(r.model.Lines[1].Parts[0].VertexCount, 3);
    EXPECT_EQ(r.model.PointCount, 1) << "the object that stopped a broken line is read";
}

}  // namespace
}  // namespace vx

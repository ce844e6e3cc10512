#include "platform/temp_files.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace vx {
namespace {

TEST(TempFiles, NamesAreUniquePlaceholdersAndAllAreRemoved) {
    std::string first, second, companion;
    {
        TempFileSet temps;
        first = temps.Create("vx", ".mif");
        second = temps.Create("vx", ".mif");
        ASSERT_FALSE(first.empty());
        EXPECT_NE(first, second);
        EXPECT_EQ(FolderOf(first), TempFolder());
        EXPECT_TRUE(FileExists(first)) << "the name is reserved by an empty file";
        companion = WithExtension(first, ".mid");
        test::WriteFile(companion, "row");
        temps.Track(companion);
    }
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));
    EXPECT_FALSE(FileExists(companion));
}

}  // namespace
}  // namespace vx

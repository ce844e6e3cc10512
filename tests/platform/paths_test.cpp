#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/temp_files.h"
#include "support/test_support.h"

namespace vx {
namespace {

TEST(Paths, NamesSplitAtTheLastSeparatorAndReplacementsTouchTheNameOnly) {
    EXPECT_EQ(NameOf("/data/maps/roads.mif"), "roads.mif");
    EXPECT_EQ(NameOf("roads.mif"), "roads.mif");
    EXPECT_EQ(FolderOf("/data/maps/roads.mif"), "/data/maps");
    EXPECT_EQ(FolderOf("roads.mif"), "");
    EXPECT_EQ(FolderOf("/roads.mif"), "/");
    EXPECT_EQ(JoinPath("/", "a.dbf"), "/a.dbf");
    EXPECT_EQ(JoinPath("/data/", "a.dbf"), "/data/a.dbf");
    // Replacing ignores case and never scans a replacement again.
    EXPECT_EQ(ReplaceAllNoCase("Roads.MIF.mif", ".mif", ".vxv"), "Roads.vxv.vxv");
    EXPECT_EQ(ReplaceAllNoCase("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAllNoCase("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceInName("/srv/maps.mif/my-data/roads.MIF", ".mif", ".vxv"),
              "/srv/maps.mif/my-data/roads.vxv");
    EXPECT_EQ(OutputName("/srv/my-data/my-map.MIF", ".mif", ".vxv"), "my_map.vxv");
    EXPECT_EQ(WithExtension("/srv/a.b/roads", ".mid"), "/srv/a.b/roads.mid");
    EXPECT_EQ(WithExtension("/srv/a.b/roads.mif", ".mid"), "/srv/a.b/roads.mid");
    // A name taken from a file must not lead out of its folder.
    EXPECT_TRUE(IsPlainFileName("roads_pt.dbf"));
    for (const char* bad : {"", ".", "..", "../x.dbf", "/etc/passwd", "sub/x.dbf", "a\\b.dbf"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
}

TEST(FileSystem, CompanionsFilesFoldersAndTempFiles) {
    test::TempDir dir;
    test::WriteFile(dir / "roads.mif", "x");
    test::WriteFile(dir / "roads.MID", "y");
    EXPECT_EQ(FindCompanion(dir / "roads.mif", ".mid"), dir / "roads.MID");
    test::WriteFile(dir / "roads.mid", "z");
    EXPECT_EQ(FindCompanion(dir / "roads.mif", ".mid"), dir / "roads.mid") << "exact first";
    EXPECT_EQ(FindCompanion(dir / "roads.mif", ".shx"), "");
    ASSERT_TRUE(CreateFolder(dir / "lakes.dbf"));
    EXPECT_EQ(FindCompanion(dir / "lakes.shp", ".dbf"), "") << "a folder is no companion";

    EXPECT_TRUE(CreateFolder(dir / "a/b/c"));
    EXPECT_TRUE(FolderExists(dir / "a/b/c"));
    EXPECT_FALSE(FileExists(dir / "a/b/c")) << "a folder is not a file";
    EXPECT_TRUE(CreateTextFile(dir / "a/x.txt"));
    EXPECT_FALSE(CreateTextFile(dir / "a/x.txt", false)) << "no overwrite of an existing file";
    EXPECT_EQ(ShortName(dir / "a/x.txt").value_or(""), "x.txt");
    EXPECT_FALSE(ShortName(dir / "a/none.txt").has_value());
    EXPECT_TRUE(DeleteFile(dir / "a/x.txt"));
    EXPECT_FALSE(FileExists(dir / "a/x.txt"));
    EXPECT_TRUE(DeleteFile(dir / "a/x.txt")) << "a missing file is already deleted";
    EXPECT_FALSE(DeleteFile(dir / "a/b")) << "folders are never deleted as files";
    EXPECT_TRUE(FolderExists(dir / "a/b"));

    // Temp names are unique placeholders, and all of them and their companions are removed.
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
    EXPECT_FALSE(FileExists(first) || FileExists(second) || FileExists(companion));
}

}  // namespace
}  // namespace vx

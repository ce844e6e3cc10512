#include "dbase/vx_recordset.h"

#include <gtest/gtest.h>

#include "platform/endian.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct FieldDef {
    std::string name;
    char type;
    int length;
    int decimals;
};

std::string LE(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// A table as bytes; records are given with their flag.
std::string MakeDbf(unsigned char version, const std::vector<FieldDef>& fields,
                    const std::vector<std::string>& records, const std::string& trailer = "",
                    bool endOfFile = true) {
    int recordLength = 1;
    for (const auto& f : fields)
        recordLength += f.length;
    std::string out;
    out += static_cast<char>(version);
    out += std::string("\x7C\x03\x0E", 3);
    out += LE(static_cast<std::uint32_t>(records.size()), 4);
    out += LE(static_cast<std::uint32_t>(32 + 32 * fields.size() + 1 + trailer.size()), 2);
    out += LE(static_cast<std::uint32_t>(recordLength), 2);
    out += std::string(20, '\0');
    for (const auto& f : fields) {
        std::string name = f.name;
        name.resize(11, '\0');
        out += name;
        out += f.type;
        out += std::string(4, '\0');
        out += static_cast<char>(f.length);
        out += static_cast<char>(f.decimals);
        out += std::string(14, '\0');
    }
    out += '\x0D';
    out += trailer;
    for (const auto& r : records)
        out += r;
    if (endOfFile) out += '\x1A';
    return out;
}

const std::vector<FieldDef> kTwoFields = {{"NAME", 'C', 10, 0}, {"NUM", 'N', 5, 0}};

TEST(VXRecordsetLayout, ReadsHeaderFieldsAndRecords) {
    TempDir dir;
    WriteFile(dir / "t.dbf", MakeDbf(3, kTwoFields, {" alpha         1", "*beta          2"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "t.dbf"));
    EXPECT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Layout().header.headerLength, 97);
    EXPECT_EQ(table.Layout().header.recordLength, 16);
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.FieldName(1), std::string("NAME\0\0\0\0\0\0", 10));
    EXPECT_EQ(table.FieldSize(2), 5);
    EXPECT_EQ(table.FieldType(2), 'N');
    EXPECT_EQ(table.RecordFlag(2), '*');
    EXPECT_EQ(table.RecordData(1), "alpha         1");
    // Indices outside the fields give empty answers.
    EXPECT_EQ(table.FieldName(0), "");
    EXPECT_EQ(table.FieldSize(3), 0);
    EXPECT_EQ(table.FieldDecimalSize(-1), 0);
    EXPECT_EQ(table.FieldType(3), 0);
}

TEST(VXRecordsetLayout, FindsFieldsByTheTerminatorWhateverTheVersion) {
    TempDir dir;
    const std::string backlink(263, '\0');
    for (unsigned char version : {0x04, 0x83, 0x8B, 0x30}) {
        SCOPED_TRACE(static_cast<int>(version));
        std::string trailer = version == 0x30 ? backlink : "";
        std::string bytes = MakeDbf(version, kTwoFields, {" alpha         1"}, trailer);
        WriteFile(dir / "v.dbf", bytes);
        VXRecordset table;
        ASSERT_TRUE(table.OpenDBF(dir / "v.dbf"));
        EXPECT_EQ(table.FieldCount(), 2);
        EXPECT_EQ(table.Layout().trailer.size(), trailer.size());
        EXPECT_EQ(table.RecordData(1), "alpha         1");
        // Written back unchanged, the trailer only where it was.
        table.UpdateFile();
        EXPECT_FALSE(table.WriteFailed());
        EXPECT_EQ(ReadFile(dir / "v.dbf"), bytes);
    }
}

TEST(VXRecordsetLayout, EmptyTableLoadsItsFieldsButAnswersFalse) {
    TempDir dir;
    WriteFile(dir / "e.dbf", MakeDbf(3, kTwoFields, {}, "", false));
    VXRecordset table;
    EXPECT_FALSE(table.OpenDBF(dir / "e.dbf"));
    EXPECT_TRUE(table.HasTable());
    EXPECT_EQ(table.FieldCount(), 2);
    EXPECT_FALSE(table.OpenDBF(dir / "missing.dbf"));
    EXPECT_FALSE(table.HasTable());
}

TEST(VXRecordsetLayout, RejectsTruncatedAndLyingTables) {
    TempDir dir;
    const std::string good = MakeDbf(3, kTwoFields, {" alpha         1", " beta          2"});
    VXRecordset table;
    // Every cut through the records or the head fails; the end-of-file byte is optional.
    for (std::size_t size = 0; size + 1 < good.size(); ++size) {
        WriteFile(dir / "cut.dbf", good.substr(0, size));
        EXPECT_FALSE(table.OpenDBF(dir / "cut.dbf")) << size;
    }
    auto patched = [&](std::size_t at, const std::string& bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        WriteFile(dir / "bad.dbf", copy);
        return table.OpenDBF(dir / "bad.dbf");
    };
    EXPECT_FALSE(patched(4, LE(0x7FFFFFFF, 4)));             // a record count far beyond the file
    EXPECT_FALSE(patched(4, LE(0xFFFFFFFF, 4)));             // a negative one
    EXPECT_FALSE(patched(8, LE(0xFFFF, 2)));                 // a header longer than the file
    EXPECT_FALSE(patched(8, LE(20, 2)));                     // shorter than the header itself
    EXPECT_FALSE(patched(10, LE(0, 2)));                     // no record length
    EXPECT_FALSE(patched(10, LE(12, 2)));                    // records shorter than their fields
    EXPECT_FALSE(patched(32 + 16, std::string(1, '\xFF')));  // a field wider than the record
    EXPECT_TRUE(patched(0, std::string(1, '\x03')));
}

TEST(VXRecordsetFields, RenameRemoveAndAddOnRealRecords) {
    TempDir dir;
    std::vector<FieldDef> fields = {{"A", 'C', 3, 0}, {"B", 'C', 4, 0}, {"C", 'N', 2, 0}};
    WriteFile(dir / "f.dbf", MakeDbf(3, fields, {" aaabbbb 1", " xxxyyyy 2", "*pppqqqq 3"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "f.dbf"));

    table.RenameField(1, "  a_much_longer_name ");
    EXPECT_EQ(table.FieldName(1), "a_much_lon");
    table.RenameField(9, "ignored");

    table.RemoveField(2);
    table.RemoveField(7);
    ASSERT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Layout().header.headerLength, 97);
    EXPECT_EQ(table.Layout().header.recordLength, 6);
    EXPECT_EQ(table.RecordData(2), "xxx 2");

    table.AddSpatialID();
    ASSERT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.FieldSize(3), 20);
    EXPECT_EQ(table.FieldDecimalSize(3), 5);
    EXPECT_EQ(table.Layout().header.recordLength, 26);
    EXPECT_EQ(table.RecordData(1), "aaa 1" + std::string(19, ' ') + "1");
    EXPECT_EQ(table.RecordData(3), "ppp 3" + std::string(19, ' ') + "3");

    // Written and read again: the deleted record is gone, the rest as changed.
    table.UpdateFile();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.FieldName(1), "a_much_lon");
    EXPECT_EQ(table.RecordData(2), "xxx 2" + std::string(19, ' ') + "2");
    std::string bytes = ReadFile(dir / "f.dbf");
    EXPECT_EQ(bytes.size(), 32 + 3 * 32 + 1 + 2 * 26 + 1u);
    EXPECT_EQ(bytes.back(), '\x1A');
}

TEST(VXRecordsetFields, AddSpatialIdLeavesAnExistingKeyAlone) {
    TempDir dir;
    WriteFile(dir / "k.dbf", MakeDbf(3, {{"spatial_id", 'N', 5, 0}}, {"     7"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "k.dbf"));
    table.AddSpatialID();
    EXPECT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.RecordData(1), "    7");
}

TEST(VXRecordsetWrite, UpdateFileLeavesOutDeletedRecords) {
    TempDir dir;
    WriteFile(dir / "d.dbf",
              MakeDbf(3, kTwoFields, {" one           1", "*two           2", " three         3"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "d.dbf"));
    table.InsertRecord("four,4");
    table.UpdateFile();
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.RecordData(2), "three         3");
    EXPECT_EQ(table.RecordData(3), "four          4");
    EXPECT_EQ(ReadFile(dir / "d.dbf"),
              MakeDbf(3, kTwoFields, {" one           1", " three         3", " four          4"}));
}

TEST(VXRecordsetWrite, UpdateFileExAppendsAfterTheRecordsThere) {
    TempDir dir;
    // A table ending in its end-of-file byte, as other programs write them.
    WriteFile(dir / "x.dbf", MakeDbf(3, kTwoFields, {" one           1"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "x.dbf"));
    table.ResizeRecords(4);
    table.InsertRecordEX("two,2");
    table.InsertRecordEX("\"t,\"\"3\"\"\",3");
    table.UpdateFileEx(dir / "x.dbf");
    table.ResizeRecords(4);
    table.InsertRecordEX("four,4.9,surplus");
    table.UpdateFileEx(dir / "x.dbf");
    table.UpdateFileEx(dir / "x.dbf");  // again with the same rows: written over themselves
    EXPECT_FALSE(table.WriteFailed());
    EXPECT_EQ(ReadFile(dir / "x.dbf"),
              MakeDbf(3, kTwoFields,
                      {" one           1", " two           2",
                       " t,\"3\"" + std::string(9, ' ') + "3", " four          4"}));
}

}  // namespace
}  // namespace vx

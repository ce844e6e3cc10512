#include "dbase/vx_recordset.h"

#include <gtest/gtest.h>

#include "platform/binary_file.h"
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

// A table as bytes, records given with their flag; the header length counts the trailer.
std::string MakeDbf(unsigned char version, const std::vector<FieldDef>& fields,
                    const std::vector<std::string>& records, const std::string& trailer = "",
                    bool endOfFile = true) {
    int recordLength = 1;
    for (const auto& f : fields)
        recordLength += f.length;
    ByteBuffer out;
    out.PutU8(version);
    out.PutText("\x7C\x03\x0E");
    out.PutLE<std::uint32_t>(static_cast<std::uint32_t>(records.size()));
    out.PutLE<std::uint16_t>(
        static_cast<std::uint16_t>(32 + 32 * fields.size() + 1 + trailer.size()));
    out.PutLE<std::uint16_t>(static_cast<std::uint16_t>(recordLength));
    out.PutZeros(20);
    for (const auto& f : fields) {
        out.PutText(f.name);
        out.PutZeros(11 - f.name.size());
        out.PutText(std::string{f.type, 0, 0, 0, 0, static_cast<char>(f.length),
                                static_cast<char>(f.decimals)});
        out.PutZeros(14);
    }
    out.PutText("\r" + trailer);
    for (const auto& r : records)
        out.PutText(r);
    if (endOfFile) out.PutU8(0x1A);
    return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
}

const std::vector<FieldDef> kTwoFields = {{"NAME", 'C', 10, 0}, {"NUM", 'N', 5, 0}};

TEST(VXRecordset, ReadsHeaderFieldsAndRecordsWhateverTheVersion) {
    TempDir dir;
    WriteFile(dir / "t.dbf", MakeDbf(3, kTwoFields, {" alpha         1", "*beta          2"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "t.dbf"));
    EXPECT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Layout().header.headerLength, 97);
    EXPECT_EQ(table.Layout().header.recordLength, 16);
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.FieldName(1), std::string("NAME\0\0\0\0\0\0", 10));
    EXPECT_EQ(std::tuple(table.FieldSize(2), table.FieldType(2)), std::tuple(5, 'N'));
    EXPECT_EQ(table.RecordFlag(2), '*');
    EXPECT_EQ(table.RecordData(1), "alpha         1");
    // Indices outside the fields give empty answers.
    EXPECT_EQ(table.FieldName(0), "");
    EXPECT_EQ(table.FieldSize(3) + table.FieldDecimalSize(-1) + table.FieldType(3), 0);

    // Fields are found by the terminator whatever the version, and written back unchanged,
    // the trailer (a backlink) only where it was.
    for (unsigned char version : {0x04, 0x83, 0x8B, 0x30}) {
        SCOPED_TRACE(static_cast<int>(version));
        const std::string trailer = version == 0x30 ? std::string(263, '\0') : "";
        const std::string bytes = MakeDbf(version, kTwoFields, {" alpha         1"}, trailer);
        WriteFile(dir / "v.dbf", bytes);
        ASSERT_TRUE(table.OpenDBF(dir / "v.dbf"));
        EXPECT_EQ(table.FieldCount(), 2);
        EXPECT_EQ(table.RecordData(1), "alpha         1");
        table.UpdateFile();
        EXPECT_FALSE(table.WriteFailed());
        EXPECT_EQ(ReadFile(dir / "v.dbf"), bytes);
    }

    // A table without records loads its fields but answers false.
    WriteFile(dir / "e.dbf", MakeDbf(3, kTwoFields, {}, "", false));
    EXPECT_FALSE(table.OpenDBF(dir / "e.dbf"));
    EXPECT_TRUE(table.HasTable());
    EXPECT_EQ(table.FieldCount(), 2);
    EXPECT_FALSE(table.OpenDBF(dir / "missing.dbf"));
    EXPECT_FALSE(table.HasTable());
}

TEST(VXRecordset, RejectsTruncatedAndLyingTables) {
    TempDir dir;
    const std::string good = MakeDbf(3, kTwoFields, {" alpha         1", " beta          2"});
    VXRecordset table;
    // Every cut through the records or the head fails; the end-of-file byte is optional.
    for (std::size_t size = 0; size + 1 < good.size(); ++size) {
        WriteFile(dir / "cut.dbf", good.substr(0, size));
        EXPECT_FALSE(table.OpenDBF(dir / "cut.dbf")) << size;
    }
    const std::tuple<const char*, std::size_t, std::string> lies[] = {
        {"a record count far beyond the file", 4, "\xFF\xFF\xFF\x7F"},
        {"a negative record count", 4, "\xFF\xFF\xFF\xFF"},
        {"a header longer than the file", 8, "\xFF\xFF"},
        {"a header shorter than itself", 8, std::string("\x14\x00", 2)},
        {"no record length", 10, std::string("\x00\x00", 2)},
        {"records shorter than their fields", 10, std::string("\x0C\x00", 2)},
        {"a field wider than the record", 32 + 16, "\xFF"},
    };
    for (const auto& [what, at, bytes] : lies) {
        WriteFile(dir / "bad.dbf", std::string(good).replace(at, bytes.size(), bytes));
        EXPECT_FALSE(table.OpenDBF(dir / "bad.dbf")) << what;
    }
}

TEST(VXRecordset, RenameRemoveAndAddFieldsOnRealRecords) {
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
    EXPECT_EQ(std::tuple(table.FieldSize(3), table.FieldDecimalSize(3)), std::tuple(20, 5));
    EXPECT_EQ(table.Layout().header.recordLength, 26);
    EXPECT_EQ(table.RecordData(3), "ppp 3" + std::string(19, ' ') + "3");
    // Written and read again: the deleted record is gone, the rest as changed.
    table.UpdateFile();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.FieldName(1), "a_much_lon");
    EXPECT_EQ(table.RecordData(2), "xxx 2" + std::string(19, ' ') + "2");
    const std::string bytes = ReadFile(dir / "f.dbf");
    EXPECT_EQ(bytes.size(), 32 + 3 * 32 + 1 + 2 * 26 + 1u);
    EXPECT_EQ(bytes.back(), '\x1A');

    // An existing key column, in any case, is left alone.
    WriteFile(dir / "k.dbf", MakeDbf(3, {{"spatial_id", 'N', 5, 0}}, {"     7"}));
    ASSERT_TRUE(table.OpenDBF(dir / "k.dbf"));
    table.AddSpatialID();
    EXPECT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.RecordData(1), "    7");
}

TEST(VXRecordset, RecordsAreAppendedAndWrittenBack) {
    TempDir dir;
    // UpdateFile writes the records held and leaves out deleted ones.
    WriteFile(dir / "d.dbf",
              MakeDbf(3, kTwoFields, {" one           1", "*two           2", " three         3"}));
    VXRecordset table;
    ASSERT_TRUE(table.OpenDBF(dir / "d.dbf"));
    table.InsertRecord("four,4");
    table.UpdateFile();
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(ReadFile(dir / "d.dbf"),
              MakeDbf(3, kTwoFields, {" one           1", " three         3", " four          4"}));

    // UpdateFileEx appends the buffered records after those in the file (which ends in its
    // end-of-file byte, as other programs write them); the same rows again are written over
    // themselves.
    table.ResizeRecords(4);
    table.InsertRecordEX("two,2");
    table.InsertRecordEX("\"t,\"\"3\"\"\",3");
    table.UpdateFileEx(dir / "d.dbf");
    table.ResizeRecords(4);
    table.InsertRecordEX("five,5.9,surplus");
    table.UpdateFileEx(dir / "d.dbf");
    table.UpdateFileEx(dir / "d.dbf");
    EXPECT_FALSE(table.WriteFailed());
    EXPECT_EQ(
        ReadFile(dir / "d.dbf"),
        MakeDbf(3, kTwoFields,
                {" one           1", " three         3", " four          4", " two           2",
                 " t,\"3\"" + std::string(9, ' ') + "3", " five          5"}));
}

}  // namespace
}  // namespace vx

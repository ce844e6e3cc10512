// The code page of a table: its .cpg and its language driver byte, as we write them and as
// GDAL reads them.
#include "dbase/table_code_page.h"

#include <gtest/gtest.h>

#include "dbase/dbase_layout.h"
#include "dbase/dbase_test_support.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(TableCodePage, CpgTextsAndLanguageDriverBytesOtherProgramsWrite) {
    const std::pair<const char*, const char*> forms[] = {{"1251", "CP1251"},
                                                         {"ANSI 1251", "CP1251"},
                                                         {"cp1253\r\n", "CP1253"},
                                                         {"windows-1250", "CP1250"},
                                                         {"88595", "ISO-8859-5"},
                                                         {"8859-2", "ISO-8859-2"},
                                                         {"\xEF\xBB\xBFUTF-8", "UTF-8"},
                                                         {"utf8", "UTF-8"},
                                                         {"866", "CP866"},
                                                         {"Big5", "BIG5"},
                                                         {"gibberish", ""},
                                                         {"", ""}};
    for (auto [text, codePage] : forms)
        EXPECT_EQ(CodePageOfCpg(text), codePage) << text;
    for (std::string_view codePage : {"CP1252", "CP1251", "ISO-8859-5", "UTF-8", "EUC-JP", "CP437"})
        EXPECT_EQ(CodePageOfCpg(CpgText(codePage)), codePage);
    EXPECT_EQ(CpgText("CP1251"), "1251");
    EXPECT_EQ(CpgText("ISO-8859-15"), "885915");

    for (std::string_view codePage : {"CP1252", "CP1250", "CP1251", "CP1253", "CP1254", "CP1255",
                                      "CP1256", "CP1257", "CP437", "CP850", "CP866", "CP932"}) {
        EXPECT_NE(LanguageDriverOf(codePage), 0) << codePage;
        EXPECT_EQ(CodePageOfLanguageDriver(LanguageDriverOf(codePage)), codePage);
    }
    EXPECT_EQ(LanguageDriverOf("CP1251"), 0xC9);
    EXPECT_EQ(CodePageOfLanguageDriver(0x57), "CP1252") << "Windows ANSI";
    EXPECT_EQ(LanguageDriverOf("UTF-8"), 0) << "dBASE has no byte for it";
    EXPECT_EQ(CodePageOfLanguageDriver(0), "");
}

// An attribute table of one row whose name is `text`, marked with `codePage`.
std::string MakeTable(const test::TempDir& dir, const std::string& name,
                      const std::string& codePage, const std::string& text) {
    AttributeRows rows = test::WithColumns("SPATIAL_ID Decimal(20, 0),\r\n[name] Char(40)");
    rows.codePage = codePage;
    return test::MakeLayerTable(dir, name, rows, "\"" + text + "\"\r\n", {kOrderPoint}, kKindPoint);
}

TEST(TableCodePage, ReadAndWrittenBesideTheTable) {
    test::TempDir dir;
    const std::string path = MakeTable(dir, "t", "CP1251", "x");
    EXPECT_EQ(ReadFile(dir / "t.cpg"), "1251");
    EXPECT_EQ(static_cast<unsigned char>(ReadFile(path)[kDbfLanguageDriverAt]), 0xC9);
    EXPECT_EQ(ReadTableCodePage(path), "CP1251");

    // The .cpg comes first, whatever the case of its extension; one spelling is written.
    ASSERT_TRUE(DeleteFile(dir / "t.cpg"));
    WriteFile(dir / "t.CPG", "UTF-8");
    EXPECT_EQ(ReadTableCodePage(path), "UTF-8");
    ASSERT_TRUE(WriteTableCodePage(path, "UTF-8"));
    EXPECT_FALSE(FileExists(dir / "t.CPG"));
    EXPECT_EQ(ReadFile(dir / "t.cpg"), "UTF-8");
    EXPECT_EQ(ReadFile(path)[kDbfLanguageDriverAt], 0) << "no byte says UTF-8";

    // Without a .cpg the byte counts; one that already says the code page stays.
    ASSERT_TRUE(DeleteFile(dir / "t.cpg"));
    std::string bytes = ReadFile(path);
    bytes[kDbfLanguageDriverAt] = 0x57;
    WriteFile(path, bytes);
    EXPECT_EQ(ReadTableCodePage(path), "CP1252");
    ASSERT_TRUE(WriteTableCodePage(path, "CP1252"));
    EXPECT_EQ(ReadFile(path), bytes);
    WriteFile(dir / "t.cpg", "no such page");
    std::string unknown;
    EXPECT_EQ(ReadTableCodePage(path, &unknown), "CP1252")
        << "the byte, when the .cpg says nothing";
    EXPECT_EQ(unknown, "no such page");
}

TEST(TableCodePage, GdalReadsTheTextByTheCpgOrByTheByteAlone) {
    const std::pair<const char*, const char*> texts[] = {
        {"CP1251", "Москва"},   {"CP1253", "Αθήνα"},   {"CP1250", "Łódź"},   {"CP1254", "İzmir"},
        {"CP1257", "Šiauliai"}, {"CP1256", "القاهرة"}, {"CP1252", "Zürich"}, {"UTF-8", "東京"},
    };
    test::TempDir dir;
    int n = 0;
    for (auto [codePage, utf8] : texts) {
        SCOPED_TRACE(codePage);
        const std::string name = "t" + std::to_string(++n);
        const std::string path =
            MakeTable(dir, name, codePage, TextRecoder(kUtf8CodePage, codePage).Convert(utf8));
        EXPECT_EQ(test::ReadWithGdal(path).features.at(0).fields.at("name"), utf8);
        // GDAL knows the Windows pages by their byte alone, but for Arabic and Hebrew.
        if (std::string_view(codePage) != "CP1256" && LanguageDriverOf(codePage) != 0) {
            ASSERT_TRUE(DeleteFile(dir / (name + ".cpg")));
            EXPECT_EQ(test::ReadWithGdal(path).features.at(0).fields.at("name"), utf8)
                << "by the language driver byte";
        }
    }
}

}  // namespace
}  // namespace vx

#include "dbase/table_code_page.h"

#include <algorithm>
#include <cctype>

#include "dbase/dbase_layout.h"
#include "platform/binary_file.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"

namespace vx {

namespace {

struct LanguageDriver {
    std::uint8_t byte;
    std::string_view codePage;
};

// The first byte listed for a code page is the one written; the others are read as well.
// 0x57 says "Windows ANSI" without a number, which for map data is Windows-1252.
constexpr LanguageDriver kLanguageDrivers[] = {
    {0x03, "CP1252"}, {0x57, "CP1252"}, {0x58, "CP1252"}, {0x59, "CP1252"}, {0xC8, "CP1250"},
    {0xC9, "CP1251"}, {0xCB, "CP1253"}, {0xCA, "CP1254"}, {0xCC, "CP1257"}, {0x7D, "CP1255"},
    {0x7E, "CP1256"}, {0x01, "CP437"},  {0x02, "CP850"},  {0x64, "CP852"},  {0x65, "CP866"},
    {0x26, "CP866"},  {0x66, "CP865"},  {0x67, "CP861"},  {0x6A, "CP737"},  {0x6B, "CP857"},
    {0x6C, "CP863"},  {0x24, "CP860"},  {0x7B, "CP932"},  {0x13, "CP932"},  {0x7A, "CP936"},
    {0x4D, "CP936"},  {0x79, "CP949"},  {0x4E, "CP949"},  {0x78, "CP950"},  {0x4F, "CP950"},
    {0x7C, "CP874"},  {0x50, "CP874"},
};

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The text of a .cpg without the blanks, line ends and byte order mark around it.
std::string_view CpgName(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    text = text.substr(first, last - first + 1);
    // Only the first line counts.
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::uint8_t LanguageDriverOf(std::string_view codePage) {
    for (const LanguageDriver& driver : kLanguageDrivers) {
        if (driver.codePage == codePage) return driver.byte;
    }
    return 0;
}

std::string CodePageOfLanguageDriver(std::uint8_t byte) {
    for (const LanguageDriver& driver : kLanguageDrivers) {
        if (driver.byte == byte) return std::string(driver.codePage);
    }
    return {};
}

std::string CodePageOfCpg(std::string_view text) {
    std::string name = UpperAnsi(CpgName(text));
    if (name.starts_with("UTF-8") || name.starts_with("UTF8")) return std::string(kUtf8CodePage);
    if (name.starts_with("ANSI ")) name = std::string(Trim(std::string_view(name).substr(5)));
    if (name.starts_with("8859")) {
        std::string_view part = std::string_view(name).substr(4);
        if (!part.empty() && (part.front() == '-' || part.front() == '_')) part.remove_prefix(1);
        return AllDigits(part) ? CanonicalCodePage("ISO-8859-" + std::string(part)) : "";
    }
    if (AllDigits(name)) return CanonicalCodePage("CP" + name);
    return CanonicalCodePage(name);
}

std::string CpgText(std::string_view codePage) {
    if (codePage.starts_with("CP") && AllDigits(codePage.substr(2)))
        return std::string(codePage.substr(2));
    if (codePage.starts_with("ISO-8859-")) return "8859" + std::string(codePage.substr(9));
    return std::string(codePage);
}

std::string ReadTableCodePage(const std::string& dbfPath, std::string* unknown) {
    const std::string cpg = FindCompanion(dbfPath, ".cpg");
    std::string text;
    if (!cpg.empty() && ReadWholeFile(cpg, text)) {
        std::string codePage = CodePageOfCpg(text);
        if (!codePage.empty()) return codePage;
        if (unknown != nullptr) *unknown = CpgName(text);
    }
    BinaryReader table;
    std::uint8_t driver = 0;
    if (!table.Open(dbfPath) || !table.Read(kDbfLanguageDriverAt, &driver, 1)) return {};
    return CodePageOfLanguageDriver(driver);
}

bool WriteTableCodePage(const std::string& dbfPath, std::string_view codePage) {
    const std::string cpg = WithExtension(dbfPath, ".cpg");
    // One spelling of the companion, so that no reader can take an older one.
    const std::string older = FindCompanion(dbfPath, ".cpg");
    if (!older.empty() && older != cpg) DeleteFile(older);
    bool ok = WriteWholeFile(cpg, CpgText(codePage));

    BinaryReader table;
    std::uint8_t driver = 0;
    if (!table.Open(dbfPath) || !table.Read(kDbfLanguageDriverAt, &driver, 1)) return false;
    table.Close();
    if (CodePageOfLanguageDriver(driver) != codePage) {
        driver = LanguageDriverOf(codePage);
        ok = PatchFile(dbfPath, kDbfLanguageDriverAt, &driver, 1) && ok;
    }
    return ok;
}

}  // namespace vx

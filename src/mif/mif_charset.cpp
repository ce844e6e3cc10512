#include "mif/mif_charset.h"

#include "platform/strings.h"

namespace vx {

namespace {

struct Charset {
    std::string_view name;
    std::string_view codePage;
};

// The sets MapInfo's readers and GDAL's MapInfo driver both know.
constexpr Charset kCharsets[] = {
    {"WindowsLatin1", "CP1252"},
    {"WindowsLatin2", "CP1250"},
    {"WindowsCyrillic", "CP1251"},
    {"WindowsGreek", "CP1253"},
    {"WindowsTurkish", "CP1254"},
    {"WindowsHebrew", "CP1255"},
    {"WindowsArabic", "CP1256"},
    {"WindowsBalticRim", "CP1257"},
    {"WindowsJapanese", "CP932"},
    {"WindowsSimpChinese", "CP936"},
    {"WindowsKorean", "CP949"},
    {"WindowsTradChinese", "CP950"},
    {"ISO8859_1", "ISO-8859-1"},
    {"ISO8859_2", "ISO-8859-2"},
    {"ISO8859_3", "ISO-8859-3"},
    {"ISO8859_4", "ISO-8859-4"},
    {"ISO8859_5", "ISO-8859-5"},
    {"ISO8859_6", "ISO-8859-6"},
    {"ISO8859_7", "ISO-8859-7"},
    {"ISO8859_8", "ISO-8859-8"},
    {"ISO8859_9", "ISO-8859-9"},
    // MapInfo's own spelling.
    {"PackedEUCJapaese", "EUC-JP"},
    {"CodePage437", "CP437"},
    {"CodePage850", "CP850"},
    {"CodePage852", "CP852"},
    {"CodePage855", "CP855"},
    {"CodePage857", "CP857"},
    {"CodePage860", "CP860"},
    {"CodePage861", "CP861"},
    {"CodePage863", "CP863"},
    {"CodePage864", "CP864"},
    {"CodePage865", "CP865"},
    {"CodePage869", "CP869"},
};

constexpr std::string_view kTargets[] = {
    "CP1252", "CP1250", "CP1251", "CP1253", "CP1254", "CP1257",
    "CP1255", "CP1256", "CP932",  "CP936",  "CP949",  "CP950",
};

}  // namespace

std::string CodePageOfMifCharset(std::string_view charset) {
    for (const Charset& c : kCharsets) {
        if (EqualsNoCase(c.name, charset)) return std::string(c.codePage);
    }
    return {};
}

std::string_view MifCharsetOf(std::string_view codePage) {
    for (const Charset& c : kCharsets) {
        if (c.codePage == codePage) return c.name;
    }
    return {};
}

std::span<const std::string_view> MifTargetCodePages() {
    return kTargets;
}

}  // namespace vx

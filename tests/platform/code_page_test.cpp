#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(CodePage, NamesInTheirUsualSpelling) {
    EXPECT_EQ(CanonicalCodePage("cp1251"), "CP1251");
    EXPECT_EQ(CanonicalCodePage("windows-1253"), "CP1253");
    EXPECT_EQ(CanonicalCodePage(" ISO8859_5 "), "ISO-8859-5");
    EXPECT_EQ(CanonicalCodePage("iso_8859-2"), "ISO-8859-2");
    EXPECT_EQ(CanonicalCodePage("utf8"), "UTF-8");
    EXPECT_EQ(CanonicalCodePage("no such page") + CanonicalCodePage(""), "");
}

TEST(CodePage, RecodingCountsWhatTheTargetCannotHold) {
    TextRecoder toUtf8("CP1251", kUtf8CodePage);
    ASSERT_TRUE(toUtf8.Valid());
    EXPECT_EQ(toUtf8.Convert("\xCC\xEE\xF1\xEA\xE2\xE0 1"), "Москва 1");
    EXPECT_EQ(toUtf8.Lost(), 0u);
    // Through UTF-8 from one single-byte page to another: Cyrillic has no place in Greek.
    TextRecoder toGreek("CP1251", "CP1253");
    EXPECT_EQ(toGreek.Convert("a\xE0z"), "a?z");
    EXPECT_EQ(toGreek.Lost(), 1u);
    TextRecoder toLatin(kUtf8CodePage, "CP1252");
    EXPECT_EQ(toLatin.Convert("Zürich €"), "Z\xFCrich \x80");
    EXPECT_EQ(toLatin.Convert("Μ\xFFx"), "??x") << "a broken byte is one lost character too";
    EXPECT_EQ(toLatin.Lost(), 2u);
    // The Hebrew converter holds each letter back for a mark that may follow it.
    EXPECT_EQ(TextRecoder("CP1255", kUtf8CodePage).Convert("\xF9\xEC\xE5\xED"), "שלום");
    EXPECT_FALSE(TextRecoder("CP1252", "NO-SUCH-PAGE").Valid());
}

TEST(CodePage, ChoosesThePageThatHoldsMostOfTheText) {
    const std::string_view pages[] = {"CP1252", "CP1251", "CP1253"};
    CharacterTally ascii;
    ascii.AddUtf8("plain text");
    EXPECT_TRUE(ascii.Empty());
    EXPECT_EQ(ChooseCodePage(ascii, pages).codePage, "CP1252") << "the first of equals";
    CharacterTally cyrillic;
    cyrillic.AddUtf8("Москва, Київ");
    EXPECT_EQ(cyrillic.Counts().at("в"), 2u);
    const CodePageChoice russian = ChooseCodePage(cyrillic, pages);
    EXPECT_EQ(std::tie(russian.codePage, russian.lost), std::tuple("CP1251", 0u));
    CharacterTally mixed;
    mixed.AddUtf8("Αθήνα Αθήνα Zürich");
    const CodePageChoice greek = ChooseCodePage(mixed, pages);
    EXPECT_EQ(greek.codePage, "CP1253");
    EXPECT_EQ(greek.lost, 1u) << "ü";
}

}  // namespace
}  // namespace vx

#pragma once

#include <span>
#include <string>
#include <string_view>

// The Charset clause of a MIF file: MapInfo's names for the code pages its text may be in.
namespace vx {

// The code page (platform/code_page.h) a Charset name stands for, in any letter case; empty
// for "Neutral" (bytes of no stated code page) and for names not known.
std::string CodePageOfMifCharset(std::string_view charset);

// The Charset name of a code page; empty when MIF has none for it.
std::string_view MifCharsetOf(std::string_view codePage);

// The code pages MIF can name that text of another code page is written in, the most common
// first: the Windows pages of Western, Central European, Cyrillic, Greek, Turkish, Baltic,
// Hebrew and Arabic text, then those of Japanese, Chinese and Korean.
std::span<const std::string_view> MifTargetCodePages();

}  // namespace vx

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text helpers for single-byte Windows-1252 strings. Nothing here depends on a locale.
namespace vx {

inline constexpr std::string_view kCrLf = "\r\n";

// Upper case as Windows-1252 defines it (ASCII letters, the accented Latin letters and the
// few letters in 0x80..0x9F).
char UpperAnsi(char c);
std::string UpperAnsi(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// Blanks and tabs removed from both ends.
std::string_view Trim(std::string_view text);

// Splits a text at a one-character delimiter. A double quote opens a quoted stretch in which
// the delimiter is an ordinary character; the quotes themselves are dropped, and a doubled
// quote inside quotes stands for one quote character. The result always has one more field
// than the delimiters found outside quotes (an empty text gives one empty field).
std::vector<std::string> SplitQuoted(std::string_view text, char delimiter);

// The whole of `text` (no blanks, an optional sign) as a double. Plain decimals of up to 15
// significant digits, the form map files are full of, take an exact shortcut; everything else
// goes through std::from_chars. False when the text is not entirely a number.
bool ParseDecimal(std::string_view text, double& value);
// The shortcut alone, at the start of [p, end): an optional sign, digits, an optional point
// and more digits, at most 19 digits in all. On success `p` moves past the number; false, with
// `p` left where it was, when no such number starts there or it is too long to be exact this
// way. Whatever follows the number is the caller's to judge (an exponent is not read).
bool ParsePlainDecimal(const char*& p, const char* end, double& value);

// Numbers as text: the whole (trimmed) text must be the number. No locale.
std::optional<double> ParseDouble(std::string_view text);
std::optional<long long> ParseInteger(std::string_view text);

}  // namespace vx

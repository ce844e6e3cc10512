#pragma once

#include <optional>
#include <string>
#include <string_view>

// Field values as text, both ways: how a value given as text is stored in a fixed-width dBASE
// field, and how a stored field reads back as text. No locale is involved anywhere.
namespace vx {

// Each writes exactly `width` bytes at `out`.
//
// Numeric: right-aligned digits; with decimals, the integer part right-aligned in
// width - decimals - 1 characters, a point and the fraction padded with zeros or cut to
// `decimals` digits (cut, never rounded). Every digit of the integer part is kept, whatever
// its size; a part too long for its room is cut to its first characters. Empty or unreadable
// values give blanks.
void FormatNumericField(std::string_view value, int width, int decimals, char* out);
// Logical: "T", "F", or "?" for a value that is no truth value.
void FormatLogicalField(std::string_view value, int width, char* out);
// Date: YYYYMMDD, or blanks for a value that is no date.
void FormatDateField(std::string_view value, int width, char* out);
// Character (and every other type): cut to the width or padded with blanks.
void FormatCharacterField(std::string_view value, int width, char* out);
// By the field's type letter, in either case.
void FormatField(char type, std::string_view value, int width, int decimals, char* out);
std::string FormatField(char type, std::string_view value, int width, int decimals);

// True, False: the words in any case, the letters T/F and Y/N (dBASE's and MIF's own
// spelling), and numbers (non-zero is true). Anything else has no truth value.
std::optional<bool> ParseLogicalText(std::string_view text);

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
// YYYYMMDD (MIF's and dBASE's form) or YYYY-MM-DD with "-", "/" or "." between the parts; a
// time after a blank or a "T" is ignored. The date must exist.
std::optional<CalendarDate> ParseDateText(std::string_view text);

// A stored value as text, empty when the field holds no value: characters without their
// trailing blanks; numbers in plain form (no leading zeros or blanks, no trailing zeros after
// the point); logicals as True or False; dates as YYYYMMDD.
std::optional<std::string> StoredValueText(char type, std::string_view raw);

}  // namespace vx

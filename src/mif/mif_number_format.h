#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How numbers are written into MIF and MID text. One set of rules for every number the
// writer puts out, so that the header, the objects and the rows never disagree:
//   digits      integers in decimal; doubles in the shortest general form of at most 15
//               significant digits (singles: 7), trailing zeros dropped, "." as the point,
//               a zero before the point below 1 in magnitude, an exponent ("1E+20") only
//               for magnitudes of 1E+15 and above or below 1E-4
//   plain form  the digits alone: 5, -2.5, 0.5
//   print form  a blank (or "-" for negative values) before the digits and one blank after:
//               " 5 ", "-2.5 "
// No locale is consulted anywhere.
namespace vx {

// The longest text a number can give.
inline constexpr std::size_t kMaxNumberText = 32;

// Write the plain form at `at`, which has room for kMaxNumberText characters, and return
// the end of what they wrote.
char* FormatPlain(char* at, std::int64_t value);
char* FormatPlain(char* at, double value);
char* FormatPlain(char* at, float value);
// Keeps int32 and the other integer types from picking the double overload.
inline char* FormatPlain(char* at, std::int32_t value) {
    return FormatPlain(at, static_cast<std::int64_t>(value));
}

// The print form at `at`, with room for kMaxNumberText + 2 characters.
template <typename Number>
char* FormatPrint(char* at, Number value) {
    // The sign takes the place of the leading blank; a negative zero prints as zero.
    if (!(value < 0)) *at++ = ' ';
    at = FormatPlain(at, value);
    *at++ = ' ';
    return at;
}

template <typename Number>
void AppendPlain(std::string& out, Number value) {
    char text[kMaxNumberText];
    out.append(text, FormatPlain(text, value));
}

template <typename Number>
void AppendPrint(std::string& out, Number value) {
    char text[kMaxNumberText + 2];
    out.append(text, FormatPrint(text, value));
}

template <typename Number>
std::string PlainNumber(Number value) {
    std::string out;
    AppendPlain(out, value);
    return out;
}

template <typename Number>
std::string PrintNumber(Number value) {
    std::string out;
    AppendPrint(out, value);
    return out;
}

// Print zones are 14 columns wide (columns 1, 15, 29, ...). The next item begins at the
// first zone start after the text written so far: ZonePadding is the number of blanks that
// takes after `used` characters of a line, PadToNextZone appends them to the line that
// starts at `lineStart`.
inline constexpr std::size_t kPrintZoneWidth = 14;
constexpr std::size_t ZonePadding(std::size_t used) {
    return (used + kPrintZoneWidth - 1) / kPrintZoneWidth * kPrintZoneWidth - used;
}
void PadToNextZone(std::string& line, std::size_t lineStart = 0);

// The print forms of two numbers on a line that begins at `at`, the second at the first zone
// start after the first: a vertex line without its end. Room for 2 * (kMaxNumberText + 2) +
// kPrintZoneWidth + 16 characters; returns the end of the text.
char* FormatZonedPair(char* at, double first, double second);

}  // namespace vx

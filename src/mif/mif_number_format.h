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

void AppendPlain(std::string& out, std::int64_t value);
void AppendPlain(std::string& out, double value);
void AppendPlain(std::string& out, float value);
// Keeps int32 and the other integer types from picking the double overload.
inline void AppendPlain(std::string& out, std::int32_t value) {
    AppendPlain(out, static_cast<std::int64_t>(value));
}

template <typename Number>
void AppendPrint(std::string& out, Number value) {
    // The sign takes the place of the leading blank; a negative zero prints as zero.
    if (!(value < 0)) out += ' ';
    AppendPlain(out, value);
    out += ' ';
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

// Print zones are 14 columns wide (columns 1, 15, 29, ...). Pads `line` with blanks from
// `lineStart` on so that the next item begins at the first zone start after the text
// written so far.
inline constexpr std::size_t kPrintZoneWidth = 14;
void PadToNextZone(std::string& line, std::size_t lineStart = 0);

}  // namespace vx

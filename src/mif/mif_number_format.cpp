#include "mif/mif_number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace vx {

namespace {

// to_chars' general form with a precision already drops trailing zeros and writes the
// zero before the point; only its exponent is turned into the "E" form MIF readers expect.
template <typename Real>
char* FormatGeneral(char* at, Real value, int digits) {
    if (value == 0) value = 0;  // -0 is written as 0
    auto [end, ec] =
        std::to_chars(at, at + kMaxNumberText, value, std::chars_format::general, digits);
    if (ec != std::errc()) return at;  // cannot happen with room for kMaxNumberText
    for (char* p = at; p != end; ++p) {
        if (*p == 'e') *p = 'E';
    }
    return end;
}

// Map coordinates are mostly short decimals (512345.25). For those the digits are found
// without the general conversion, which costs several times more. For k = 0, 1, 2, ... let
// m be v * 10^k rounded to a whole number; the first m of at most 15 digits for which
// m / 10^k gives v back (one correctly rounded division) is the decimal the general form
// writes: v is the double nearest to m with k decimals, so no other decimal of 15
// significant digits lies nearer to v. Most coordinates such as 400042.837 are not exactly
// whole at any power of ten (v * 1000 is 400042837.00000006), so wholeness is no test.
// Null when the value needs the general conversion.
char* FormatShortDecimal(char* at, double value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    constexpr double kLimit = 1e15;  // 15 digits
    const double magnitude = std::fabs(value);
    if (!(magnitude < kLimit) || magnitude < 1e-4) return nullptr;  // exponent forms, 0, NaN
    int k = 0;
    std::uint64_t m = 0;
    for (;; ++k) {
        if (k == static_cast<int>(std::size(kPowers))) return nullptr;
        const double scaled = magnitude * kPowers[k];
        if (scaled >= kLimit) return nullptr;
        // Below 1e15 a double's steps are at most 1/8, so adding a half is exact. (The
        // signed conversion is one instruction, the unsigned one several.)
        m = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled + 0.5));
        if (static_cast<double>(m) >= kLimit) return nullptr;
        if (static_cast<double>(m) / kPowers[k] == magnitude) break;
    }
    // A product that came out whole only at a later power carries zeros the form drops.
    while (k > 0 && m % 10 == 0) {
        m /= 10;
        --k;
    }
    // The digits of m, at least as many as the decimals plus the one before the point, are
    // written from the last one backwards, two at a time, into a buffer that leaves a gap
    // for the point; then the sign, the whole part, the point and the decimals are copied.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    static constexpr std::uint64_t kTens[] = {1,
                                              10,
                                              100,
                                              1000,
                                              10000,
                                              100000,
                                              1000000,
                                              10000000,
                                              100000000,
                                              1000000000,
                                              10000000000,
                                              100000000000,
                                              1000000000000,
                                              10000000000000,
                                              100000000000000,
                                              1000000000000000};
    int digits = 1;
    while (digits < 16 && m >= kTens[digits])
        ++digits;
    if (digits < k + 1) digits = k + 1;  // leading zeros of a value below 1
    char text[kMaxNumberText] = {};
    char* p = text + digits;
    while (p - text >= 2) {
        p -= 2;
        std::memcpy(p, kPairs + 2 * (m % 100), 2);
        m /= 100;
    }
    if (p != text) *--p = static_cast<char>('0' + m);
    const int whole = digits - k;
    if (value < 0) *at++ = '-';
    // Fixed copies of 16 bytes are cheaper than sized ones; what they write past the text
    // stays inside the room the caller gives and is not part of the result. The whole part
    // has at most 15 digits, the decimals at most 19.
    std::memcpy(at, text, 16);
    at += whole;
    if (k == 0) return at;
    *at++ = '.';
    std::memcpy(at, text + whole, 16);
    if (k > 16) std::memcpy(at + 16, text + whole + 16, 3);
    return at + k;
}

}  // namespace

char* FormatPlain(char* at, std::int64_t value) {
    return std::to_chars(at, at + kMaxNumberText, value).ptr;
}

char* FormatPlain(char* at, double value) {
    char* end = FormatShortDecimal(at, value);
    return end != nullptr ? end : FormatGeneral(at, value, 15);
}

char* FormatPlain(char* at, float value) {
    return FormatGeneral(at, value, 7);
}

void PadToNextZone(std::string& line, std::size_t lineStart) {
    const std::size_t used = line.size() - lineStart;
    line.append(ZonePadding(used), ' ');
}

}  // namespace vx

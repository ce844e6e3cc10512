#include "mif/mif_number_format.h"

#include <charconv>
#include <cmath>
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
// without the general conversion, which costs several times more: when v * 10^k is whole,
// m = v * 10^k has at most 15 digits and m / 10^k gives v back, m with k decimals is the
// decimal of at most 15 significant digits nearest to v, which is what the general form
// writes. Null when the value needs the general conversion.
char* FormatShortDecimal(char* at, double value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                         1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                         1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    constexpr double kLimit = 1e15;  // 15 digits
    const double magnitude = std::fabs(value);
    if (!(magnitude < kLimit) || magnitude < 1e-4) return nullptr;  // exponent forms, 0, NaN
    int k = 0;
    double scaled = magnitude;
    // Below 1e15 the conversion to an integer is exact whenever the product is whole.
    while (scaled != static_cast<double>(static_cast<std::int64_t>(scaled))) {
        if (++k == static_cast<int>(std::size(kPowers))) return nullptr;
        scaled = magnitude * kPowers[k];
        if (scaled >= kLimit) return nullptr;
    }
    if (scaled / kPowers[k] != magnitude) return nullptr;
    auto m = static_cast<std::uint64_t>(scaled);
    // A product that came out whole only at a later power carries zeros the form drops.
    while (k > 0 && m % 10 == 0) {
        m /= 10;
        --k;
    }
    // Digits from the last one backwards: the decimals, the point, then the whole part,
    // which is at least the one zero before the point.
    char text[kMaxNumberText];
    char* p = text + sizeof text;
    for (int i = 0; i < k; ++i) {
        *--p = static_cast<char>('0' + m % 10);
        m /= 10;
    }
    if (k > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m != 0);
    if (value < 0) *--p = '-';
    while (p != text + sizeof text)
        *at++ = *p++;
    return at;
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

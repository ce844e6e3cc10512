#include "mif/mif_number_format.h"

#include <bit>
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

__extension__ typedef unsigned __int128 Wide;

// Pairs of digits, for writing two at a time.
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The eight decimal digits of n (below 10^8) as text, the first in the lowest byte: n is
// split into halves, quarters and digits in the lanes of one 64-bit number, each step one
// multiplication for all lanes at once.
std::uint64_t EightDigits(std::uint32_t n) {
    const std::uint64_t halves = (n / 10000) | static_cast<std::uint64_t>(n % 10000) << 32;
    // x / 100 is (x * 10486) >> 20 for x below 10^4, and x / 10 is (x * 103) >> 10 for x
    // below 100; no lane's product reaches the next lane.
    const std::uint64_t hundreds = (halves * 10486) >> 20 & 0x0000007F0000007Full;
    const std::uint64_t quarters = hundreds | (halves - hundreds * 100) << 16;
    const std::uint64_t tens = (quarters * 103) >> 10 & 0x000F000F000F000Full;
    return (tens | (quarters - tens * 10) << 8) | 0x3030303030303030ull;
}

// Stores the sixteen bytes of text, the lowest byte first.
void StoreText(char* at, Wide text) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &text, sizeof text);
    } else {
        for (int i = 0; i < 16; ++i)
            at[i] = static_cast<char>(static_cast<unsigned char>(text >> (8 * i)));
    }
}

// Most map coordinates are short decimals (512345.25). For those the digits are found
// without the general conversion, which costs several times more. Let m be v * 1000 rounded
// to a whole number; when m / 1000 gives v back (one correctly rounded division), v is the
// double nearest to m thousandths, so no other decimal of 15 significant digits lies nearer to
// v, and m without its trailing zeros holds the digits the general form writes. (A decimal of
// fewer places passes the same test: its thousandths are whole.) Most coordinates such as
// 400042.837 are not exactly whole in thousandths (v * 1000 is 400042837.00000006), so
// wholeness is no test. Null when the value has more than three decimals, twelve digits
// before the point, or needs the exponent form.
char* FormatShortDecimal(char* at, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e12) || magnitude < 1e-4) return nullptr;  // exponent forms, 0, NaN
    // Below 1e15 a double's steps are at most 1/8, so adding a half is exact. (The signed
    // conversion is one instruction, the unsigned one several.)
    std::uint64_t m =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude * 1000.0 + 0.5));
    if (static_cast<double>(m) / 1000.0 != magnitude) return nullptr;
    int k = 3;
    // The places the decimal does not use are zeros the form drops.
    while (k > 0 && m % 10 == 0) {
        m /= 10;
        --k;
    }
    // The digits of m, at least as many as the decimals plus the one before the point, are
    // written from the last one backwards, two at a time, into a buffer that leaves a gap
    // for the point; then the sign, the whole part, the point and the decimals are copied.
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
    // has at most 12 digits, the decimals at most 3.
    std::memcpy(at, text, 16);
    at += whole;
    if (k == 0) return at;
    *at++ = '.';
    std::memcpy(at, text + whole, 16);
    return at + k;
}

// The 15 significant digits of a double, as the form writes them.
struct FifteenDigits {
    Wide text;  // the digits, the first in the lowest byte, zeros after the last one
    int count;  // how many the form keeps: the trailing zeros dropped
    int power;  // the power of ten of the first digit
};

// A double between 1E-5 and 1E+16, as coordinates and parameters are: its 15 significant
// digits found exactly from its bits, several times faster than the general conversion. A double is
// M * 2^E with M below 2^53; for the 15 digits, v * 10^q with q = 14 - e10 (e10 the power of ten of
// v) is rounded to a whole number, which M * 10^q (below 2^113, as q is at most 19) shifted right
// by -E gives exactly in 128 bits, a tie going to the even number as in the general conversion.
// False when the value is outside that range or its 15 digits call for the exponent form.
inline bool FindFifteenDigits(double magnitude, FifteenDigits& found) {
    if (!(magnitude >= 1e-5 && magnitude < 1e16)) return false;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const std::uint64_t mantissa = (bits & ((1ull << 52) - 1)) | (1ull << 52);
    const int shift = 1075 - static_cast<int>(bits >> 52);  // -E, above 0 in this range
    static constexpr std::uint64_t kTens[] = {1ull,
                                              10ull,
                                              100ull,
                                              1000ull,
                                              10000ull,
                                              100000ull,
                                              1000000ull,
                                              10000000ull,
                                              100000000ull,
                                              1000000000ull,
                                              10000000000ull,
                                              100000000000ull,
                                              1000000000000ull,
                                              10000000000000ull,
                                              100000000000000ull,
                                              1000000000000000ull,
                                              10000000000000000ull,
                                              100000000000000000ull,
                                              1000000000000000000ull,
                                              10000000000000000000ull};
    // The power of ten of 2^(52 - shift) is v's own or one below it; the doubles nearest the
    // powers of ten tell which. Where one of those lies off its power, the loop below
    // puts the guess right.
    static constexpr double kPowerBounds[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1, 1e2,
                                              1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9, 1e10,
                                              1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};
    int power = ((52 - shift) * 78913) >> 18;
    if (power >= -6 && power <= 16 && magnitude >= kPowerBounds[power + 6]) ++power;
    std::uint64_t m = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int q = 14 - power;
        if (q < 0 || q >= static_cast<int>(std::size(kTens)) || shift >= 128) return false;
        const Wide product = static_cast<Wide>(mantissa) * kTens[q];
        const Wide whole = product >> shift;
        const Wide rest = product - (whole << shift);
        const Wide half = static_cast<Wide>(1) << (shift - 1);
        m = static_cast<std::uint64_t>(whole);
        // Rounding up or not is a coin toss for real coordinates: done without a branch.
        m += static_cast<std::uint64_t>((rest > half) | ((rest == half) & ((m & 1) != 0)));
        if (m >= kTens[15]) {
            ++power;  // v reaches the next power of ten, or rounds up to it
        } else if (m < kTens[14]) {
            --power;
        } else {
            break;
        }
    }
    if (m < kTens[14] || m >= kTens[15] || power < -4 || power >= 15) return false;
    // The fifteen digits as text in one 128-bit number, the first in its lowest byte; the
    // digits the form drops are the zeros at its top. m is at least 10^14, so the first digit
    // is no zero.
    const Wide digits =
        static_cast<Wide>(EightDigits(static_cast<std::uint32_t>(m / 100000000)) >> 8) |
        static_cast<Wide>(EightDigits(static_cast<std::uint32_t>(m % 100000000))) << 56;
    constexpr std::uint64_t kZeros = 0x3030303030303030ull;
    const Wide values = digits ^ (static_cast<Wide>(kZeros >> 8) << 64 | kZeros);
    const auto top = static_cast<std::uint64_t>(values >> 64);
    const int zeroBytes = (top != 0 ? std::countl_zero(top)
                                    : 64 + std::countl_zero(static_cast<std::uint64_t>(values))) /
                          8;
    found = {digits, 16 - zeroBytes, power};
    return true;
}

// The digits without a sign, the point in its place.
inline char* WriteFifteenDigits(char* at, const FifteenDigits& found) {
    // The text is made in a register and stored in one piece; the bytes it writes past the
    // number stay inside the room the caller gives and are not part of the result.
    if (found.power < 0) {
        *at++ = '0';
        *at++ = '.';
        for (int z = -1; z > found.power; --z)
            *at++ = '0';
        StoreText(at, found.text);
        return at + found.count;
    }
    // The point goes after the whole part; a whole number ends there, its places after its
    // last digits being the zeros the text already holds.
    const int whole = found.power + 1;
    const Wide wholePart =
        whole >= 16 ? ~static_cast<Wide>(0) : (static_cast<Wide>(1) << (8 * whole)) - 1;
    StoreText(at, (found.text & wholePart) | (found.text & ~wholePart) << 8 |
                      static_cast<Wide>('.') << (8 * whole));
    return at + (found.count > whole ? found.count + 1 : whole);
}

char* FormatFifteenDigits(char* at, double value) {
    FifteenDigits found;
    if (!FindFifteenDigits(std::fabs(value), found)) return nullptr;
    *at = '-';
    return WriteFifteenDigits(at + (value < 0 ? 1 : 0), found);
}

// A print form from found digits.
char* WriteFifteenDigitsPrint(char* at, bool negative, const FifteenDigits& found) {
    *at++ = negative ? '-' : ' ';
    at = WriteFifteenDigits(at, found);
    *at++ = ' ';
    return at;
}

// Blanks from `at` to the next zone start of the line that begins at `line`. A zone has at
// most 13 blanks to fill; they are stored sixteen at a time, inside the room.
char* PadZone(const char* line, char* at) {
    static constexpr char kBlanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                         ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    std::memcpy(at, kBlanks, sizeof kBlanks);
    return at + ZonePadding(static_cast<std::size_t>(at - line));
}

}  // namespace

char* FormatPlain(char* at, std::int64_t value) {
    return std::to_chars(at, at + kMaxNumberText, value).ptr;
}

char* FormatPlain(char* at, double value) {
    char* end = FormatShortDecimal(at, value);
    if (end == nullptr) end = FormatFifteenDigits(at, value);
    return end != nullptr ? end : FormatGeneral(at, value, 15);
}

char* FormatPlain(char* at, float value) {
    return FormatGeneral(at, value, 7);
}

char* FormatZonedPair(char* at, double first, double second) {
    char* const line = at;
    *at = ' ';
    char* const end = FormatShortDecimal(first < 0 ? at : at + 1, first);
    if (end != nullptr) {
        *end = ' ';
        return FormatPrint(PadZone(line, end + 1), second);
    }
    // Numbers of full precision: the digits of both are found before either is written, so
    // the processor works on the two at once.
    FifteenDigits a;
    FifteenDigits b;
    const bool foundA = FindFifteenDigits(std::fabs(first), a);
    const bool foundB = FindFifteenDigits(std::fabs(second), b);
    at = foundA ? WriteFifteenDigitsPrint(at, first < 0, a) : FormatPrint(at, first);
    at = PadZone(line, at);
    return foundB ? WriteFifteenDigitsPrint(at, second < 0, b) : FormatPrint(at, second);
}

void PadToNextZone(std::string& line, std::size_t lineStart) {
    const std::size_t used = line.size() - lineStart;
    line.append(ZonePadding(used), ' ');
}

}  // namespace vx

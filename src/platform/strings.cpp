#include "platform/strings.h"

#include <algorithm>
#include <charconv>

namespace vx {

namespace {

// Appends the run of decimal digits at p to `mantissa` (which wraps when the run is longer
// than 19 digits; the caller refuses such runs) and returns how many there were.
std::ptrdiff_t ReadDigitRun(const char*& start, const char* end, std::uint64_t& mantissa) {
    // Worked on in locals: through the references every step would go to memory, since the
    // characters read may, as far as the compiler knows, be the pointer itself.
    const char* p = start;
    std::uint64_t value = mantissa;
    while (p != end && static_cast<unsigned>(*p - '0') < 10u)
        value = value * 10 + static_cast<unsigned>(*p++ - '0');
    mantissa = value;
    const std::ptrdiff_t count = p - start;
    start = p;
    return count;
}

}  // namespace

char UpperAnsi(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    // Latin-1 small letters à..þ, except the division sign.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    switch (u) {
        case 0x9A:
            return static_cast<char>(0x8A);  // š
        case 0x9C:
            return static_cast<char>(0x8C);  // œ
        case 0x9E:
            return static_cast<char>(0x8E);  // ž
        case 0xFF:
            return static_cast<char>(0x9F);  // ÿ
        default:
            return c;
    }
}

std::string UpperAnsi(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAnsi(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && UpperAnsi(a[i]) != UpperAnsi(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string_view Trim(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> SplitQuoted(std::string_view text, char delimiter) {
    std::vector<std::string> fields(1);
    const std::size_t size = text.size();
    bool quoted = false;
    std::size_t i = 0;
    while (i < size) {
        // A run of plain characters is taken whole.
        std::size_t stop = i;
        if (quoted) {
            stop = std::min(text.find('"', i), size);
        } else {
            while (stop < size && text[stop] != delimiter && text[stop] != '"')
                ++stop;
        }
        fields.back().append(text.substr(i, stop - i));
        if (stop == size) break;
        i = stop + 1;
        if (quoted) {
            // A doubled quote inside quotes is one quote; a single one ends the quotes.
            if (i < size && text[i] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (text[stop] == delimiter) {
            fields.emplace_back();
        } else {
            quoted = true;
        }
    }
    return fields;
}

bool ParsePlainDecimal(const char*& start, const char* end, double& value) {
    const char* p = start;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // A mantissa of at most 2^53 and a power of ten below 10^23 are both exact doubles, so
    // one division gives the correctly rounded result, the same as from_chars.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    std::ptrdiff_t count = ReadDigitRun(p, end, mantissa);
    std::ptrdiff_t fraction = 0;
    if (p != end && *p == '.') {
        ++p;
        fraction = ReadDigitRun(p, end, mantissa);
        count += fraction;
    }
    if (count == 0 || count > 19 || fraction > 22 || mantissa > (1ull << 53)) return false;
    const double magnitude = static_cast<double>(mantissa) / kPowers[fraction];
    value = negative ? -magnitude : magnitude;
    start = p;
    return true;
}

bool ParseDecimal(std::string_view text, double& value) {
    const char* p = text.data();
    const char* const end = p + text.size();
    if (ParsePlainDecimal(p, end, value) && p == end) return true;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return false;
    }
    if (text.empty()) return false;
    auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && stop == text.data() + text.size();
}

std::optional<double> ParseDouble(std::string_view text) {
    double value = 0;
    if (!ParseDecimal(Trim(text), value)) return std::nullopt;
    return value;
}

std::optional<long long> ParseInteger(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace vx

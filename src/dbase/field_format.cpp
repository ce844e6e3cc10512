#include "dbase/field_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/strings.h"

namespace vx {

namespace {

bool AllDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view StripLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits.empty() ? std::string_view("0") : digits;
}

// A number as sign, integer digits and fraction digits, taken from its text digit by digit so
// that nothing is lost to a binary conversion. Texts in other forms (exponents) go through a
// double and come back in fixed notation. `scratch` holds the digits in that case.
struct NumberParts {
    bool negative = false;
    std::string_view integer;   // at least one digit, no leading zeros
    std::string_view fraction;  // as typed, possibly empty
};

bool SplitPlainNumber(std::string_view text, NumberParts& parts) {
    std::size_t point = text.find('.');
    std::string_view before = Trim(text.substr(0, point));
    std::string_view after = point == std::string_view::npos ? "" : Trim(text.substr(point + 1));
    bool negative = false;
    if (!before.empty() && (before.front() == '-' || before.front() == '+')) {
        negative = before.front() == '-';
        before.remove_prefix(1);
    }
    if (!AllDigits(before) || !AllDigits(after) || before.size() + after.size() == 0) {
        return false;
    }
    parts.negative = negative;
    parts.integer = StripLeadingZeros(before);
    parts.fraction = after;
    return true;
}

bool SplitNumber(std::string_view text, NumberParts& parts, char (&scratch)[400]) {
    if (std::count(text.begin(), text.end(), '.') >= 2) {
        // Two decimal points make no number; the value is stored as a zero.
        parts = NumberParts{false, "0", "0"};
        return true;
    }
    if (SplitPlainNumber(text, parts)) return true;
    auto value = ParseDouble(text);
    if (!value || !std::isfinite(*value)) return false;
    auto [end, ec] =
        std::to_chars(scratch, scratch + sizeof scratch, *value, std::chars_format::fixed);
    if (ec != std::errc()) return false;
    return SplitPlainNumber(std::string_view(scratch, end - scratch), parts);
}

void Blanks(char* out, int width) {
    if (width > 0) std::memset(out, ' ', static_cast<std::size_t>(width));
}

// `text` right-aligned in `width`, or its first `width` characters when longer.
void RightAlign(std::string_view sign, std::string_view digits, int width, char* out) {
    std::size_t room = static_cast<std::size_t>(width);
    std::size_t length = sign.size() + digits.size();
    if (length >= room) {
        std::size_t s = std::min(sign.size(), room);
        std::memcpy(out, sign.data(), s);
        std::memcpy(out + s, digits.data(), room - s);
        return;
    }
    std::size_t pad = room - length;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, sign.data(), sign.size());
    std::memcpy(out + pad + sign.size(), digits.data(), digits.size());
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

int Digits(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

}  // namespace

void FormatNumericField(std::string_view value, int width, int decimals, char* out) {
    Blanks(out, width);
    NumberParts parts;
    char scratch[400];
    if (width <= 0 || Trim(value).empty() || !SplitNumber(value, parts, scratch)) return;
    std::string_view sign = parts.negative ? "-" : "";
    if (decimals <= 0) {
        RightAlign(sign, parts.integer, width, out);
        return;
    }
    int integerRoom = width - decimals - 1;
    if (integerRoom < 0) return;  // a field whose decimals leave no room for the point
    RightAlign(sign, parts.integer, integerRoom, out);
    out[integerRoom] = '.';
    char* fraction = out + integerRoom + 1;
    std::size_t copy = std::min(parts.fraction.size(), static_cast<std::size_t>(decimals));
    std::memcpy(fraction, parts.fraction.data(), copy);
    std::memset(fraction + copy, '0', static_cast<std::size_t>(decimals) - copy);
}

std::optional<bool> ParseLogicalText(std::string_view text) {
    text = Trim(text);
    if (EqualsNoCase(text, "true") || EqualsNoCase(text, "t") || EqualsNoCase(text, "y")) {
        return true;
    }
    if (EqualsNoCase(text, "false") || EqualsNoCase(text, "f") || EqualsNoCase(text, "n")) {
        return false;
    }
    auto number = ParseDouble(text);
    if (!number || std::isnan(*number)) return std::nullopt;
    return *number != 0.0;
}

void FormatLogicalField(std::string_view value, int width, char* out) {
    if (width <= 0) return;
    Blanks(out, width);
    auto truth = ParseLogicalText(value);
    out[0] = !truth ? '?' : (*truth ? 'T' : 'F');
}

std::optional<CalendarDate> ParseDateText(std::string_view text) {
    text = Trim(text);
    std::size_t stop = text.find_first_of(" T");
    if (stop != std::string_view::npos) text = text.substr(0, stop);
    std::string_view y, m, d;
    // Eight digits; fourteen or seventeen are a MIF date and time, of which the date is kept.
    if ((text.size() == 8 || text.size() == 14 || text.size() == 17) && AllDigits(text)) {
        y = text.substr(0, 4);
        m = text.substr(4, 2);
        d = text.substr(6, 2);
    } else {
        if (text.size() < 8 || !AllDigits(text.substr(0, 4))) return std::nullopt;
        char sep = text[4];
        if (sep != '-' && sep != '/' && sep != '.') return std::nullopt;
        std::string_view rest = text.substr(5);
        std::size_t second = rest.find(sep);
        if (second == std::string_view::npos) return std::nullopt;
        y = text.substr(0, 4);
        m = rest.substr(0, second);
        d = rest.substr(second + 1);
        if (m.empty() || m.size() > 2 || d.empty() || d.size() > 2) return std::nullopt;
        if (!AllDigits(m) || !AllDigits(d)) return std::nullopt;
    }
    CalendarDate date{Digits(y), Digits(m), Digits(d)};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

void FormatDateField(std::string_view value, int width, char* out) {
    Blanks(out, width);
    auto date = ParseDateText(value);
    if (!date || width <= 0) return;
    char text[9];
    int v = date->year * 10000 + date->month * 100 + date->day;
    for (int i = 7; i >= 0; --i, v /= 10)
        text[i] = static_cast<char>('0' + v % 10);
    std::memcpy(out, text, std::min(8, width));
}

void FormatCharacterField(std::string_view value, int width, char* out) {
    if (width <= 0) return;
    std::size_t copy = std::min(value.size(), static_cast<std::size_t>(width));
    std::memcpy(out, value.data(), copy);
    std::memset(out + copy, ' ', static_cast<std::size_t>(width) - copy);
}

void FormatField(char type, std::string_view value, int width, int decimals, char* out) {
    switch (UpperAnsi(type)) {
        case 'N':
        case 'F':  // dBASE IV's float type holds its number as text the same way
            FormatNumericField(value, width, decimals, out);
            break;
        case 'L':
            FormatLogicalField(value, width, out);
            break;
        case 'D':
            FormatDateField(value, width, out);
            break;
        default:
            FormatCharacterField(value, width, out);
            break;
    }
}

std::string FormatField(char type, std::string_view value, int width, int decimals) {
    std::string out(static_cast<std::size_t>(std::max(width, 0)), ' ');
    FormatField(type, value, width, decimals, out.data());
    return out;
}

std::optional<std::string> StoredValueText(char type, std::string_view raw) {
    switch (UpperAnsi(type)) {
        case 'N':
        case 'F': {
            std::string_view text = Trim(raw);
            NumberParts parts;
            char scratch[400];
            if (text.empty() || std::count(text.begin(), text.end(), '.') > 1 ||
                !SplitNumber(text, parts, scratch)) {
                return std::nullopt;
            }
            std::string_view fraction = parts.fraction;
            while (!fraction.empty() && fraction.back() == '0')
                fraction.remove_suffix(1);
            std::string out;
            if (parts.negative && (parts.integer != "0" || !fraction.empty())) out += '-';
            out += parts.integer;
            if (!fraction.empty()) {
                out += '.';
                out += fraction;
            }
            return out;
        }
        case 'L': {
            std::string_view text = Trim(raw);
            if (text.size() != 1) return std::nullopt;
            char c = UpperAnsi(text.front());
            if (c == 'T' || c == 'Y') return std::string("True");
            if (c == 'F' || c == 'N') return std::string("False");
            return std::nullopt;
        }
        case 'D': {
            auto date = ParseDateText(raw);
            if (!date || Trim(raw).size() != 8) return std::nullopt;
            return std::string(Trim(raw));
        }
        default: {
            std::size_t end = raw.find_last_not_of(std::string_view(" \0", 2));
            if (end == std::string_view::npos) return std::nullopt;
            return std::string(raw.substr(0, end + 1));
        }
    }
}

}  // namespace vx

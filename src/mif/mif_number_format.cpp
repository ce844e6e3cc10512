#include "mif/mif_number_format.h"

#include <charconv>
#include <cmath>

namespace vx {

namespace {

// to_chars' general form with a precision already drops trailing zeros and writes the
// zero before the point; only its exponent is turned into the "E" form MIF readers expect.
template <typename Real>
void AppendGeneral(std::string& out, Real value, int digits) {
    if (value == 0) value = 0;  // -0 is written as 0
    char text[48];
    auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (ec != std::errc()) return;  // cannot happen with a buffer this size
    for (char* p = text; p != end; ++p) {
        if (*p == 'e') *p = 'E';
    }
    out.append(text, end);
}

}  // namespace

void AppendPlain(std::string& out, std::int64_t value) {
    char text[24];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    (void)ec;
    out.append(text, end);
}

void AppendPlain(std::string& out, double value) {
    AppendGeneral(out, value, 15);
}

void AppendPlain(std::string& out, float value) {
    AppendGeneral(out, value, 7);
}

void PadToNextZone(std::string& line, std::size_t lineStart) {
    const std::size_t used = line.size() - lineStart;
    const std::size_t zones = (used + kPrintZoneWidth - 1) / kPrintZoneWidth;
    line.append(zones * kPrintZoneWidth - used, ' ');
}

}  // namespace vx

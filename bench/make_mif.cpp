// Writes a large MIF/MID pair for the benchmarks: N regions of about 40 vertices laid out on
// a grid, every third with a hole, and text, float, integer and date columns. The
// coordinates have three decimals; bench/run.sh makes the full-precision set from these.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Put(std::string& out, double v) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 3);
    out.append(text, end);
}

void Ring(std::string& out, double cx, double cy, double radius, int vertices) {
    out += "  " + std::to_string(vertices + 1) + "\r\n";
    for (int k = 0; k <= vertices; ++k) {
        double a = 2 * M_PI * (k % vertices) / vertices;
        double r = radius * (0.8 + 0.2 * std::sin(5 * a));
        Put(out, cx + r * std::cos(a));
        out += ' ';
        Put(out, cy + r * std::sin(a));
        out += "\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "mixed")) {
        std::fprintf(stderr, "usage: make_mif OUT.mif COUNT [mixed]\n");
        return 2;
    }
    // Mixed: every second object a polyline or a point instead of a region, so that the
    // import writes the three layers of a set.
    const bool mixed = argc == 4;
    const std::string mifPath = argv[1];
    const long count = std::strtol(argv[2], nullptr, 10);
    const std::string midPath = mifPath.substr(0, mifPath.size() - 4) + ".mid";
    std::FILE* mif = std::fopen(mifPath.c_str(), "wb");
    std::FILE* mid = std::fopen(midPath.c_str(), "wb");
    if (mif == nullptr || mid == nullptr) return 1;
    std::string out =
        "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
        "CoordSys Earth Projection 8, 104, \"m\", 9, 0, 0.9996, 500000, 0\r\n"
        "Columns 4\r\n  Name Char(30)\r\n  Area Float\r\n  Zone Integer\r\n  Surveyed Date\r\n"
        "Data\r\n\r\n";
    std::string rows;
    const long side = static_cast<long>(std::sqrt(static_cast<double>(count))) + 1;
    for (long i = 0; i < count; ++i) {
        const double cx = 400000 + 100.0 * static_cast<double>(i % side);
        const double cy = 5000000 + 100.0 * static_cast<double>(i / side);
        const bool hole = i % 3 == 0;
        if (mixed && i % 4 == 1) {
            out += "Pline 3\r\n";
            for (int k = 0; k < 3; ++k) {
                Put(out, cx + 10.0 * k);
                out += ' ';
                Put(out, cy + 5.0 * (k % 2));
                out += "\r\n";
            }
            out += "    Pen (2,2,255)\r\n";
        } else if (mixed && i % 4 == 3) {
            out += "Point ";
            Put(out, cx);
            out += ' ';
            Put(out, cy);
            out += "\r\n    Symbol (35,0,12)\r\n";
        } else {
            out += hole ? "Region 2\r\n" : "Region 1\r\n";
            Ring(out, cx, cy, 45, hole ? 30 : 40);
            if (hole) Ring(out, cx, cy, 15, 9);
            out += "    Pen (1,2,0)\r\n    Brush (2," + std::to_string(i % 5000 * 3) +
                   ",16777215)\r\n";
        }
        rows += "\"Parcel " + std::to_string(i + 1) + "\"," + std::to_string(4000.5 + i % 97) + "," +
                std::to_string(i % 60 + 1) + "," + std::to_string(20000101 + i % 12 * 100 + i % 28) +
                "\r\n";
        if (out.size() > (1 << 22)) {
            std::fwrite(out.data(), 1, out.size(), mif);
            out.clear();
        }
        if (rows.size() > (1 << 22)) {
            std::fwrite(rows.data(), 1, rows.size(), mid);
            rows.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), mif);
    std::fwrite(rows.data(), 1, rows.size(), mid);
    return std::fclose(mif) == 0 && std::fclose(mid) == 0 ? 0 : 1;
}

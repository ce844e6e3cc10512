// Fills an attribute table of many rows from a MID file, the way a MIF import fills it, and
// prints how long that took. Also writes the same rows as a CSV (with its .csvt of column
// types) so that bench/dbase_fill.sh can time GDAL writing them to a DBF in the same run.
//
//   dbase_fill_bench FOLDER [ROWS]
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dbase/attribute_table.h"
#include "platform/text_file.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dbase_fill_bench FOLDER [ROWS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const long rows = argc > 2 ? std::stol(argv[2]) : 1000000;

    vx::TextWriter mid;
    vx::TextWriter csv;
    if (!mid.Create(folder + "/rows.mid") || !csv.Create(folder + "/rows.csv")) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    csv.WriteLine("SPATIAL_ID,NAME,COUNT,AREA,OPEN,SINCE");
    for (long i = 1; i <= rows; ++i) {
        std::string name = "\"Parcel " + std::to_string(i % 9973) + " North\"";
        std::string count = std::to_string((i * 7919) % 100000);
        std::string area = std::to_string(i % 100000) + "." + std::to_string(10 + i % 90);
        std::string open = i % 3 == 0 ? "F" : "T";
        std::string year = std::to_string(1990 + i % 30);
        std::string month = "0" + std::to_string(1 + i % 9);
        std::string day = std::to_string(10 + i % 18);
        std::string row = name + "," + count + "," + area + "," + open + ",";
        mid.WriteLine(row + year + month + day);
        csv.WriteLine(std::to_string(i) + "," + row + year + "-" + month + "-" + day);
    }
    if (!mid.Close() || !csv.Close()) return 1;
    vx::WriteWholeFile(folder + "/rows.csvt",
                       "Integer64,String(30),Integer,Real(13.2),String(1),Date\r\n");

    vx::AttributeRows source;
    source.midPath = folder + "/rows.mid";
    source.columnList =
        "SPATIAL_ID Decimal(20, 0),\r\n[NAME] Char(30),\r\n[COUNT] Integer,\r\n"
        "[AREA] Decimal(11,2),\r\n[OPEN] Logical,\r\n[SINCE] Date";
    const std::vector<std::int32_t> order(static_cast<std::size_t>(rows), vx::kOrderRegion);

    auto start = std::chrono::steady_clock::now();
    const std::string shortName = vx::ShortTableName(folder, "ours.dbf");
    const std::string table = folder + "/ours.dbf";
    vx::TableConnection connection;
    std::string error;
    if (!connection.Open(folder) ||
        !vx::CreateAttributeTable(connection, shortName, table, source, false, error) ||
        !vx::FillAttributeRows(table, source, order, {}, vx::kKindRegion)) {
        std::fprintf(stderr, "filling the table failed %s\n", error.c_str());
        return 1;
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    return 0;
}

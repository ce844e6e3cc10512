// The table engine's recordset: a table opened by name in its folder and walked row by row,
// every value of every live row read, as the MIF export and the shapefile export do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dbase/table_engine.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    fuzz::WriteWhole(fuzz::WorkPath("in.dbf"),
                     std::string_view(reinterpret_cast<const char*>(data), size));

    TableConnection connection;
    if (!connection.Open(fuzz::WorkFolder())) return 0;
    TableRecordset recordset;
    std::string error;
    if (!recordset.Open(connection, "[in]", error)) return 0;
    for (; !recordset.IsEOF(); recordset.MoveNext()) {
        for (int f = -1; f <= recordset.FieldCount(); ++f) {
            recordset.Value(f);
        }
    }
    recordset.Close();
    return 0;
}

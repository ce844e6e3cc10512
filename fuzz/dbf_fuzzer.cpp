// The table class on a loaded table: every operation the imports apply to a table they
// copied or created (renaming, removing and adding fields, inserting records, writing the
// table back whole and in buffered appends), in an order chosen by the input's first byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dbase/vx_recordset.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    if (size < 1) return 0;
    fuzz::ClearWorkFolder();
    const std::uint8_t ops = data[0];
    const std::string path = fuzz::WorkPath("in.dbf");
    fuzz::WriteWhole(path, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    VXRecordset table;
    table.OpenDBF(path);
    if (!table.HasTable()) return 0;

    // Read everything the loaded table offers, one field past each end included.
    const int fields = table.FieldCount();
    for (int f = 0; f <= fields + 1; ++f) {
        table.FieldName(f);
        table.FieldSize(f);
        table.FieldDecimalSize(f);
        table.FieldType(f);
    }
    for (std::size_t r = 1; r <= table.RecordsHeld(); ++r) {
        table.RecordFlag(r);
        table.RecordData(r);
    }

    // A row of values from the field names themselves, so that text meets every field.
    std::string row = "1";
    for (int f = 1; f <= fields; ++f)
        row += "," + table.FieldName(f).substr(0, 4);

    if (ops & 1) table.RenameField(1 + ops % (fields + 1), "RENAMED");
    if (ops & 2) table.RemoveField(1 + (ops >> 4) % (fields + 1));
    if (ops & 4) table.AddSpatialID();
    if (ops & 8) {
        table.InsertRecord(row);
        table.InsertRecord("\"a,b\",,-1.5e300,T,19991231");
        table.UpdateFile();
    }
    if (ops & 16) {
        table.ResizeRecords(2);
        table.InsertRecordEX(row);
        table.InsertRecordEX(",,,");
        table.InsertRecordEX("9999999999999999999999,x");
        table.UpdateFileEx(path);
    }
    if (ops & 32) {
        VXRecordset again;
        again.OpenDBF(path);
    }
    if (ops & 64) table.KillDBF(path);
    return 0;
}

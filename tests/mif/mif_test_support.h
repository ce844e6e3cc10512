#pragma once

#include <string>

#include "mif/mif_reader.h"
#include "support/test_support.h"

namespace vx::test {

// A MIF file around a data section, CR LF line ends, with the given header clauses between
// Charset and Data.
inline std::string MifText(const std::string& data, const std::string& clauses = "") {
    return "Version 300\r\nCharset \"WindowsLatin1\"\r\n" + clauses + "Data\r\n" + data;
}

// The MIF reader as the engine calls it, with the lines it reports kept as the job log keeps
// them and what it read at hand.
class MifRead : public StatusLines {
  public:
    MifReadOptions options;
    LayerModel model;
    AttributeRows table;
    bool unsupportedShapes = false;

    // Reads the file at `path`; false when the reader gave up.
    bool ReadPath(const std::string& path) {
        MifReading reading = ReadMifFile(path, options, *this);
        ok_ = reading.ok;
        model = std::move(reading.model);
        table = std::move(reading.table);
        unsupportedShapes = reading.unsupportedShapes;
        return ok_;
    }
    // Writes bytes to a file of its own and reads it.
    bool Read(const std::string& bytes) {
        TempDir dir;
        WriteFile(dir / "source.mif", bytes);
        return ReadPath(dir / "source.mif");
    }

    void Report(std::string_view line) override {
        log_ += line;
        status_ = line;
    }
    const std::string& Log() const { return log_; }
    const std::string& StatusText() const { return status_; }
    bool Failed() const { return !ok_; }

  private:
    bool ok_ = false;
    std::string log_;
    std::string status_;
};

}  // namespace vx::test

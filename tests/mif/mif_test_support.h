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

// What the MIF reader read, with the lines it reported as the job log keeps them.
struct MifResult : MifReading {
    std::string log;
};

inline MifResult ReadMifPath(const std::string& path, const MifReadOptions& options = {}) {
    StatusLog status;
    MifResult result;
    static_cast<MifReading&>(result) = ReadMifFile(path, options, status);
    result.log = status.log;
    return result;
}

// Reads the bytes as a MIF file of their own.
inline MifResult ReadMif(const std::string& bytes, const MifReadOptions& options = {}) {
    TempDir dir;
    WriteFile(dir / "source.mif", bytes);
    return ReadMifPath(dir / "source.mif", options);
}

}  // namespace vx::test

#pragma once

#include <string>

#include "mif/mif_reader.h"
#include "model/job_context.h"
#include "support/test_support.h"

namespace vx::test {

// A MIF file around a data section, CR LF line ends, with the given header clauses between
// Charset and Data.
inline std::string MifText(const std::string& data, const std::string& clauses = "") {
    return "Version 300\r\nCharset \"WindowsLatin1\"\r\n" + clauses + "Data\r\n" + data;
}

// Writes bytes to a file of its own and reads it as a MIF file after a job reset.
inline bool ReadMifBytes(JobContext& ctx, const std::string& bytes) {
    TempDir dir;
    const std::string path = dir / "source.mif";
    WriteFile(path, bytes);
    ctx.ResetJob();
    return ReadMifFile(ctx, path);
}

}  // namespace vx::test

#pragma once

#include <string>

#include "model/job_context.h"

namespace vx {

// Reads a MIF file into the job's layer model: the header (delimiter, coordinate system and,
// when attributes are carried, the column list for the attribute table), then every object
// with its style. The source file is only read. False, with the failure flag set and the
// failure reported, when the file cannot be read; a file that cannot be opened at all is left
// for the caller to report.
bool ReadMifFile(JobContext& ctx, const std::string& path);

}  // namespace vx

#pragma once

#include <string>

#include "model/job_context.h"

namespace vx::test {

// Reads a layer written by a converter back through the layer reader; fails the test when
// the layer cannot be read.
void ReadBack(const std::string& vxvPath, JobContext& ctx);

}  // namespace vx::test

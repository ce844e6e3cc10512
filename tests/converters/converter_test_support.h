#pragma once

#include <string>

#include "model/layer_model.h"

namespace vx::test {

// Reads a layer written by a converter back through the layer reader; fails the test when
// the layer cannot be read.
void ReadBack(const std::string& vxvPath, LayerModel& model);

}  // namespace vx::test

#pragma once

#include "model/layer_model.h"

namespace vx {

// The program-wide projection values the ASCII import stamps into its layers. A run keeps
// them from one run to the next; they start as longitude and latitude on WGS 84.
struct ProjectionSettings : CoordinateSystem {
    ProjectionSettings() {
        lProjection = 1;
        lDatum = 226;
    }
};

}  // namespace vx

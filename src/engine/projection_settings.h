#pragma once

#include <cstdint>

namespace vx {

// The 23 projection values the ASCII import stamps into its layers, in the order the engine
// takes them. A run keeps them from one run to the next.
struct ProjectionSettings {
    std::uint8_t lCoordSys = 0;
    std::int32_t lProjection = 1;
    std::int32_t lDatum = 226;
    double lOriginLongitude = 0;
    double lOriginLatitude = 0;
    double lStdParellel1 = 0;
    double lStdParellel2 = 0;
    double lAzimuth = 0;
    double lScaleFactor = 0;
    std::int32_t lFalseEasting = 0;
    std::int32_t lFalseNorthing = 0;
    std::int32_t lRange = 0;
    std::int32_t lAffineUnit = 0;
    double lPoleMeridian = 0;
    double lPoleParallel = 0;
    double lShiftX = 0;
    double lStretchY = 0;
    double lSkewY = 0;
    double lShiftY = 0;
    std::int32_t lUTMZone = 0;
    std::int32_t lYMultiplier = 0;
    std::int32_t lXDisplacement = 0;
    std::int32_t lYDisplacement = 0;
};

}  // namespace vx

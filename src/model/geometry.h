#pragma once

namespace vx {

// Degrees to radians with the engine's own value of pi, so that arcs and ellipses come out
// the same on every platform.
inline double DegToRad(double degrees) {
    return degrees * 3.14159265358979 / 180.0;
}

}  // namespace vx

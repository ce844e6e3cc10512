#include "model/geometry.h"

namespace vx {

bool RingIsCounterClockwise(std::span<const Vertex> vertices) {
    double sum = 0.0;
    for (std::size_t i = 1; i < vertices.size(); ++i)
        sum += vertices[i - 1].X * vertices[i].Y - vertices[i].X * vertices[i - 1].Y;
    return sum > 0.0;
}

}  // namespace vx

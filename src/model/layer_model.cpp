#include "model/layer_model.h"

namespace vx {

void LayerModel::Clear() {
    // Swapping with empty vectors gives the memory of a large layer back at once.
    *this = LayerModel{};
}

}  // namespace vx

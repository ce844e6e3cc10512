#include "model/layer_model.h"

namespace vx {

void LayerModel::Clear() {
    // A fresh model: assigning it frees the memory of a large layer at once.
    *this = LayerModel{};
}

}  // namespace vx

#include "converters/converter_test_support.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "vxv/layer_reader.h"

namespace vx::test {

void ReadBack(const std::string& vxvPath, LayerModel& model) {
    std::string error;
    ASSERT_TRUE(ReadLayerData(model, vxvPath, WithExtension(vxvPath, ".vxs"), LayerTarget::kObjects,
                              nullptr, error))
        << vxvPath << ": " << error;
}

}  // namespace vx::test

#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/layer_model.h"
#include "platform/paths.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"

namespace vx::test {

// Reads a layer written by a converter back through the layer reader; fails the test when
// the layer cannot be read.
inline LayerModel ReadBack(const std::string& vxvPath) {
    LayerModel model;
    std::string error;
    EXPECT_TRUE(ReadLayerData(model, vxvPath, WithExtension(vxvPath, ".vxs"), LayerTarget::kObjects,
                              nullptr, error))
        << vxvPath << ": " << error;
    return model;
}

// A GeoJSON feature with the given properties, for ogr2ogr to write as a test's input.
inline std::string Feature(const std::string& properties, const std::string& geometry) {
    return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":)" + geometry + "}";
}

// Writes the features to `path` with ogr2ogr and the given options (driver and creation).
inline void WriteWithOgr(const TempDir& dir, const std::string& path, const std::string& options,
                         const std::vector<std::string>& features) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (std::size_t i = 0; i < features.size(); ++i)
        json += (i ? "," : "") + features[i];
    WriteFile(dir / "in.geojson", json + "]}");
    const CommandResult result =
        RunCommand("ogr2ogr " + options + " '" + path + "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(result.status, 0) << result.err;
}

}  // namespace vx::test

#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "support/gdal_peer.h"
#include "support/test_support.h"

// What the tests of the VXV driver share besides the GDAL peer. They use GDAL's own API only:
// the driver is loaded as GDAL loads any plugin, from the build's gdalplugins folder.
namespace vx::test {

// Registers GDAL's drivers and the VXV plugin of this build; an installed one must not stand
// in for it.
inline void UseVxvDriver() {
    CPLSetConfigOption("GDAL_DRIVER_PATH", VX_PLUGIN_DIR);
    GDALAllRegister();
    ASSERT_NE(GDALGetDriverByName("VXV"), nullptr) << "no VXV driver in " << VX_PLUGIN_DIR;
}

inline std::string Sample(const std::string& name) {
    return std::string(VX_SOURCE_TREE) + "/samples/" + name;
}

// Adds a feature with the geometry `wkt` (none when null), a style and field values.
inline void AddFeature(OGRLayer& layer, const char* wkt, const char* style = nullptr,
                       std::initializer_list<std::pair<const char*, const char*>> values = {}) {
    OGRFeature feature(layer.GetLayerDefn());
    if (wkt != nullptr) {
        OGRGeometry* geometry = nullptr;
        ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry), OGRERR_NONE) << wkt;
        feature.SetGeometryDirectly(geometry);
    }
    if (style != nullptr) feature.SetStyleString(style);
    for (const auto& [field, value] : values)
        feature.SetField(field, value);
    ASSERT_EQ(layer.CreateFeature(&feature), OGRERR_NONE);
}

inline void AddField(OGRLayer& layer, const char* name, OGRFieldType type, int width = 0,
                     int precision = 0, OGRFieldSubType subType = OFSTNone) {
    OGRFieldDefn field(name, type);
    field.SetWidth(width);
    field.SetPrecision(precision);
    field.SetSubType(subType);
    ASSERT_EQ(layer.CreateField(&field), OGRERR_NONE) << name;
}

}  // namespace vx::test

#include "shape/gdal_peer.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include "support/test_support.h"

namespace vx::test {

namespace {

void CollectParts(OGRGeometryH geometry, bool inner, GdalFeature& feature) {
    const OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(geometry));
    if (type == wkbPolygon) {
        for (int i = 0; i < OGR_G_GetGeometryCount(geometry); ++i)
            CollectParts(OGR_G_GetGeometryRef(geometry, i), i > 0, feature);
        return;
    }
    if (type == wkbMultiPolygon || type == wkbMultiLineString || type == wkbMultiPoint ||
        type == wkbGeometryCollection) {
        for (int i = 0; i < OGR_G_GetGeometryCount(geometry); ++i)
            CollectParts(OGR_G_GetGeometryRef(geometry, i), false, feature);
        return;
    }
    auto& part = feature.parts.emplace_back();
    for (int i = 0; i < OGR_G_GetPointCount(geometry); ++i)
        part.push_back({OGR_G_GetX(geometry, i), OGR_G_GetY(geometry, i)});
    feature.inner.push_back(inner);
    feature.pointCount += OGR_G_GetPointCount(geometry);
}

}  // namespace

std::vector<GdalFeature> ReadWithGdal(const std::string& path) {
    GDALAllRegister();
    std::vector<GdalFeature> features;
    GDALDatasetH dataset =
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    EXPECT_NE(dataset, nullptr) << "GDAL cannot open " << path;
    if (dataset == nullptr) return features;
    OGRLayerH layer = GDALDatasetGetLayer(dataset, 0);
    OGR_L_ResetReading(layer);
    while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
        GdalFeature& feature = features.emplace_back();
        if (OGRGeometryH g = OGR_F_GetGeometryRef(f); g != nullptr) {
            feature.hasGeometry = true;
            char* wkt = nullptr;
            OGR_G_ExportToWkt(g, &wkt);
            feature.wkt = wkt;
            CPLFree(wkt);
            const OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
            if (type == wkbPolygon || type == wkbMultiPolygon) feature.area = OGR_G_Area(g);
            if (type == wkbLineString || type == wkbMultiLineString)
                feature.length = OGR_G_Length(g);
            CollectParts(g, false, feature);
        }
        for (int i = 0; i < OGR_F_GetFieldCount(f); ++i)
            feature.fields.push_back(OGR_F_GetFieldAsString(f, i));
        OGR_F_Destroy(f);
    }
    GDALClose(dataset);
    return features;
}

void ShapefileFromGeoJson(const std::string& geojson, const std::string& shpPath,
                          const std::string& extraOptions) {
    const std::string json = shpPath + ".geojson";
    WriteFile(json, geojson);
    const CommandResult result = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + extraOptions + " '" +
                                            shpPath + "' '" + json + "'");
    ASSERT_EQ(result.status, 0) << "ogr2ogr failed: " << result.err;
}

}  // namespace vx::test

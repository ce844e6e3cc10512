#include "support/gdal_peer.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

#include <limits>
#include <memory>

namespace vx::test {

namespace {

int CountPoints(const OGRGeometry* g) {
    if (g == nullptr) return 0;
    switch (wkbFlatten(g->getGeometryType())) {
        case wkbPoint:
            return 1;
        case wkbLineString:
            return g->toLineString()->getNumPoints();
        case wkbPolygon: {
            const OGRPolygon* p = g->toPolygon();
            int n = p->getExteriorRing() ? p->getExteriorRing()->getNumPoints() : 0;
            for (int i = 0; i < p->getNumInteriorRings(); ++i)
                n += p->getInteriorRing(i)->getNumPoints();
            return n;
        }
        default: {
            const OGRGeometryCollection* c = dynamic_cast<const OGRGeometryCollection*>(g);
            int n = 0;
            if (c != nullptr) {
                for (int i = 0; i < c->getNumGeometries(); ++i)
                    n += CountPoints(c->getGeometryRef(i));
            }
            return n;
        }
    }
}

}  // namespace

PeerLayer ReadWithGdal(const std::string& path) {
    GDALAllRegister();
    PeerLayer out;
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    EXPECT_TRUE(ds) << "GDAL cannot open " << path;
    if (!ds || ds->GetLayerCount() < 1) return out;
    OGRLayer* layer = ds->GetLayer(0);
    out.name = layer->GetName();
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        out.fieldNames.push_back(defn->GetFieldDefn(i)->GetNameRef());
        out.fieldTypes.push_back(OGRFieldDefn::GetFieldTypeName(defn->GetFieldDefn(i)->GetType()));
        out.fieldWidths.push_back(defn->GetFieldDefn(i)->GetWidth());
    }
    for (auto& feature : *layer) {
        PeerFeature f;
        const OGRGeometry* g = feature->GetGeometryRef();
        if (g != nullptr) {
            f.geometryType = OGRGeometryTypeToName(wkbFlatten(g->getGeometryType()));
            f.wkt = g->exportToWkt();
            auto handle = OGRGeometry::ToHandle(const_cast<OGRGeometry*>(g));
            // GDAL warns when asked the area of a line or the length of a polygon.
            const OGRwkbGeometryType flat = wkbFlatten(g->getGeometryType());
            if (flat == wkbPolygon || flat == wkbMultiPolygon) f.area = OGR_G_Area(handle);
            if (flat == wkbLineString || flat == wkbMultiLineString)
                f.length = OGR_G_Length(handle);
            f.pointCount = CountPoints(g);
        }
        for (int i = 0; i < defn->GetFieldCount(); ++i) {
            if (feature->IsFieldSetAndNotNull(i))
                f.fields[out.fieldNames[static_cast<std::size_t>(i)]] =
                    feature->GetFieldAsString(i);
        }
        if (feature->GetStyleString() != nullptr) f.style = feature->GetStyleString();
        out.features.push_back(std::move(f));
    }
    return out;
}

namespace {

void CollectVertices(const OGRGeometry* g, std::vector<std::pair<double, double>>& out) {
    if (g == nullptr) return;
    if (const auto* curve = dynamic_cast<const OGRSimpleCurve*>(g)) {
        for (int i = 0; i < curve->getNumPoints(); ++i)
            out.emplace_back(curve->getX(i), curve->getY(i));
    } else if (const auto* point = dynamic_cast<const OGRPoint*>(g)) {
        out.emplace_back(point->getX(), point->getY());
    } else if (const auto* polygon = dynamic_cast<const OGRCurvePolygon*>(g)) {
        for (const OGRCurve* ring : *polygon)
            CollectVertices(ring, out);
    } else if (const auto* collection = dynamic_cast<const OGRGeometryCollection*>(g)) {
        for (const OGRGeometry* part : *collection)
            CollectVertices(part, out);
    }
}

std::vector<std::pair<double, double>> Transformed(const OGRSpatialReference& from,
                                                   std::vector<std::pair<double, double>> points) {
    OGRSpatialReference source(from);
    source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> to(
        OGRCreateCoordinateTransformation(&source, &wgs84));
    EXPECT_TRUE(to) << "no transformation to WGS 84";
    for (auto& [x, y] : points) {
        if (!to || !to->Transform(1, &x, &y)) x = y = std::numeric_limits<double>::quiet_NaN();
    }
    return points;
}

}  // namespace

PeerPlaces PlacesWithGdal(const std::string& path, const std::string& keyField) {
    GDALAllRegister();
    PeerPlaces places;
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    EXPECT_TRUE(ds) << "GDAL cannot open " << path;
    if (!ds || ds->GetLayerCount() < 1) return places;
    OGRLayer* layer = ds->GetLayer(0);
    const OGRSpatialReference* srs = layer->GetSpatialRef();
    places.earth = srs != nullptr && (srs->IsGeographic() || srs->IsProjected());
    if (srs != nullptr) {
        places.crsName = srs->GetName() != nullptr ? srs->GetName() : "";
        const char* unit = nullptr;
        srs->GetLinearUnits(&unit);
        if (unit != nullptr) places.unitName = unit;
    }
    for (auto& feature : *layer) {
        std::vector<std::pair<double, double>> vertices;
        CollectVertices(feature->GetGeometryRef(), vertices);
        if (places.earth) vertices = Transformed(*srs, std::move(vertices));
        auto& kept = places.byKey[feature->GetFieldAsString(keyField.c_str())];
        kept.insert(kept.end(), vertices.begin(), vertices.end());
    }
    return places;
}

std::vector<std::pair<double, double>> ToWgs84(
    const std::string& crs, const std::vector<std::pair<double, double>>& points) {
    OGRSpatialReference from;
    EXPECT_EQ(from.SetFromUserInput(crs.c_str()), OGRERR_NONE) << crs;
    return Transformed(from, points);
}

}  // namespace vx::test

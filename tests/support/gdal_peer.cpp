#include "support/gdal_peer.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

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

}  // namespace vx::test

#include "gdal_plugin/driver_test_support.h"

#include <gdal_utils.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vx::test {

void UseVxvDriver() {
    // Only this build's plugin: an installed one must not stand in for it.
    CPLSetConfigOption("GDAL_DRIVER_PATH", VX_PLUGIN_DIR);
    GDALAllRegister();
    ASSERT_NE(GDALGetDriverByName("VXV"), nullptr) << "no VXV driver in " << VX_PLUGIN_DIR;
}

GDALDatasetUniquePtr OpenVector(const std::string& path, const std::vector<std::string>& drivers) {
    CPLStringList allowed;
    for (const std::string& driver : drivers)
        allowed.AddString(driver.c_str());
    return GDALDatasetUniquePtr(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                          drivers.empty() ? nullptr : allowed.List()));
}

GDALDatasetUniquePtr Translate(const std::string& source, const std::string& target,
                               const std::vector<std::string>& arguments) {
    GDALDatasetUniquePtr input = OpenVector(source);
    if (!input) {
        ADD_FAILURE() << "GDAL cannot open " << source;
        return nullptr;
    }
    CPLStringList argv;
    for (const std::string& argument : arguments)
        argv.AddString(argument.c_str());
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.List(), nullptr);
    GDALDatasetH handle = GDALDataset::ToHandle(input.get());
    int usageError = FALSE;
    GDALDatasetH output =
        GDALVectorTranslate(target.c_str(), nullptr, 1, &handle, options, &usageError);
    GDALVectorTranslateOptionsFree(options);
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(output));
}

GdalMessages::GdalMessages() {
    CPLPushErrorHandlerEx(Keep, this);
    CPLErrorReset();
}

GdalMessages::~GdalMessages() {
    CPLPopErrorHandler();
}

void GdalMessages::Keep(CPLErr level, CPLErrorNum, const char* message) {
    auto* self = static_cast<GdalMessages*>(CPLGetErrorHandlerUserData());
    if (level >= CE_Warning) self->messages_.emplace_back(level, message != nullptr ? message : "");
}

std::vector<std::string> GdalMessages::At(CPLErr level) const {
    std::vector<std::string> texts;
    for (const auto& [at, text] : messages_) {
        if (at == level) texts.push_back(text);
    }
    return texts;
}

bool GdalMessages::Has(CPLErr level, const std::string& part) const {
    for (const std::string& text : At(level)) {
        if (text.find(part) != std::string::npos) return true;
    }
    return false;
}

std::string GdalMessages::All() const {
    std::string all;
    for (const auto& [level, text] : messages_)
        all += (level == CE_Failure ? "error: " : "warning: ") + text + "\n";
    return all;
}

namespace {

using Points = std::vector<std::pair<double, double>>;

Points PointsOf(const OGRSimpleCurve& curve) {
    Points points;
    for (int i = 0; i < curve.getNumPoints(); ++i)
        points.emplace_back(curve.getX(i), curve.getY(i));
    return points;
}

// A closed ring from its smallest vertex on, turning counter-clockwise, so that two rings
// of the same shape compare equal whatever their start and direction.
Points CanonicalRing(Points ring) {
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    double area = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const auto& [x1, y1] = ring[i];
        const auto& [x2, y2] = ring[(i + 1) % ring.size()];
        area += x1 * y2 - x2 * y1;
    }
    if (area < 0) std::reverse(ring.begin(), ring.end());
    std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
    return ring;
}

// Each part of a geometry as a list of points; rings made canonical, parts sorted.
std::vector<Points> Parts(const OGRGeometry* g) {
    std::vector<Points> parts;
    if (g == nullptr || g->IsEmpty()) return parts;
    switch (wkbFlatten(g->getGeometryType())) {
        case wkbPoint:
            parts.push_back({{g->toPoint()->getX(), g->toPoint()->getY()}});
            break;
        case wkbLineString:
            parts.push_back(PointsOf(*g->toLineString()));
            break;
        case wkbPolygon: {
            std::vector<Points> rings;
            for (const OGRLinearRing* ring : *g->toPolygon())
                rings.push_back(CanonicalRing(PointsOf(*ring)));
            // The outer ring first, the holes in order.
            std::sort(rings.begin() + 1, rings.end());
            for (Points& ring : rings)
                parts.push_back(std::move(ring));
            parts.push_back({});  // ends the polygon
            break;
        }
        default: {
            std::vector<std::vector<Points>> members;
            for (const OGRGeometry* member : *g->toGeometryCollection())
                members.push_back(Parts(member));
            std::sort(members.begin(), members.end());
            for (auto& member : members)
                parts.insert(parts.end(), member.begin(), member.end());
            break;
        }
    }
    return parts;
}

bool Near(double a, double b, double tolerance) {
    return std::fabs(a - b) <= tolerance * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// A collection of one member stands for the member: a layer set has one object for both.
const OGRGeometry* Single(const OGRGeometry* g) {
    if (g == nullptr ||
        !OGR_GT_IsSubClassOf(wkbFlatten(g->getGeometryType()), wkbGeometryCollection)) {
        return g;
    }
    const OGRGeometryCollection* collection = g->toGeometryCollection();
    return collection->getNumGeometries() == 1 ? collection->getGeometryRef(0) : g;
}

}  // namespace

bool SameGeometry(const OGRGeometry* a, const OGRGeometry* b, double tolerance, std::string& why) {
    a = Single(a);
    b = Single(b);
    if ((a == nullptr || a->IsEmpty()) != (b == nullptr || b->IsEmpty())) {
        why = "one geometry is missing";
        return false;
    }
    if (a == nullptr || a->IsEmpty()) return true;
    if (wkbFlatten(a->getGeometryType()) != wkbFlatten(b->getGeometryType())) {
        why = std::string("types ") + a->getGeometryName() + " and " + b->getGeometryName();
        return false;
    }
    const std::vector<Points> pa = Parts(a);
    const std::vector<Points> pb = Parts(b);
    bool same = pa.size() == pb.size();
    for (std::size_t i = 0; same && i < pa.size(); ++i) {
        same = pa[i].size() == pb[i].size();
        for (std::size_t k = 0; same && k < pa[i].size(); ++k) {
            same = Near(pa[i][k].first, pb[i][k].first, tolerance) &&
                   Near(pa[i][k].second, pb[i][k].second, tolerance);
        }
    }
    if (!same) why = a->exportToWkt() + " against " + b->exportToWkt();
    return same;
}

bool SameCrs(const OGRSpatialReference* a, const OGRSpatialReference* b) {
    if (a == nullptr || b == nullptr) return a == b;
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    return a->IsSame(b, options);
}

namespace {

bool IsNumber(OGRFieldType type) {
    return type == OFTInteger || type == OFTInteger64 || type == OFTReal;
}

}  // namespace

void ExpectSameFeatures(OGRLayer& expected, OGRLayer& actual, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(actual.GetFeatureCount(), expected.GetFeatureCount());
    OGRFeatureDefn* want = expected.GetLayerDefn();
    OGRFeatureDefn* got = actual.GetLayerDefn();
    std::vector<int> fieldOf;
    for (int i = 0; i < want->GetFieldCount(); ++i) {
        int found = -1;
        for (int k = 0; k < got->GetFieldCount(); ++k) {
            if (EQUAL(want->GetFieldDefn(i)->GetNameRef(), got->GetFieldDefn(k)->GetNameRef())) {
                found = k;
            }
        }
        EXPECT_GE(found, 0) << "no field " << want->GetFieldDefn(i)->GetNameRef();
        fieldOf.push_back(found);
    }
    expected.ResetReading();
    actual.ResetReading();
    for (int n = 1;; ++n) {
        OGRFeatureUniquePtr a(expected.GetNextFeature());
        OGRFeatureUniquePtr b(actual.GetNextFeature());
        if (!a || !b) {
            EXPECT_EQ(!a, !b) << "the layers end at different features";
            return;
        }
        std::string why;
        EXPECT_TRUE(SameGeometry(a->GetGeometryRef(), b->GetGeometryRef(), 1e-12, why))
            << "feature " << n << ": " << why;
        for (int i = 0; i < want->GetFieldCount(); ++i) {
            const int k = fieldOf[static_cast<std::size_t>(i)];
            if (k < 0) continue;
            const char* name = want->GetFieldDefn(i)->GetNameRef();
            const bool numbers = IsNumber(want->GetFieldDefn(i)->GetType()) &&
                                 IsNumber(got->GetFieldDefn(k)->GetType());
            if (numbers) {
                EXPECT_EQ(a->IsFieldSetAndNotNull(i), b->IsFieldSetAndNotNull(k))
                    << "feature " << n << " " << name;
                EXPECT_NEAR(a->GetFieldAsDouble(i), b->GetFieldAsDouble(k),
                            1e-9 * std::max(1.0, std::fabs(a->GetFieldAsDouble(i))))
                    << "feature " << n << " " << name;
            } else {
                EXPECT_EQ(std::string(a->GetFieldAsString(i)), b->GetFieldAsString(k))
                    << "feature " << n << " " << name;
            }
        }
    }
}

}  // namespace vx::test

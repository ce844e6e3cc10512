#include "support/gdal_peer.h"

#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>

namespace vx::test {

GDALDatasetUniquePtr OpenVector(const std::string& path, const std::vector<std::string>& drivers) {
    GDALAllRegister();
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
        ADD_FAILURE() << "GDAL cannot open " << source.substr(0, 200);
        return nullptr;
    }
    CPLStringList argv;
    for (const std::string& argument : arguments)
        argv.AddString(argument.c_str());
    GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.List(), nullptr);
    GDALDatasetH handle = GDALDataset::ToHandle(input.get());
    GDALDatasetH output =
        GDALVectorTranslate(target.c_str(), nullptr, 1, &handle, options, nullptr);
    GDALVectorTranslateOptionsFree(options);
    EXPECT_NE(output, nullptr) << "GDAL cannot write " << target << ": " << CPLGetLastErrorMsg();
    return GDALDatasetUniquePtr(GDALDataset::FromHandle(output));
}

void MakeWithGdal(const std::string& geojson, const std::string& target,
                  const std::vector<std::string>& arguments) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ec);
    Translate(geojson, target, arguments);
}

namespace {

// A geometry's text with its numbers taken out, at full precision; in GEOS's normal form
// (rings closed, turned and started alike, parts in one order) when asked. A collection of
// one member stands for the member: a layer set has one object for both.
std::string Shape(const OGRGeometry* g, std::vector<double>& numbers, bool normalize) {
    if (g == nullptr || g->IsEmpty()) return "EMPTY";
    if (OGR_GT_IsSubClassOf(wkbFlatten(g->getGeometryType()), wkbGeometryCollection) &&
        g->toGeometryCollection()->getNumGeometries() == 1)
        g = g->toGeometryCollection()->getGeometryRef(0);
    std::unique_ptr<OGRGeometry> copy(g->clone());
    copy->closeRings();
    std::unique_ptr<OGRGeometry> normalized(normalize ? copy->Normalize() : nullptr);
    OGRWktOptions options;
    options.precision = 17;
    options.round = false;
    options.format = OGRWktFormat::G;
    const std::string wkt = (normalized ? normalized : copy)->exportToWkt(options);
    std::string shape;
    for (const char* p = wkt.c_str(); *p;) {
        char* end = nullptr;
        const double value = std::strtod(p, &end);
        if (end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-')) {
            numbers.push_back(value);
            shape += '#';
            p = end;
        } else {
            shape += *p++;
        }
    }
    return shape;
}

XY Transformed(const OGRSpatialReference& from, XY points) {
    OGRSpatialReference source(from), wgs84;
    wgs84.importFromEPSG(4326);
    for (OGRSpatialReference* crs : {&source, &wgs84})
        crs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> to(
        OGRCreateCoordinateTransformation(&source, &wgs84));
    EXPECT_TRUE(to) << "no transformation to WGS 84";
    for (auto& [x, y] : points) {
        if (!to || !to->Transform(1, &x, &y)) x = y = std::numeric_limits<double>::quiet_NaN();
    }
    return points;
}

}  // namespace

PeerLayer ReadWithGdal(const std::string& path) {
    PeerLayer out;
    GDALDatasetUniquePtr ds = OpenVector(path);
    EXPECT_TRUE(ds && ds->GetLayerCount() > 0) << "GDAL cannot open " << path;
    if (!ds || ds->GetLayerCount() < 1) return out;
    OGRFeatureDefn* defn = ds->GetLayer(0)->GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        const OGRFieldDefn* field = defn->GetFieldDefn(i);
        out.fieldNames.push_back(field->GetNameRef());
        out.fieldWidths.push_back(field->GetWidth());
        out.fieldTypes.push_back(OGRFieldDefn::GetFieldTypeName(field->GetType()));
    }
    for (auto& feature : *ds->GetLayer(0)) {
        PeerFeature f;
        if (const OGRGeometry* g = feature->GetGeometryRef()) f.wkt = g->exportToWkt();
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

PeerPlaces PlacesWithGdal(const std::string& path, const std::string& keyField) {
    PeerPlaces places;
    GDALDatasetUniquePtr ds = OpenVector(path);
    EXPECT_TRUE(ds) << "GDAL cannot open " << path;
    if (!ds || ds->GetLayerCount() < 1) return places;
    OGRLayer* layer = ds->GetLayer(0);
    const OGRSpatialReference* srs = layer->GetSpatialRef();
    places.earth = srs != nullptr && (srs->IsGeographic() || srs->IsProjected());
    if (srs != nullptr && srs->GetName() != nullptr) places.crsName = srs->GetName();
    for (auto& feature : *layer) {
        std::vector<double> numbers;
        Shape(feature->GetGeometryRef(), numbers, false);
        XY vertices;
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2)
            vertices.emplace_back(numbers[i], numbers[i + 1]);
        if (places.earth) vertices = Transformed(*srs, std::move(vertices));
        XY& kept = places.byKey[feature->GetFieldAsString(keyField.c_str())];
        kept.insert(kept.end(), vertices.begin(), vertices.end());
    }
    return places;
}

XY ToWgs84(const std::string& crs, const XY& points) {
    OGRSpatialReference from;
    EXPECT_EQ(from.SetFromUserInput(crs.c_str()), OGRERR_NONE) << crs;
    return Transformed(from, points);
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

bool GdalMessages::Has(CPLErr level, const std::string& part) const {
    return std::any_of(messages_.begin(), messages_.end(), [&](const auto& message) {
        return message.first == level && message.second.find(part) != std::string::npos;
    });
}

std::string GdalMessages::All() const {
    std::string all;
    for (const auto& [level, text] : messages_)
        all += (level == CE_Failure ? "error: " : "warning: ") + text + "\n";
    return all;
}

bool SameGeometry(const OGRGeometry* a, const OGRGeometry* b, double tolerance, std::string& why) {
    std::vector<double> na, nb;
    bool same = Shape(a, na, true) == Shape(b, nb, true) && na.size() == nb.size();
    for (std::size_t i = 0; same && i < na.size(); ++i)
        same = std::fabs(na[i] - nb[i]) <=
               tolerance * std::max({1.0, std::fabs(na[i]), std::fabs(nb[i])});
    if (!same) {
        why = (a != nullptr ? a->exportToWkt() : "nothing") + " against " +
              (b != nullptr ? b->exportToWkt() : "nothing");
    }
    return same;
}

bool SameCrs(const OGRSpatialReference* a, const OGRSpatialReference* b) {
    if (a == nullptr || b == nullptr) return a == b;
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    return a->IsSame(b, options);
}

void ExpectSameFeatures(OGRLayer& expected, OGRLayer& actual, const std::string& what,
                        double tolerance) {
    SCOPED_TRACE(what);
    ASSERT_EQ(actual.GetFeatureCount(), expected.GetFeatureCount());
    OGRFeatureDefn* want = expected.GetLayerDefn();
    OGRFeatureDefn* got = actual.GetLayerDefn();
    std::vector<int> fieldOf;
    for (int i = 0; i < want->GetFieldCount(); ++i) {
        int found = -1;
        for (int k = 0; k < got->GetFieldCount(); ++k) {
            if (EQUAL(want->GetFieldDefn(i)->GetNameRef(), got->GetFieldDefn(k)->GetNameRef()))
                found = k;
        }
        EXPECT_GE(found, 0) << "no field " << want->GetFieldDefn(i)->GetNameRef();
        fieldOf.push_back(found);
    }
    auto isNumber = [](OGRFieldType type) {
        return type == OFTInteger || type == OFTInteger64 || type == OFTReal;
    };
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
        EXPECT_TRUE(SameGeometry(a->GetGeometryRef(), b->GetGeometryRef(), tolerance, why))
            << "feature " << n << ": " << why;
        for (int i = 0; i < want->GetFieldCount(); ++i) {
            const int k = fieldOf[static_cast<std::size_t>(i)];
            if (k < 0) continue;
            const OGRFieldType type = want->GetFieldDefn(i)->GetType();
            const std::string name = std::string(want->GetFieldDefn(i)->GetNameRef()) +
                                     " of feature " + std::to_string(n);
            if (type != OFTString) {
                EXPECT_EQ(a->IsFieldSetAndNotNull(i), b->IsFieldSetAndNotNull(k)) << name;
            }
            if (isNumber(type) && isNumber(got->GetFieldDefn(k)->GetType())) {
                EXPECT_NEAR(a->GetFieldAsDouble(i), b->GetFieldAsDouble(k),
                            1e-9 * std::max(1.0, std::fabs(a->GetFieldAsDouble(i))))
                    << name;
            } else {
                EXPECT_EQ(std::string(a->GetFieldAsString(i)), b->GetFieldAsString(k)) << name;
            }
        }
    }
}

}  // namespace vx::test

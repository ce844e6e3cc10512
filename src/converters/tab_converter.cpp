#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <cpl_string.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "converters/gdal_routes.h"
#include "converters/gdal_support.h"
#include "mif/mapinfo_files.h"
#include "mif/mif_charset.h"
#include "model/geometry.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "platform/write_failure.h"

namespace vx {

namespace {

void RemoveTable(const std::string& path) {
    for (const std::string& file : MapInfoTableFiles(path))
        DeleteFile(file);
}

// What the source's header says about itself that GDAL does not hand on: the character set,
// and for a MIF file the bounds of its coordinate system.
struct SourceHeader {
    std::string charset;
    std::optional<OGREnvelope> bounds;
};

std::string_view Unquoted(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

// "... Bounds (x1, y1) (x2, y2)": the four numbers after the word, whatever the spacing.
std::optional<OGREnvelope> BoundsClause(std::string_view line) {
    const std::string upper = UpperAnsi(line);
    const auto at = upper.find("BOUNDS");
    if (at == std::string::npos) return std::nullopt;
    double values[4];
    int count = 0;
    std::size_t i = at + 6;
    while (i < line.size() && count < 4) {
        const char c = line[i];
        if (c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9')) {
            std::size_t end = i;
            while (end < line.size() && line[end] != ',' && line[end] != ')' && line[end] != ' ' &&
                   line[end] != '\t' && line[end] != '(') {
                ++end;
            }
            auto value = ParseDouble(line.substr(i, end - i));
            if (!value || !std::isfinite(*value)) return std::nullopt;
            values[count++] = *value;
            i = end;
        } else {
            ++i;
        }
    }
    if (count < 4) return std::nullopt;
    OGREnvelope bounds;
    bounds.MinX = std::min(values[0], values[2]);
    bounds.MaxX = std::max(values[0], values[2]);
    bounds.MinY = std::min(values[1], values[3]);
    bounds.MaxY = std::max(values[1], values[3]);
    return bounds;
}

SourceHeader ReadSourceHeader(const std::string& path, MapInfoForm form) {
    SourceHeader header;
    TextReader in;
    if (!in.Open(path)) return header;
    // The clauses stand at the top; a bounded look keeps a huge or binary file from being
    // read to its end.
    constexpr long long kHeaderLines = 2000;
    std::string_view line;
    while (in.LineNumber() < kHeaderLines && in.ReadLine(line)) {
        const std::string_view text = Trim(line);
        if (form == MapInfoForm::kTab) {
            if (StartsWithNoCase(text, "!charset")) header.charset = Unquoted(text.substr(8));
            continue;
        }
        if (EqualsNoCase(text, "DATA")) break;
        if (StartsWithNoCase(text, "CHARSET")) header.charset = Unquoted(text.substr(7));
        if (StartsWithNoCase(text, "COORDSYS")) header.bounds = BoundsClause(text);
    }
    return header;
}

std::string Number(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

class TabFailure {
  public:
    explicit TabFailure(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

  private:
    std::string what_;
};

// A TAB file stores integer coordinates spread over its bounds, so the bounds decide the
// precision and any coordinate outside them is moved onto them. A TAB target therefore gets
// the data's own extent with a margin, whatever its coordinate system: MapInfo's standard
// bounds of an Earth system are far wider than any layer (about 5 cm of precision for
// longitude and latitude) and do not hold every projected layer. A MIF target of plane
// coordinates needs its bounds written as well, or MapInfo refuses it: the source's own
// where they cover the data.
std::optional<OGREnvelope> TargetBounds(OGRLayer& layer, const SourceHeader& header,
                                        MapInfoForm targetForm) {
    const OGRSpatialReference* srs = layer.GetSpatialRef();
    const bool plane = srs == nullptr || srs->IsLocal();
    if (targetForm != MapInfoForm::kTab && !plane) return std::nullopt;
    OGREnvelope extent;
    const bool haveExtent = layer.GetExtent(&extent, TRUE) == OGRERR_NONE;
    if (targetForm != MapInfoForm::kTab && header.bounds &&
        (!haveExtent || header.bounds->Contains(extent)))
        return header.bounds;
    if (!haveExtent) return std::nullopt;
    if (!std::isfinite(extent.MinX) || !std::isfinite(extent.MinY) || !std::isfinite(extent.MaxX) ||
        !std::isfinite(extent.MaxY))
        throw TabFailure("the data has coordinates that are not numbers");
    const double margin =
        std::max(1.0, 0.05 * std::max(extent.MaxX - extent.MinX, extent.MaxY - extent.MinY));
    extent.MinX -= margin;
    extent.MinY -= margin;
    extent.MaxX += margin;
    extent.MaxY += margin;
    return extent;
}

// The written table's extent must be the source's: a coordinate outside the bounds would
// have been moved onto them. Two steps of the table's integer grid are allowed; GDAL's
// MapInfo writer may round the grid's scale down to a power of ten, which makes a step up
// to ten times the bounds' span over 2^32 (still finer than 1e-8 of the span).
void CheckNothingMoved(const OGREnvelope& source, const OGREnvelope& bounds,
                       const std::string& target) {
    const char* const drivers[] = {"MapInfo File", nullptr};
    GDALDatasetUniquePtr written(
        GDALDataset::Open(target.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!written || written->GetLayerCount() < 1) throw TabFailure("cannot read back " + target);
    OGREnvelope extent;
    if (written->GetLayer(0)->GetExtent(&extent, TRUE) != OGRERR_NONE) return;
    auto step = [](double span) {
        const double fine = span / 4294967295.0;
        return std::max(2 * fine, std::pow(10.0, std::ceil(std::log10(fine))));
    };
    const double stepX = step(bounds.MaxX - bounds.MinX);
    const double stepY = step(bounds.MaxY - bounds.MinY);
    if (std::fabs(extent.MinX - source.MinX) > stepX ||
        std::fabs(extent.MaxX - source.MaxX) > stepX ||
        std::fabs(extent.MinY - source.MinY) > stepY ||
        std::fabs(extent.MaxY - source.MaxY) > stepY) {
        throw TabFailure("coordinates fall outside the bounds of " + target +
                         " and would be moved");
    }
}

std::string WithGdalReason(std::string text, const GdalSession& session) {
    if (!session.LastError().empty()) text += ": " + session.LastError();
    return text;
}

// GDAL 3.6 reads a Lambert conformal conic system in feet that it recognises as an EPSG one
// with its false easting and northing taken for metres, though it writes them in feet, as
// MapInfo does: such a table moves by hundreds of kilometres on its way to MIF. Asked once,
// so that a GDAL that reads them right is left alone.
bool GdalMisreadsFalseOrigin() {
    static const bool misreads = [] {
        OGRSpatialReference probe;
        if (probe.importFromMICoordSys("Earth Projection 3, 74, \"survey ft\", -79, 33.75, "
                                       "34.3333333333333, 36.1666666666667, 1000, 0") !=
            OGRERR_NONE)
            return false;
        return std::fabs(probe.GetProjParm(SRS_PP_FALSE_EASTING, 1000.0) - 1000.0) > 1e-6;
    }();
    return misreads;
}

// The source's coordinate system with the false origin GDAL misread put right; nullopt when
// GDAL read it right.
std::optional<OGRSpatialReference> FalseOriginRepaired(const OGRSpatialReference* srs) {
    if (srs == nullptr || !srs->IsProjected() || !GdalMisreadsFalseOrigin()) return std::nullopt;
    const char* method = srs->GetAttrValue("PROJECTION");
    const double metresPerUnit = srs->GetLinearUnits();
    if (method == nullptr || !EqualsNoCase(method, SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP) ||
        metresPerUnit == 1.0 || metresPerUnit <= 0.0 || srs->GetAuthorityCode(nullptr) == nullptr)
        return std::nullopt;
    OGRSpatialReference repaired(*srs);
    for (const char* parameter : {SRS_PP_FALSE_EASTING, SRS_PP_FALSE_NORTHING})
        repaired.SetProjParm(parameter, srs->GetProjParm(parameter, 0.0) * metresPerUnit);
    return repaired;
}

// The same system on the EPSG datum GDAL finds for its own: GDAL cannot write some of the
// MapInfo datums it reads (OSGB 1936 among them) and puts WGS 84 in their place, but writes
// the EPSG datum as MapInfo's number.
std::optional<OGRSpatialReference> DatumRepaired(const OGRSpatialReference& srs) {
    std::unique_ptr<OGRSpatialReference> geographic(srs.CloneGeogCS());
    if (!geographic) return std::nullopt;
    int count = 0;
    int* confidences = nullptr;
    OGRSpatialReferenceH* matches = geographic->FindMatches(nullptr, &count, &confidences);
    std::optional<OGRSpatialReference> repaired;
    if (count > 0 && confidences[0] >= 70) {
        repaired = srs;
        repaired->CopyGeogCSFrom(OGRSpatialReference::FromHandle(matches[0]));
    }
    OSRFreeSRSArray(matches);
    CPLFree(confidences);
    return repaired;
}

// How far GDAL's reading of the written target places the data from its reading of the
// source, in degrees, over the corners and centre of the data's extent. 0 for plane
// coordinates, which have no place to lose.
double Drift(OGRLayer& sourceLayer, const std::string& target) {
    const OGRSpatialReference* srs = sourceLayer.GetSpatialRef();
    OGREnvelope extent;
    if (srs == nullptr || srs->IsLocal() || sourceLayer.GetExtent(&extent, TRUE) != OGRERR_NONE)
        return 0.0;
    const char* const drivers[] = {"MapInfo File", nullptr};
    GDALDatasetUniquePtr written(
        GDALDataset::Open(target.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!written || written->GetLayerCount() < 1) throw TabFailure("cannot read back " + target);
    const OGRSpatialReference* writtenSrs = written->GetLayer(0)->GetSpatialRef();
    if (writtenSrs == nullptr) return std::numeric_limits<double>::infinity();
    const std::vector<Vertex> points =
        BoxPoints(Bounds{extent.MinX, extent.MinY, extent.MaxX, extent.MaxY});
    const double drift = PlaceDistance(*srs, points, *writtenSrs, points);
    return std::isnan(drift) ? std::numeric_limits<double>::infinity() : drift;
}

// A folder in GDAL's memory file system, removed with its files when the object goes. GDAL's
// MapInfo writer does not notice a write that fails (a full disk leaves a short .map and a
// table GDAL calls written), so the table is made in memory and written out by us.
class MemoryFolder {
  public:
    MemoryFolder() {
        static std::atomic<unsigned> counter{0};
        path_ = "/vsimem/vx-table-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1));
    }
    ~MemoryFolder() { VSIRmdirRecursive(path_.c_str()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;
    const std::string& Path() const { return path_; }

    // Writes every file of the folder into `folder`; a failed write names the file and the
    // system's reason.
    void WriteOut(const std::string& folder) const {
        CPLStringList names(VSIReadDir(path_.c_str()));
        for (int i = 0; i < names.size(); ++i) {
            const std::string name = names[i];
            vsi_l_offset length = 0;
            const GByte* bytes = VSIGetMemFileBuffer((path_ + "/" + name).c_str(), &length, FALSE);
            if (bytes == nullptr) continue;
            const std::string path = JoinPath(folder, name);
            const std::string_view contents(reinterpret_cast<const char*>(bytes),
                                            static_cast<std::size_t>(length));
            if (!WriteWholeFile(path, contents)) {
                const std::string why = TakeWriteFailure();
                throw TabFailure("cannot write " + (why.empty() ? path : why));
            }
        }
    }

  private:
    std::string path_;
};

// One writing of the target by GDAL, with `assigned` as its coordinate system when given.
void WriteTarget(GDALDataset& input, const CPLStringList& baseArgs, const std::string& target,
                 MapInfoForm targetForm, const OGRSpatialReference* assigned,
                 GdalSession& session) {
    CPLStringList args(baseArgs);
    if (assigned != nullptr) {
        char* wkt = nullptr;
        assigned->exportToWkt(&wkt);
        args.AddString("-a_srs");
        args.AddString(wkt != nullptr ? wkt : "");
        CPLFree(wkt);
    }
    std::unique_ptr<GDALVectorTranslateOptions, decltype(&GDALVectorTranslateOptionsFree)> options(
        GDALVectorTranslateOptionsNew(args.List(), nullptr), GDALVectorTranslateOptionsFree);
    if (!options) throw TabFailure(WithGdalReason("bad conversion options", session));

    // The caller has decided to replace an existing target (it may also be an empty
    // placeholder that reserved a temporary name); GDAL will not write over one.
    RemoveTable(target);
    session.ClearError();

    GDALDatasetH sources[] = {GDALDataset::ToHandle(&input)};
    int usageError = FALSE;
    const MemoryFolder memory;
    const std::string made = memory.Path() + "/" + NameOf(target);
    GDALDatasetH output =
        GDALVectorTranslate(made.c_str(), nullptr, 1, sources, options.get(), &usageError);
    if (output == nullptr) throw TabFailure(WithGdalReason("cannot write " + target, session));
    GDALClose(output);
    if (!session.LastError().empty()) {
        throw TabFailure(WithGdalReason("cannot write " + target, session));
    }
    memory.WriteOut(FolderOf(target).empty() ? "." : FolderOf(target));
    // GDAL spells the extension of a new table in lower case; the table is left under the
    // name asked for (its .map, .dat and .id are found whatever their case).
    const std::string written =
        targetForm == MapInfoForm::kTab ? FindCompanion(target, ".tab") : target;
    if (!written.empty() && written != target && !RenameFile(written, target)) {
        throw TabFailure("cannot name the table " + target);
    }
}

// How far a written coordinate system may place the data from the source's, in degrees.
constexpr double kPlaceTolerance = 1e-8;

void Translate(const std::string& source, MapInfoForm sourceForm, const std::string& target,
               MapInfoForm targetForm, GdalSession& session, bool& targetTouched) {
    const char* const drivers[] = {"MapInfo File", nullptr};
    GDALDatasetUniquePtr input(
        GDALDataset::Open(source.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!input) throw TabFailure(WithGdalReason("cannot read " + source, session));
    if (input->GetLayerCount() < 1) throw TabFailure(source + " holds no table");
    OGRLayer& layer = *input->GetLayer(0);

    const SourceHeader header = ReadSourceHeader(source, sourceForm);
    CPLStringList args;
    args.AddString("-f");
    args.AddString("MapInfo File");
    if (targetForm == MapInfoForm::kMif) {
        args.AddString("-dsco");
        args.AddString("FORMAT=MIF");
    }
    // GDAL turns text of a character set it knows into UTF-8 when it reads, and back when
    // it writes with the same encoding; the code page names are the ones it goes by.
    if (const std::string encoding = CodePageOfMifCharset(header.charset); !encoding.empty()) {
        args.AddString("-lco");
        args.AddString(("ENCODING=" + encoding).c_str());
    }
    const std::optional<OGREnvelope> bounds = TargetBounds(layer, header, targetForm);
    if (bounds) {
        args.AddString("-lco");
        args.AddString(("BOUNDS=" + Number(bounds->MinX) + "," + Number(bounds->MinY) + "," +
                        Number(bounds->MaxX) + "," + Number(bounds->MaxY))
                           .c_str());
    }

    targetTouched = true;
    std::optional<OGRSpatialReference> assigned = FalseOriginRepaired(layer.GetSpatialRef());
    WriteTarget(*input, args, target, targetForm, assigned ? &*assigned : nullptr, session);
    // GDAL must place the written data where it places the source's; where it put another
    // datum in place of the source's, the EPSG form of the datum is tried once more.
    if (!(Drift(layer, target) <= kPlaceTolerance)) {
        const OGRSpatialReference* srs = assigned ? &*assigned : layer.GetSpatialRef();
        std::optional<OGRSpatialReference> repaired = DatumRepaired(*srs);
        if (repaired) WriteTarget(*input, args, target, targetForm, &*repaired, session);
        const double drift = Drift(layer, target);
        if (!(drift <= kPlaceTolerance)) {
            const char* name = srs->GetAttrValue("DATUM");
            throw TabFailure("GDAL cannot write the coordinate system of " + NameOf(source) +
                             (name != nullptr ? std::string(" (datum ") + name + ")" : "") +
                             " into " + NameOf(target) + " without moving the data");
        }
    }
    OGREnvelope sourceExtent;
    if (targetForm == MapInfoForm::kTab && bounds &&
        layer.GetExtent(&sourceExtent, TRUE) == OGRERR_NONE)
        CheckNothingMoved(sourceExtent, *bounds, target);
}

int Fail(std::string* reason, std::string text) {
    if (reason != nullptr) *reason = std::move(text);
    return 1;
}

}  // namespace

}  // namespace vx

extern "C" VX_GDAL_ROUTE int VxGdalTabConvert(const std::string& source, const std::string& target,
                                              std::string* reason) {
    using namespace vx;
    const MapInfoForm sourceForm = MapInfoFormOf(source);
    const MapInfoForm targetForm = MapInfoFormOf(target);
    if (sourceForm == MapInfoForm::kOther || targetForm == MapInfoForm::kOther ||
        sourceForm == targetForm) {
        return Fail(reason, "converts only .tab to .mif or .mif to .tab: " + NameOf(source) +
                                " to " + NameOf(target));
    }
    if (!FileExists(source)) return Fail(reason, "no such file: " + source);
    bool started = false;
    try {
        GdalSession session;
        Translate(source, sourceForm, target, targetForm, session, started);
        return 0;
    } catch (const TabFailure& failure) {
        if (started) RemoveTable(target);
        return Fail(reason, failure.what());
    } catch (const std::exception& e) {
        if (started) RemoveTable(target);
        return Fail(reason, e.what());
    }
}

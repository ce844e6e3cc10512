#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include <cpl_string.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogrsf_frmts.h>

#include "converters/gdal_routes.h"
#include "converters/gdal_support.h"
#include "mif/mif_charset.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"

namespace vx {

namespace {

enum class MapInfoForm { kOther, kTab, kMif };

MapInfoForm FormOf(const std::string& path) {
    const std::string name = NameOf(path);
    if (EndsWithNoCase(name, ".tab")) return MapInfoForm::kTab;
    if (EndsWithNoCase(name, ".mif")) return MapInfoForm::kMif;
    return MapInfoForm::kOther;
}

std::vector<std::string_view> CompanionExtensions(MapInfoForm form) {
    if (form == MapInfoForm::kMif) return {".mid"};
    return {".map", ".dat", ".id", ".ind"};
}

// The files a MapInfo table consists of, as far as they exist, whatever the letter case of
// their extensions.
std::vector<std::string> TableFiles(const std::string& path, MapInfoForm form) {
    std::vector<std::string> files;
    if (FileExists(path)) files.push_back(path);
    for (std::string_view ext : CompanionExtensions(form)) {
        // GDAL writes a companion in the letter case of the main file's extension.
        for (const std::string& candidate :
             {WithExtension(path, ext), WithExtension(path, UpperAnsi(ext))}) {
            if (FileExists(candidate) &&
                std::find(files.begin(), files.end(), candidate) == files.end()) {
                files.push_back(candidate);
            }
        }
        std::string found = FindCompanion(path, ext);
        if (!found.empty() && std::find(files.begin(), files.end(), found) == files.end()) {
            files.push_back(found);
        }
    }
    return files;
}

void RemoveTable(const std::string& path, MapInfoForm form) {
    for (const std::string& file : TableFiles(path, form))
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

// A TAB file stores integer coordinates spread over its bounds, so the bounds decide the
// precision. Earth systems have MapInfo's standard bounds, which GDAL knows; for plane
// coordinates GDAL's default is far too wide, so the source's own bounds are used, or the
// data's extent with a margin when the source declares none or they do not cover the data.
// A MIF file of plane coordinates needs its bounds written as well, or MapInfo refuses it.
std::optional<OGREnvelope> PlaneBounds(OGRLayer& layer, const SourceHeader& header) {
    const OGRSpatialReference* srs = layer.GetSpatialRef();
    if (srs != nullptr && !srs->IsLocal()) return std::nullopt;
    OGREnvelope extent;
    const bool haveExtent = layer.GetExtent(&extent, TRUE) == OGRERR_NONE;
    if (header.bounds && (!haveExtent || header.bounds->Contains(extent))) return header.bounds;
    if (!haveExtent) return std::nullopt;
    const double margin =
        std::max(1.0, 0.05 * std::max(extent.MaxX - extent.MinX, extent.MaxY - extent.MinY));
    extent.MinX -= margin;
    extent.MinY -= margin;
    extent.MaxX += margin;
    extent.MaxY += margin;
    return extent;
}

class TabFailure {
  public:
    explicit TabFailure(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

  private:
    std::string what_;
};

std::string WithGdalReason(std::string text, const GdalSession& session) {
    if (!session.LastError().empty()) text += ": " + session.LastError();
    return text;
}

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
    if (auto bounds = PlaneBounds(layer, header)) {
        args.AddString("-lco");
        args.AddString(("BOUNDS=" + Number(bounds->MinX) + "," + Number(bounds->MinY) + "," +
                        Number(bounds->MaxX) + "," + Number(bounds->MaxY))
                           .c_str());
    }
    std::unique_ptr<GDALVectorTranslateOptions, decltype(&GDALVectorTranslateOptionsFree)> options(
        GDALVectorTranslateOptionsNew(args.List(), nullptr), GDALVectorTranslateOptionsFree);
    if (!options) throw TabFailure(WithGdalReason("bad conversion options", session));

    // The caller has decided to replace an existing target (it may also be an empty
    // placeholder that reserved a temporary name); GDAL will not write over one.
    targetTouched = true;
    RemoveTable(target, targetForm);
    session.ClearError();

    GDALDatasetH sources[] = {GDALDataset::ToHandle(input.get())};
    int usageError = FALSE;
    GDALDatasetH output =
        GDALVectorTranslate(target.c_str(), nullptr, 1, sources, options.get(), &usageError);
    if (output == nullptr) throw TabFailure(WithGdalReason("cannot write " + target, session));
    GDALClose(output);
    if (!session.LastError().empty()) {
        throw TabFailure(WithGdalReason("cannot write " + target, session));
    }
    // GDAL spells the extension of a new table in lower case; the table is left under the
    // name asked for (its .map, .dat and .id are found whatever their case).
    const std::string written =
        targetForm == MapInfoForm::kTab ? FindCompanion(target, ".tab") : target;
    if (!written.empty() && written != target && !RenameFile(written, target)) {
        throw TabFailure("cannot name the table " + target);
    }
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
    const MapInfoForm sourceForm = FormOf(source);
    const MapInfoForm targetForm = FormOf(target);
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
        if (started) RemoveTable(target, targetForm);
        return Fail(reason, failure.what());
    } catch (const std::exception& e) {
        if (started) RemoveTable(target, targetForm);
        return Fail(reason, e.what());
    }
}

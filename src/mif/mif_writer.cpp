#include "mif/mif_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "mif/mif_charset.h"
#include "mif/mif_coordsys.h"
#include "mif/mif_number_format.h"
#include "mif/mif_styles.h"
#include "model/datum_catalogue.h"
#include "model/projection_catalogue.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace vx {

namespace {

// The layer model's pattern numbers to MapInfo's, by position.
constexpr std::array<std::int32_t, 37> kPenPatterns = {
    2,  8,  6,  17, 18, 1,  2, 5, 4, 6,  10, 9,  12, 13,  13, 16, 16, 17, 8,
    17, 17, 17, 17, 18, 18, 8, 8, 8, 73, 63, 68, 97, 106, 57, 69, 46, 99,
};
constexpr std::array<std::int32_t, 17> kBrushPatterns = {
    2, 1, 3, 4, 6, 5, 7, 8, 16, 18, 65, 54, 62, 15, 48, 67, 58,
};

template <std::size_t N>
std::int32_t PatternAt(const std::array<std::int32_t, N>& table, std::int32_t pattern) {
    if (pattern < 0 || static_cast<std::size_t>(pattern) >= N) return 0;
    return table[static_cast<std::size_t>(pattern)];
}

void CheckWritten(const TextWriter& out, const std::string& path) {
    if (out.Failed()) throw MifWriteError("Cannot write " + path);
}

// "(minX, minY)(maxX, maxY)" with the numbers in print form.
void AppendBounds(std::string& line, const LayerInfo& layer) {
    AppendPrint(line, layer.MinX);
    line += ", ";
    AppendPrint(line, layer.MinY);
    line += ")(";
    AppendPrint(line, layer.MaxX);
    line += ", ";
    AppendPrint(line, layer.MaxY);
    line += ')';
}

bool IsCharacterType(int type) {
    return type == kAdChar || type == kAdWChar || type == kAdVarChar || type == kAdVarWChar;
}

// The vertex lines of a ring or section, made in place and handed to the writer in one
// piece: these are most of the file.
template <typename Out>
void WriteVertices(const std::vector<Vertex>& vertices, std::string& text, Out& out) {
    constexpr std::size_t kLineRoom = 3 * (kMaxNumberText + 2) + 2;
    // Grown only, so that its room is not filled again for every ring.
    if (text.size() < vertices.size() * kLineRoom) text.resize(vertices.size() * kLineRoom);
    char* const start = text.data();
    char* at = start;
    for (const Vertex& v : vertices) {
        char* const line = at;
        at = FormatPrint(at, v.X);
        const std::size_t padding = ZonePadding(static_cast<std::size_t>(at - line));
        std::memset(at, ' ', padding);
        at = FormatPrint(at + padding, v.Y);
        *at++ = '\r';
        *at++ = '\n';
    }
    out.Write(std::string_view(start, static_cast<std::size_t>(at - start)));
}

// "  n " before each ring and each section of a multiple polyline.
template <typename Out>
void WriteCount(std::size_t count, std::string& line, Out& out) {
    line.assign("  ");
    AppendPrint(line, static_cast<std::int64_t>(count));
    out.WriteLine(line);
}

template <typename Out>
void WritePen(const LayerModel& model, std::int32_t index, std::string& line, Out& out) {
    const PenStyle& pen = model.Pens.At(index);
    line.assign("Pen (");
    AppendPrint(line, pen.PenSize);
    line += ',';
    AppendPrint(line, MifPenPattern(pen.PenPattern));
    line += ',';
    AppendPrint(line, SwapRedBlue(pen.PenColor));
    line += ')';
    out.WriteLine(line);
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// `text` as the MIF file holds it.
std::string_view InFileCode(std::string_view text, const MifTextEncoding& encoding,
                            std::string& scratch) {
    if (encoding.recoder == nullptr || IsAscii(text)) return text;
    encoding.recoder->Convert(text, scratch);
    return scratch;
}

// The characters of a table's names and text values, in UTF-8, for choosing the code page
// they are written in. The recordset is left on its first row.
CharacterTally TallyTableText(TableRecordset& recordset, std::string_view codePage) {
    CharacterTally tally;
    TextRecoder toUtf8(codePage, kUtf8CodePage);
    std::string utf8;
    auto add = [&](std::string_view text) {
        if (IsAscii(text)) return;
        toUtf8.Convert(text, utf8);
        tally.AddUtf8(utf8);
    };
    for (const TableField& field : recordset.Fields())
        add(field.Name);
    for (recordset.MoveFirst(); !recordset.IsEOF(); recordset.MoveNext()) {
        for (int i = 0; i < recordset.FieldCount(); ++i) {
            if (!IsCharacterType(recordset.Field(i).Type)) continue;
            if (const std::optional<std::string> value = recordset.Value(i)) add(*value);
        }
    }
    recordset.MoveFirst();
    return tally;
}

// An object without geometry still owns its MID row, so it is written as one that has none.
constexpr std::string_view kNoGeometry = "None";

}  // namespace

std::string MidPathFor(const std::string& mifPath) {
    const std::string name = NameOf(mifPath);
    const std::size_t dot = name.find_last_of('.');
    std::string ext = ".MID";
    if (dot != std::string::npos && EqualsNoCase(name.substr(dot), ".mif")) {
        ext = name.substr(dot, 3);
        ext += std::islower(static_cast<unsigned char>(name.back())) ? 'd' : 'D';
    }
    return WithExtension(mifPath, ext);
}

std::int32_t MifDatumNumber(std::int32_t code) {
    return MapInfoDatumOfCode(code);
}

std::int32_t MifPenPattern(std::int32_t pattern) {
    return PatternAt(kPenPatterns, pattern);
}

std::int32_t MifBrushPattern(std::int32_t pattern) {
    return PatternAt(kBrushPatterns, pattern);
}

std::string MifProjectionClause(std::int32_t code, const LayerInfo& layer) {
    // MapInfo has no UTM of its own: a zone is written as its transverse Mercator.
    if (code == kUtmProjection) {
        const std::optional<LayerInfo> tm = UtmAsTransverseMercator(layer);
        return tm ? MifProjectionClause(kTransverseMercator, *tm) : std::string();
    }
    const std::vector<const MapInfoProjectionForm*> forms = ProjectionFormsOfCode(code);
    if (forms.empty()) return {};
    auto value = [&](ProjectionParameter parameter) -> double {
        switch (parameter) {
            case ProjectionParameter::kLongitude:
                return layer.lOriginLongitude;
            case ProjectionParameter::kLatitude:
                return layer.lOriginLatitude;
            case ProjectionParameter::kParallel1:
                return layer.lStdParellel1;
            case ProjectionParameter::kParallel2:
                return layer.lStdParellel2;
            case ProjectionParameter::kScale:
                return layer.lScaleFactor;
            case ProjectionParameter::kEasting:
                return layer.lFalseEasting;
            case ProjectionParameter::kNorthing:
                return layer.lFalseNorthing;
            case ProjectionParameter::kRange:
                return layer.lRange;
        }
        return 0.0;
    };
    // A further form (regional Mercator) is taken when the layer has a value for a parameter
    // only it carries (a parallel of true scale away from the equator).
    const MapInfoProjectionForm* form = forms.front();
    for (std::size_t i = 1; i < forms.size(); ++i) {
        for (ProjectionParameter parameter : forms[i]->parameters) {
            const auto& usual = forms.front()->parameters;
            if (value(parameter) != 0.0 &&
                std::find(usual.begin(), usual.end(), parameter) == usual.end())
                form = forms[i];
        }
    }
    std::string clause;
    AppendPlain(clause, form->mapInfo);
    clause += ", ";
    AppendPlain(clause, MifDatumNumber(layer.lDatum));
    // Longitude/latitude has no unit and no parameters.
    if (form->mapInfo == 1) return clause;
    clause += ", \"m\"";
    for (ProjectionParameter parameter : form->parameters) {
        clause += ", ";
        switch (parameter) {
            // Whole-number fields are written as such.
            case ProjectionParameter::kEasting:
                AppendPlain(clause, layer.lFalseEasting);
                break;
            case ProjectionParameter::kNorthing:
                AppendPlain(clause, layer.lFalseNorthing);
                break;
            case ProjectionParameter::kRange:
                AppendPlain(clause, layer.lRange);
                break;
            default:
                AppendPlain(clause, value(parameter));
                break;
        }
    }
    return clause;
}

std::string MifCoordSysClause(const LayerInfo& layer, std::uint8_t unitCode) {
    if (layer.lCoordSys == 1) {
        // Plane coordinates are stored in their own unit.
        std::string_view unit = MifUnitName(unitCode);
        if (unit.empty()) unit = "m";
        return "CoordSys NonEarth Units \"" + std::string(unit) + "\"";
    }
    if (layer.lCoordSys != 0) return {};
    const std::string clause =
        layer.lProjection > 0 ? MifProjectionClause(layer.lProjection, layer) : "";
    return clause.empty() ? "CoordSys NonEarth Units \"m\"" : "CoordSys Earth Projection " + clause;
}

bool MifCarriesCoordSys(const LayerInfo& layer) {
    return layer.lCoordSys != 0 || layer.lProjection <= 0 ||
           !MifProjectionClause(layer.lProjection, layer).empty();
}

std::string MifColumnType(const TableField& field) {
    switch (field.Type) {
        case kAdInteger:
            return "Integer";
        case kAdSingle:
            return "Float";
        case kAdDouble:
            return "Decimal(20, 5)";
        case kAdDate:
            return "Date";
        case kAdBoolean:
            return "Logical";
        case kAdChar:
        case kAdVarChar:
        case kAdVarWChar:
            return "Char(" + PlainNumber(field.DefinedSize) + ")";
        case kAdNumeric:
            return "Decimal(12,0)";
        default:
            return {};
    }
}

void WriteMifHeader(const LayerModel& model, const TableRecordset& recordset, TextWriter& out,
                    const MifTextEncoding& text) {
    out.WriteLine("Version 300");
    std::string line = "Charset \"";
    line += text.charset;
    line += '"';
    out.WriteLine(line);
    out.WriteLine("Delimiter \",\"");

    const LayerInfo& layer = model.Layer;
    line = MifCoordSysClause(layer, model.LayerKind.UnitCode);
    if (!line.empty()) {
        line += layer.lCoordSys == 1 ? " Bounds (" : " Bounds(";
        AppendBounds(line, layer);
        out.WriteLine(line);
    }

    if (recordset.IsOpen()) {
        line = "Columns ";
        AppendPlain(line, static_cast<std::int16_t>(recordset.FieldCount()));
        out.WriteLine(line);
        std::string scratch;
        for (const TableField& field : recordset.Fields()) {
            line = "  ";
            for (char c : InFileCode(field.Name, text, scratch))
                line += c == ' ' ? '_' : c;
            line += ' ';
            line += MifColumnType(field);
            out.WriteLine(line);
        }
    } else {
        out.WriteLine("Columns 1");
        out.WriteLine("  Spatial_ID Decimal(15,0)");
    }
    out.WriteLine("Data");
    out.WriteLine("");
}

std::int32_t WriteMidRows(const LayerModel& model, TableRecordset& recordset, TextWriter& out,
                          const MifTextEncoding& text) {
    std::string line;
    std::string scratch;
    if (!recordset.IsOpen()) {
        for (std::int32_t i = 1; i <= model.LayerObjectCount; ++i) {
            line.assign(1, '"');
            AppendPlain(line, i);
            line += '"';
            out.WriteLine(line);
        }
        return std::max(model.LayerObjectCount, 0);
    }
    const int fields = recordset.FieldCount();
    std::int32_t rows = 0;
    for (; !recordset.IsEOF(); recordset.MoveNext(), ++rows) {
        line.clear();
        for (int i = 0; i < fields; ++i) {
            if (i > 0) line += ',';
            const std::optional<std::string> value = recordset.Value(i);
            if (IsCharacterType(recordset.Field(i).Type)) {
                // A quote inside the value is doubled, so the row still splits into its fields.
                line += '"';
                if (value) {
                    for (char c : InFileCode(*value, text, scratch)) {
                        if (c == '"') line += '"';
                        line += c;
                    }
                }
                line += '"';
            } else if (value) {
                // Numbers come plain, logicals as True or False, dates as YYYYMMDD: the forms
                // MIF readers take.
                line += *value;
            }
        }
        out.WriteLine(line);
    }
    return rows;
}

namespace {

// "None" for every number before object `i`'s that no object has, so that each object meets
// the MID row of its number.
template <typename Out>
void WriteGapBefore(const std::vector<std::int32_t>& numbers, std::size_t i, Out& out) {
    for (std::int32_t n = i == 0 ? 1 : numbers[i - 1] + 1; n < numbers[i]; ++n)
        out.WriteLine(kNoGeometry);
}

template <typename Out>
void WriteMifRegions(const LayerModel& model, const std::vector<std::int32_t>& numbers,
                     std::size_t first, std::size_t last, Out& out) {
    std::string line;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const RegionObject& region = model.Regions.at(i);
        if (region.Parts.empty()) {
            out.WriteLine(kNoGeometry);
            continue;
        }
        line = "Region ";
        AppendPrint(line, static_cast<std::int64_t>(region.Parts.size()));
        out.WriteLine(line);
        for (const RegionPart& ring : region.Parts) {
            WriteCount(ring.Vertices.size(), line, out);
            WriteVertices(ring.Vertices, line, out);
        }
        WritePen(model, region.PenIndex, line, out);
        const BrushStyle& brush = model.Brushes.At(region.BrushIndex);
        line = "Brush (";
        AppendPrint(line, MifBrushPattern(brush.BrushPattern));
        line += ',';
        AppendPrint(line, SwapRedBlue(brush.BrushForeColor));
        line += ')';
        out.WriteLine(line);
    }
}

template <typename Out>
void WriteMifPlines(const LayerModel& model, const std::vector<std::int32_t>& numbers,
                    std::size_t first, std::size_t last, Out& out) {
    std::string line;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const LineObject& pline = model.Lines.at(i);
        if (pline.Parts.empty()) {
            out.WriteLine(kNoGeometry);
            continue;
        }
        const bool multiple = pline.Parts.size() > 1;
        if (multiple) {
            line = "Pline Multiple ";
            AppendPlain(line, static_cast<std::int64_t>(pline.Parts.size()));
        } else {
            line = "Pline ";
            AppendPlain(line, static_cast<std::int64_t>(pline.Parts.front().Vertices.size()));
        }
        out.WriteLine(line);
        for (const LinePart& part : pline.Parts) {
            if (multiple) WriteCount(part.Vertices.size(), line, out);
            WriteVertices(part.Vertices, line, out);
        }
        WritePen(model, pline.PenIndex, line, out);
    }
}

template <typename Out>
void WriteMIFPoints(const LayerModel& model, const std::vector<std::int32_t>& numbers,
                    std::size_t first, std::size_t last, Out& out) {
    std::string line;
    std::string symbol;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const PointObject& point = model.Points.at(i);
        if (point.Vertices.empty()) {
            out.WriteLine(kNoGeometry);
            continue;
        }
        // Every point is written as a font symbol, whatever its font.
        symbol = "  Symbol (";
        AppendPrint(symbol, point.PointStyle);
        symbol += ',';
        AppendPrint(symbol, SwapRedBlue(point.PointColor));
        symbol += ',';
        AppendPrint(symbol, point.PointSize);
        symbol += ",\"";
        symbol += model.Fonts.Name(point.FontIndex);
        symbol += "\",";
        AppendPrint(symbol, point.FontStyle);
        symbol += ',';
        AppendPrint(symbol, point.PointRot);
        symbol += ')';
        if (point.Vertices.size() == 1) {
            line = "Point ";
            AppendPlain(line, point.Vertices.front().X);
            line += ' ';
            AppendPlain(line, point.Vertices.front().Y);
            out.WriteLine(line);
        } else {
            // One object, as the shapefile's multipoint record was: it owns one MID row.
            line = "Multipoint ";
            AppendPlain(line, static_cast<std::int64_t>(point.Vertices.size()));
            out.WriteLine(line);
            WriteVertices(point.Vertices, line, out);
        }
        out.WriteLine(symbol);
    }
}

// The text of a run of objects, made apart from the file and written into it later.
struct TextChunk {
    std::string text;
    void Write(std::string_view part) { text.append(part); }
    void WriteLine(std::string_view part) {
        text.append(part);
        text.append("\r\n");
    }
};

template <typename Out>
void WriteObjectRange(const LayerModel& model, const std::vector<std::int32_t>& numbers,
                      std::size_t first, std::size_t last, Out& out) {
    switch (model.LayerKind.ObjectKind) {
        case kKindPoint:
            WriteMIFPoints(model, numbers, first, last, out);
            break;
        case kKindLine:
            WriteMifPlines(model, numbers, first, last, out);
            break;
        case kKindRegion:
            WriteMifRegions(model, numbers, first, last, out);
            break;
        default:
            break;  // a layer of no known kind has no objects to write
    }
}

// Runs of objects handed from the thread that makes their text to the one that writes it,
// in order; at most two wait. The written texts go back to the maker, which fills them
// again: their memory is made once, not for every run.
struct ChunkHandover {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::string> ready;
    std::vector<std::string> spare;
    std::exception_ptr failure;
    bool stop = false;
};
}  // namespace

void WriteMifObjects(const LayerModel& model, TextWriter& out, std::int32_t rows) {
    const std::vector<std::int32_t> numbers = ObjectNumbers(model, model.LayerObjectCount, rows);
    const std::size_t count = numbers.size();
    const bool knownKind = model.LayerKind.ObjectKind == kKindPoint ||
                           model.LayerKind.ObjectKind == kKindLine ||
                           model.LayerKind.ObjectKind == kKindRegion;
    // Rows after the last object's number belonged to null shapes too.
    auto finish = [&] {
        for (std::int32_t n = count == 0 ? 1 : numbers.back() + 1; knownKind && n <= rows; ++n)
            out.WriteLine(kNoGeometry);
    };
    // Most of the time goes into the numbers' text: a second thread makes the text of every
    // other run of objects while this one makes and writes the rest, and writes the runs in
    // their order, so the file is the same as one thread's.
    constexpr std::size_t kRun = 2048;
    if (count <= 2 * kRun) {
        WriteObjectRange(model, numbers, 0, count, out);
        finish();
        return;
    }
    const std::size_t runs = (count + kRun - 1) / kRun;
    auto range = [&](std::size_t run) {
        return std::pair{run * kRun, std::min(count, (run + 1) * kRun)};
    };
    ChunkHandover handover;
    std::thread maker([&] {
        for (std::size_t run = 1; run < runs; run += 2) {
            TextChunk chunk;
            {
                const std::lock_guard<std::mutex> guard(handover.lock);
                if (!handover.spare.empty()) {
                    chunk.text = std::move(handover.spare.back());
                    handover.spare.pop_back();
                    chunk.text.clear();
                }
            }
            try {
                const auto [first, last] = range(run);
                WriteObjectRange(model, numbers, first, last, chunk);
            } catch (...) {
                const std::lock_guard<std::mutex> guard(handover.lock);
                handover.failure = std::current_exception();
                handover.changed.notify_all();
                return;
            }
            std::unique_lock<std::mutex> guard(handover.lock);
            handover.changed.wait(guard,
                                  [&] { return handover.stop || handover.ready.size() < 2; });
            if (handover.stop) return;
            handover.ready.push_back(std::move(chunk.text));
            handover.changed.notify_all();
        }
    });
    // The maker is stopped and joined however this thread leaves.
    struct Join {
        ChunkHandover& handover;
        std::thread& maker;
        ~Join() {
            {
                const std::lock_guard<std::mutex> guard(handover.lock);
                handover.stop = true;
            }
            handover.changed.notify_all();
            maker.join();
        }
    } join{handover, maker};
    for (std::size_t run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            const auto [first, last] = range(run);
            WriteObjectRange(model, numbers, first, last, out);
            continue;
        }
        std::string text;
        {
            std::unique_lock<std::mutex> guard(handover.lock);
            handover.changed.wait(
                guard, [&] { return !handover.ready.empty() || handover.failure != nullptr; });
            if (handover.ready.empty()) std::rethrow_exception(handover.failure);
            text = std::move(handover.ready.front());
            handover.ready.pop_front();
        }
        handover.changed.notify_all();
        out.Write(text);
        const std::lock_guard<std::mutex> guard(handover.lock);
        handover.spare.push_back(std::move(text));
    }
    finish();
}

void WriteMifFile(const LayerModel& model, const std::string& mifPath, bool withMid,
                  TableRecordset& recordset, StatusLines& status) {
    status.ReportStage("Writing ...");
    const std::string midPath = MidPathFor(mifPath);

    TextWriter mif;
    if (!mif.Create(mifPath)) throw MifWriteError("Cannot create " + mifPath);
    TextWriter mid;
    if (withMid && !mid.Create(midPath)) throw MifWriteError("Cannot create " + midPath);
    status.ReportStage("    Creating Data File.");
    if (!MifCarriesCoordSys(model.Layer)) {
        status.ReportStage("Projection " + PlainNumber(model.Layer.lProjection) +
                           " has no MIF form: the layer is written as plane coordinates");
    }

    std::string codePage(kDefaultCodePage);
    if (recordset.IsOpen() && !recordset.CodePage().empty()) codePage = recordset.CodePage();
    MifTextEncoding text;
    text.charset = MifCharsetOf(codePage);
    std::optional<TextRecoder> recoder;
    if (text.charset.empty()) {
        // MIF has no name for the text's code page: the text is written in the one of MIF's
        // code pages that holds most of it.
        const CodePageChoice choice =
            ChooseCodePage(TallyTableText(recordset, codePage), MifTargetCodePages());
        recoder.emplace(codePage, choice.codePage);
        if (recoder->Valid()) {
            text.charset = MifCharsetOf(choice.codePage);
            text.recoder = &*recoder;
            status.ReportStage("    The text is in " + codePage +
                               ", which MIF cannot name: it is written in " +
                               std::string(text.charset) + ".");
        } else {
            recoder.reset();
            text.charset = MifCharsetOf(kDefaultCodePage);
            status.ReportStage(UnknownCodePageLine(codePage));
        }
    }

    WriteMifHeader(model, recordset, mif, text);
    CheckWritten(mif, mifPath);
    std::int32_t rows = 0;
    if (withMid) {
        rows = WriteMidRows(model, recordset, mid, text);
        if (!mid.Close()) throw MifWriteError("Cannot write " + midPath);
    }
    if (recoder && recoder->Lost() > 0) {
        const std::size_t lost = recoder->Lost();
        status.ReportStage(
            "    " + std::to_string(lost) +
            (lost == 1 ? " character cannot be written in " : " characters cannot be written in ") +
            std::string(text.charset) +
            (lost == 1 ? ": it is written as \"?\"." : ": they are written as \"?\"."));
    }
    WriteMifObjects(model, mif, rows);
    if (!mif.Close()) throw MifWriteError("Cannot write " + mifPath);
}

}  // namespace vx

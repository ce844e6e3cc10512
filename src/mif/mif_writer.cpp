#include "mif/mif_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <exception>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

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

// The text of a run of objects, made apart from the file and written into it later. Vertex
// lines are made straight in its room; emptied, it keeps its memory for the next run.
class TextChunk {
  public:
    TextChunk() = default;
    TextChunk(TextChunk&& other) noexcept { *this = std::move(other); }
    TextChunk& operator=(TextChunk&& other) noexcept {
        data_ = std::move(other.data_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    // Room for `length` more characters at the end; Used says where the text now ends.
    char* Room(std::size_t length) {
        if (capacity_ - size_ < length) Grow(length);
        return data_.get() + size_;
    }
    void Used(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
    void Write(std::string_view part) {
        std::memcpy(Room(part.size()), part.data(), part.size());
        size_ += part.size();
    }
    void WriteLine(std::string_view part) {
        char* const at = Room(part.size() + 2);
        std::memcpy(at, part.data(), part.size());
        std::memcpy(at + part.size(), "\r\n", 2);
        size_ += part.size() + 2;
    }
    void Clear() { size_ = 0; }
    std::string_view Text() const { return {data_.get(), size_}; }

  private:
    void Grow(std::size_t length) {
        const std::size_t capacity = std::max({capacity_ * 2, size_ + length, std::size_t{1} << 16});
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        if (size_ > 0) std::memcpy(larger.get(), data_.get(), size_);
        data_ = std::move(larger);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The vertex lines of a ring or section, made in place: these are most of the file.
void WriteVertices(const std::vector<Vertex>& vertices, TextChunk& out) {
    constexpr std::size_t kLineRoom = 2 * (kMaxNumberText + 2) + kPrintZoneWidth + 16 + 2;
    char* at = out.Room(vertices.size() * kLineRoom);
    for (const Vertex& v : vertices) {
        at = FormatZonedPair(at, v.X, v.Y);
        *at++ = '\r';
        *at++ = '\n';
    }
    out.Used(at);
}

// "  n " before each ring and each section of a multiple polyline.
void WriteCount(std::size_t count, std::string& line, TextChunk& out) {
    line.assign("  ");
    AppendPrint(line, static_cast<std::int64_t>(count));
    out.WriteLine(line);
}

void WritePen(const LayerModel& model, std::int32_t index, std::string& line, TextChunk& out) {
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
void WriteGapBefore(const std::vector<std::int32_t>& numbers, std::size_t i, TextChunk& out) {
    for (std::int32_t n = i == 0 ? 1 : numbers[i - 1] + 1; n < numbers[i]; ++n)
        out.WriteLine(kNoGeometry);
}

void WriteMifRegions(const LayerModel& model, ObjectSource& objects,
                     const std::vector<std::int32_t>& numbers, std::size_t first, std::size_t last,
                     TextChunk& out) {
    std::string line;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const RegionObject& region = objects.Region(i);
        if (region.Parts.empty()) {
            out.WriteLine(kNoGeometry);
            continue;
        }
        line = "Region ";
        AppendPrint(line, static_cast<std::int64_t>(region.Parts.size()));
        out.WriteLine(line);
        for (const RegionPart& ring : region.Parts) {
            WriteCount(ring.Vertices.size(), line, out);
            WriteVertices(ring.Vertices, out);
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

void WriteMifPlines(const LayerModel& model, ObjectSource& objects,
                    const std::vector<std::int32_t>& numbers, std::size_t first, std::size_t last,
                    TextChunk& out) {
    std::string line;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const LineObject& pline = objects.Line(i);
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
            WriteVertices(part.Vertices, out);
        }
        WritePen(model, pline.PenIndex, line, out);
    }
}

void WriteMIFPoints(const LayerModel& model, ObjectSource& objects,
                    const std::vector<std::int32_t>& numbers, std::size_t first, std::size_t last,
                    TextChunk& out) {
    std::string line;
    std::string symbol;
    for (std::size_t i = first; i < last; ++i) {
        WriteGapBefore(numbers, i, out);
        const PointObject& point = objects.Point(i);
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
            WriteVertices(point.Vertices, out);
        }
        out.WriteLine(symbol);
    }
}

void WriteObjectRange(const LayerModel& model, ObjectSource& objects,
                      const std::vector<std::int32_t>& numbers, std::size_t first, std::size_t last,
                      TextChunk& out) {
    switch (model.LayerKind.ObjectKind) {
        case kKindPoint:
            WriteMIFPoints(model, objects, numbers, first, last, out);
            break;
        case kKindLine:
            WriteMifPlines(model, objects, numbers, first, last, out);
            break;
        case kKindRegion:
            WriteMifRegions(model, objects, numbers, first, last, out);
            break;
        default:
            break;  // a layer of no known kind has no objects to write
    }
}

// Runs of objects whose text two threads make, a run at a time, and one thread writes in
// their order. The writing thread makes a run itself whenever the next one to write is not
// ready yet, so the thread that also pays for the writes makes fewer runs and neither core
// waits. At most kAhead runs are taken beyond the next one to write; written chunks go back to
// be filled again, so their memory is made once, not for every run.
class RunQueue {
  public:
    static constexpr std::size_t kAhead = 4;

    explicit RunQueue(std::size_t runs) : runs_(runs) {}

    // The next run to make with an empty chunk for its text, or false once there is none to
    // make or the queue stops. The making thread waits while it is too far ahead.
    bool Take(std::size_t& run, TextChunk& text) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return Stopped() || claimed_ >= runs_ || MayClaim(); });
        if (Stopped() || claimed_ >= runs_) return false;
        Claim(run, text);
        return true;
    }
    void Made(std::size_t run, TextChunk text) {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            made_.emplace(run, std::move(text));
        }
        changed_.notify_all();
    }
    void Fail(std::exception_ptr failure) {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            failure_ = failure;
        }
        changed_.notify_all();
    }
    void Stop() {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
        }
        changed_.notify_all();
    }

    // For the writing thread: every run in order, each passed to `write` once it is made;
    // `make` makes a run's text when none is ready to write. Rethrows a failure of the other
    // thread.
    template <typename Make, typename Write>
    void WriteAll(Make make, Write write) {
        while (written_ < runs_) {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [&] {
                return made_.count(written_) != 0 || failure_ != nullptr || MayClaim();
            });
            const auto ready = made_.find(written_);
            if (ready != made_.end()) {
                TextChunk text = std::move(ready->second);
                made_.erase(ready);
                guard.unlock();
                write(text);
                guard.lock();
                spare_.push_back(std::move(text));
                ++written_;
                guard.unlock();
                changed_.notify_all();
            } else if (failure_ != nullptr) {
                std::rethrow_exception(failure_);
            } else {
                std::size_t run = 0;
                TextChunk text;
                Claim(run, text);
                guard.unlock();
                make(run, text);
                Made(run, std::move(text));
            }
        }
    }

  private:
    bool Stopped() const { return stop_ || failure_ != nullptr; }
    bool MayClaim() const { return claimed_ < runs_ && claimed_ < written_ + kAhead; }
    void Claim(std::size_t& run, TextChunk& text) {
        run = claimed_++;
        if (!spare_.empty()) {
            text = std::move(spare_.back());
            spare_.pop_back();
        }
        text.Clear();
    }

    const std::size_t runs_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t claimed_ = 0;
    std::size_t written_ = 0;
    std::map<std::size_t, TextChunk> made_;
    std::vector<TextChunk> spare_;
    std::exception_ptr failure_;
    bool stop_ = false;
};

}  // namespace

void WriteMifObjects(const LayerModel& model, TextWriter& out, std::int32_t rows,
                     const ObjectSources& sources) {
    const ObjectSources& open = sources ? sources : ModelObjects(model);
    const std::vector<std::int32_t> numbers = ObjectNumbers(model, model.LayerObjectCount, rows);
    const std::size_t count = numbers.size();
    // Most of the time goes into the numbers' text, which a second thread shares on a large
    // layer.
    constexpr std::size_t kRun = 2048;
    const std::unique_ptr<ObjectSource> objects = open();
    auto make = [&](ObjectSource& source, std::size_t run, TextChunk& text) {
        WriteObjectRange(model, source, numbers, run * kRun, std::min(count, (run + 1) * kRun),
                         text);
    };
    auto write = [&](const TextChunk& text) { out.Write(text.Text()); };
    if (count <= 2 * kRun) {
        TextChunk text;
        make(*objects, 0, text);
        write(text);
    } else {
        RunQueue queue((count + kRun - 1) / kRun);
        std::thread maker([&] {
            try {
                const std::unique_ptr<ObjectSource> own = open();
                std::size_t run = 0;
                TextChunk text;
                while (queue.Take(run, text)) {
                    make(*own, run, text);
                    queue.Made(run, std::move(text));
                }
            } catch (...) {
                queue.Fail(std::current_exception());
            }
        });
        // The maker is stopped and joined however this thread leaves.
        struct Join {
            RunQueue& queue;
            std::thread& maker;
            ~Join() {
                queue.Stop();
                maker.join();
            }
        } join{queue, maker};
        queue.WriteAll([&](std::size_t run, TextChunk& text) { make(*objects, run, text); },
                       write);
    }
    // Rows after the last object's number belonged to null shapes too.
    const bool knownKind = model.LayerKind.ObjectKind == kKindPoint ||
                           model.LayerKind.ObjectKind == kKindLine ||
                           model.LayerKind.ObjectKind == kKindRegion;
    for (std::int32_t n = count == 0 ? 1 : numbers.back() + 1; knownKind && n <= rows; ++n)
        out.WriteLine(kNoGeometry);
}

void WriteMifFile(const LayerModel& model, const std::string& mifPath, bool withMid,
                  TableRecordset& recordset, StatusLines& status, const ObjectSources& objects) {
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
    // The MID rows are written on a thread of their own while the objects are; the objects
    // need only the number of rows, which the table says.
    std::int32_t rows = 0;
    std::future<void> midRows;
    if (withMid) {
        recordset.MoveFirst();
        rows = recordset.IsOpen() ? recordset.LiveRowCount() : std::max(model.LayerObjectCount, 0);
        midRows = std::async(std::launch::async, [&] {
            const std::int32_t written = WriteMidRows(model, recordset, mid, text);
            if (!mid.Close()) throw MifWriteError("Cannot write " + midPath);
            // Rows and objects would no longer meet.
            if (written != rows) throw MifWriteError("The table changed while " + midPath + " was written");
        });
    }
    // However the objects end, the future of std::async waits for the MID thread before the
    // files and the table go.
    WriteMifObjects(model, mif, rows, objects);
    if (midRows.valid()) midRows.get();
    if (recoder && recoder->Lost() > 0) {
        const std::size_t lost = recoder->Lost();
        status.ReportStage(
            "    " + std::to_string(lost) +
            (lost == 1 ? " character cannot be written in " : " characters cannot be written in ") +
            std::string(text.charset) +
            (lost == 1 ? ": it is written as \"?\"." : ": they are written as \"?\"."));
    }
    if (!mif.Close()) throw MifWriteError("Cannot write " + mifPath);
}

}  // namespace vx

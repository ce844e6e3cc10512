#include "converters/ascii_converter.h"

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "dbase/attribute_table.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

enum class LineClass { kBlank, kComment, kPair, kBad };

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsSeparator(char c) {
    return IsBlank(c) || c == ',' || c == ';';
}

std::optional<double> FiniteNumber(std::string_view text) {
    auto value = ParseDouble(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

// Two or three numbers with one separator between each: a run of blanks, or one comma or
// semicolon with optional blanks around it. Empty fields ("1,,2", "1,2,") are refused, so
// that a missing value is never read as the next one.
LineClass ClassifyLine(std::string_view line, Vertex& vertex) {
    line = Trim(line);
    if (line.empty()) return LineClass::kBlank;
    if (line.front() == '#') return LineClass::kComment;
    double values[3] = {0.0, 0.0, 0.0};
    int count = 0;
    std::size_t i = 0;
    for (;;) {
        const std::size_t start = i;
        while (i < line.size() && !IsSeparator(line[i]))
            ++i;
        if (i == start || count == 3) return LineClass::kBad;
        auto value = FiniteNumber(line.substr(start, i - start));
        if (!value) return LineClass::kBad;
        values[count++] = *value;
        if (i == line.size()) break;
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i < line.size() && (line[i] == ',' || line[i] == ';')) {
            ++i;
            while (i < line.size() && IsBlank(line[i]))
                ++i;
        }
        if (i == line.size()) return LineClass::kBad;
    }
    if (count < 2) return LineClass::kBad;
    vertex = {values[0], values[1]};
    return LineClass::kPair;
}

class AsciiFailure {
  public:
    explicit AsciiFailure(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

  private:
    std::string what_;
};

std::string AtLine(long long line, std::string_view text) {
    return "line " + std::to_string(line) + ": " + std::string(text);
}

constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Collects the features of one file into the model, a block at a time.
class AsciiReader {
  public:
    AsciiReader(LayerModel& model, int kind, int symbolSize)
        : model_(model), kind_(kind), symbolSize_(symbolSize) {}

    void Pair(const Vertex& v, long long line) {
        if (kind_ == kAsciiPoints) {
            AddPoint(v, line);
            return;
        }
        if (block_.size() >= kMaxCount - 1) throw AsciiFailure(AtLine(line, "feature too long"));
        block_.push_back(v);
        blockEnd_ = line;
    }

    void EndBlock() {
        if (block_.empty()) return;
        if (kind_ == kAsciiLines) {
            AddLine();
        } else {
            AddRegion();
        }
        block_.clear();
    }

  private:
    void CheckRoom(std::size_t size, long long line) {
        if (size >= kMaxCount) throw AsciiFailure(AtLine(line, "too many features"));
    }

    void AddPoint(const Vertex& v, long long line) {
        CheckRoom(model_.Points.size(), line);
        if (fontIndex_ == 0) fontIndex_ = model_.FindFontIndex("Symbol");
        PointObject& p = model_.Points.emplace_back();
        p.VertexCount = 1;
        p.PointStyle = 196;
        p.PointSize = symbolSize_;
        p.FontIndex = fontIndex_;
        p.Vertices = {v};
        model_.ObjectOrder.push_back(kOrderPoint);
        model_.PointCount = static_cast<std::int32_t>(model_.Points.size());
    }

    void AddLine() {
        if (block_.size() < 2) throw AsciiFailure(AtLine(blockEnd_, "a line needs two points"));
        CheckRoom(model_.Lines.size(), blockEnd_);
        LineObject& line = model_.Lines.emplace_back();
        line.PartCount = 1;
        line.PenIndex = model_.FindPenIndex(PenStyle{1, 0, 0});
        LinePart& part = line.Parts.emplace_back();
        part.VertexCount = static_cast<std::int32_t>(block_.size());
        part.Vertices = block_;
        model_.ObjectOrder.push_back(kOrderLine);
        model_.LineCount = static_cast<std::int32_t>(model_.Lines.size());
    }

    void AddRegion() {
        if (block_.front() != block_.back()) block_.push_back(block_.front());
        if (block_.size() < 4) {
            throw AsciiFailure(AtLine(blockEnd_, "a region needs three points"));
        }
        CheckRoom(model_.Regions.size(), blockEnd_);
        RegionObject& region = model_.Regions.emplace_back();
        region.PartCount = 1;
        region.PenIndex = model_.FindPenIndex(PenStyle{1, 0, 0});
        region.BrushIndex = model_.FindBrushIndex(BrushStyle{1, 16777215, 0});
        RegionPart& ring = region.Parts.emplace_back();
        ring.VertexCount = static_cast<std::int32_t>(block_.size());
        ring.Vertices = block_;
        model_.ObjectOrder.push_back(kOrderRegion);
        model_.RegionCount = static_cast<std::int32_t>(model_.Regions.size());
    }

    LayerModel& model_;
    int kind_;
    int symbolSize_;
    std::int32_t fontIndex_ = 0;
    std::vector<Vertex> block_;
    long long blockEnd_ = 0;
};

void ReadAsciiFile(const std::string& source, int headerLines, AsciiReader& reader) {
    TextReader in;
    if (!in.Open(source)) throw AsciiFailure("cannot open " + source);
    std::string_view line;
    while (in.ReadLine(line)) {
        const long long number = in.LineNumber();
        if (number <= headerLines) continue;
        // A byte order mark from an editor that adds one is not part of the first value.
        if (number == headerLines + 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        Vertex v;
        switch (ClassifyLine(line, v)) {
            case LineClass::kBlank:
                reader.EndBlock();
                break;
            case LineClass::kComment:
                break;
            case LineClass::kPair:
                reader.Pair(v, number);
                break;
            case LineClass::kBad:
                throw AsciiFailure(AtLine(number, "neither a comment nor a coordinate pair"));
        }
    }
    if (in.Failed()) throw AsciiFailure("cannot read " + source);
    reader.EndBlock();
}

int Fail(std::string* reason, std::string text) {
    if (reason != nullptr) *reason = std::move(text);
    return 0;
}

}  // namespace

int TxtToVXV(const std::string& source, const std::string& target, int kind, int headerLines,
             int symbolSize, std::string* reason) {
    if (kind != kAsciiPoints && kind != kAsciiLines && kind != kAsciiRegions) {
        return Fail(reason, "unknown feature kind " + std::to_string(kind));
    }
    if (headerLines < 0) return Fail(reason, "negative number of header lines");
    if (symbolSize < 1) return Fail(reason, "symbol size below 1");
    LayerFiles files;
    if (!LayerFilesFor(target, kind, false, files)) {
        return Fail(reason, "the target is not a .vxv file: " + target);
    }
    try {
        LayerModel model;
        AsciiReader reader(model, kind, symbolSize);
        ReadAsciiFile(source, headerLines, reader);
        const std::int32_t count = kind == kAsciiPoints  ? model.PointCount
                                   : kind == kAsciiLines ? model.LineCount
                                                         : model.RegionCount;
        if (count == 0) return Fail(reason, "no coordinate pairs in " + source);
        // Plain plane coordinates in metres; the import stamps the coordinate system the
        // person chose over this description.
        model.Layer.lCoordSys = 1;
        model.Layer.lProjection = -1;
        model.Layer.lDatum = -1;
        model.LayerKind.UnitCode = 8;
        // The layer gets its table like every other layer, so that the exports find one; it
        // holds only the numbering, the text carrying nothing else.
        LayerStages stages;
        stages.kinds = {kind};
        stages.begin = [&](int, const LayerFiles& layer) {
            NameLayerTable(model, NameOf(layer.dbf));
            return true;
        };
        std::string error;
        stages.written = [&](int, const LayerFiles& layer) {
            return WriteLayerTable(
                layer.dbf, "", count, [](std::int64_t) { return std::string(); }, error);
        };
        std::vector<std::string> written;
        if (!WriteLayerSet(model, target, stages, written, error)) {
            RemoveFiles({files.vxv, files.vxs, files.dbf});
            return Fail(reason, error);
        }
        return 1;
    } catch (const AsciiFailure& failure) {
        return Fail(reason, failure.what());
    } catch (const std::bad_alloc&) {
        RemoveFiles({files.vxv, files.vxs, files.dbf});
        return Fail(reason, "not enough memory for " + source);
    } catch (const std::exception& e) {
        RemoveFiles({files.vxv, files.vxs, files.dbf});
        return Fail(reason, e.what());
    }
}

}  // namespace vx

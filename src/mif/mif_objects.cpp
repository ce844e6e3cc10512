#include "mif/mif_objects.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

#include "mif/mif_styles.h"
#include "model/geometry.h"
#include "platform/strings.h"

namespace vx {

namespace {

enum class ObjectWord {
    kOther,
    kRegion,
    kPline,
    kPoint,
    kLine,
    kNone,
    kArc,
    kText,
    kRect,
    kRoundRect,
    kEllipse,
    kMultiPoint,
    kCollection,
};

// Arcs and ellipses are drawn in steps of 4 degrees.
constexpr double kPi = 3.14159265358979;
constexpr double kAngleStep = kPi / 45.0;
constexpr double kFullTurn = 6.28318530717958;
// Negative angles and arcs across 0 degrees are moved on by a whole turn.
constexpr double kArcTurn = 2.0 * std::numbers::pi;
// An arc turning more often than this is a broken file, not a drawing.
constexpr double kMaxArcSweep = 10 * kFullTurn;

// A vertex count is only a claim of the file: reserve up to this much, grow beyond it as the
// vertices are actually read.
constexpr std::int32_t kVertexReserveLimit = 1 << 16;
constexpr std::int32_t kPartReserveLimit = 64;

ObjectWord ClassifyObjectLine(std::string_view line) {
    line = TrimLeadingBlanks(line);
    const std::string_view word = line.substr(0, line.find(' '));
    if (word.size() < 3 || word.size() > 10) return ObjectWord::kOther;
    const char first = static_cast<char>(word[0] | 0x20);
    if (first < 'a' || first > 'z') return ObjectWord::kOther;  // coordinates, mostly
    static constexpr std::pair<std::string_view, ObjectWord> kWords[] = {
        {"REGION", ObjectWord::kRegion},
        {"PLINE", ObjectWord::kPline},
        {"POINT", ObjectWord::kPoint},
        {"LINE", ObjectWord::kLine},
        {"NONE", ObjectWord::kNone},
        {"ARC", ObjectWord::kArc},
        {"TEXT", ObjectWord::kText},
        {"RECT", ObjectWord::kRect},
        {"ROUNDRECT", ObjectWord::kRoundRect},
        {"ELLIPSE", ObjectWord::kEllipse},
        {"MULTIPOINT", ObjectWord::kMultiPoint},
        {"COLLECTION", ObjectWord::kCollection},
    };
    for (const auto& [name, kind] : kWords) {
        if (EqualsNoCase(word, name)) return kind;
    }
    return ObjectWord::kOther;
}

// True when the first word of a clause line is `keyword`, in any letter case: "Pen (1,2,0)",
// "  PEN(1,2,0)". A label or a following object that merely contains the word is no clause.
bool IsClause(std::string_view line, std::string_view keyword) {
    line = TrimLeadingBlanks(line);
    while (!line.empty() && line.front() == '\t')
        line = TrimLeadingBlanks(line.substr(1));
    if (line.size() < keyword.size() || !EqualsNoCase(line.substr(0, keyword.size()), keyword))
        return false;
    if (line.size() == keyword.size()) return true;
    const char next = line[keyword.size()];
    return !std::isalnum(static_cast<unsigned char>(next)) && next != '_' && next != '"';
}

// Skips from the top of the file to the line after the header's `Data`, which ends the header
// as its reader sees it: column declarations named like objects (a column "text" or
// "region") are never taken for objects.
void SkipToData(MifInput& in) {
    while (in.ReadLine()) {
        if (UpperAnsi(TrimBlanks(in.line)) == "DATA") return;
    }
    throw MifReadError("no Data line");
}

// The next object of a kind. The array grows as objects are read (by doubling, as vectors
// do); ReadMifData then makes it as long as the count of its kind where that is more.
template <typename Object>
Object& NextObject(std::vector<Object>& objects, std::int32_t& count) {
    if (count == std::numeric_limits<std::int32_t>::max()) throw MifReadError("too many objects");
    ++count;
    if (objects.size() < static_cast<std::size_t>(count))
        objects.resize(static_cast<std::size_t>(count));
    return objects[static_cast<std::size_t>(count) - 1];
}

void ReadVertices(MifInput& in, std::int32_t count, double factor, std::vector<Vertex>& out) {
    out.reserve(static_cast<std::size_t>(std::min(count, kVertexReserveLimit)));
    const auto wanted = static_cast<std::size_t>(count);
    while (out.size() < wanted) {
        // Runs of plain vertex lines come parsed in bulk; anything else one pair at a time.
        if (in.ReadPairs(wanted - out.size(), [&](double x, double y) {
                out.push_back(Vertex{x * factor, y * factor});
            }) > 0)
            continue;
        double x = 0;
        double y = 0;
        in.ReadPair(x, y);
        out.push_back(Vertex{x * factor, y * factor});
    }
}

std::string_view Piece(const std::vector<std::string_view>& pieces, std::size_t index) {
    if (index >= pieces.size()) throw MifReadError("object line too short");
    return pieces[index];
}

// The numbers of an object such as `Arc x1 y1 x2 y2 a b`, after its keyword. Those its line
// does not hold are read from the lines after it, as MapInfo writes the angles of an arc.
template <std::size_t N>
std::array<double, N> ObjectNumbers(MifInput& in) {
    std::array<double, N> numbers{};
    std::string_view rest = TrimLeadingBlanks(in.line);
    rest.remove_prefix(std::min(rest.find(' '), rest.size()));  // the keyword
    std::size_t i = 0;
    for (; i < N; ++i) {
        const std::size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        numbers[i] = MifDouble(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    for (; i < N; ++i)
        numbers[i] = in.ReadNumber();
    return numbers;
}

// The count that follows the keyword: `Region 3`, `Pline 5`.
std::int32_t CountAfterKeyword(std::string_view line) {
    const auto pieces = SplitBlanks(TrimLeadingBlanks(line), 2);
    const std::int32_t count = MifLong(TrimBlanks(Piece(pieces, 1)));
    if (count < 1) throw MifReadError("count below 1");
    return count;
}

// Pen, Brush and Center after a region, rectangle or ellipse.
void ReadRegionClauses(MifReadState& ctx, MifInput& in, MifStyleFamily family,
                       RegionObject& region) {
    in.ReadLookAhead();
    PenStyle pen = DefaultMifPen(family);
    if (IsClause(in.line, "PEN")) {
        pen = MifPen(family, in.line);
        in.ReadLookAhead();
    }
    BrushStyle brush = DefaultMifBrush(family);
    if (IsClause(in.line, "BRUSH")) {
        brush = MifBrush(family, in.line);
        in.ReadLookAhead();
    }
    // A Center line only places the label; it is consumed and not kept.
    if (!IsClause(in.line, "CENTER")) in.reuseLine = true;
    ApplyContours(ctx.options.CreateContours, pen, brush);
    region.PenIndex = ctx.model.FindPenIndex(pen);
    region.BrushIndex = ctx.model.FindBrushIndex(brush);
}

// The Pen line that may follow a LINE or an ARC.
void ReadLinePen(MifReadState& ctx, MifInput& in, LineObject& object) {
    in.ReadLookAhead();
    if (IsClause(in.line, "PEN")) {
        object.PenIndex = ctx.model.FindPenIndex(MifPen(MifStyleFamily::kLine, in.line));
    } else {
        object.PenIndex = ctx.model.FindPenIndex(DefaultMifPen(MifStyleFamily::kLine));
        in.reuseLine = true;
    }
}

RegionObject& NewRegion(MifReadState& ctx) {
    ctx.model.ObjectOrder.push_back(kOrderRegion);
    return NextObject(ctx.model.Regions, ctx.model.RegionCount);
}

LineObject& NewLine(MifReadState& ctx) {
    ctx.model.ObjectOrder.push_back(kOrderLine);
    return NextObject(ctx.model.Lines, ctx.model.LineCount);
}

// The ellipse inscribed in the box (x1, y1) (x2, y2).
struct Ellipse {
    double cx, cy, rx, ry;

    Ellipse(double x1, double y1, double x2, double y2)
        : cx((x1 + x2) / 2.0),
          cy((y1 + y2) / 2.0),
          rx(std::fabs(x1 - x2) / 2.0),
          ry(std::fabs(y1 - y2) / 2.0) {}

    Vertex At(double t, double factor) const {
        return Vertex{(cx + rx * std::cos(t)) * factor, (cy + ry * std::sin(t)) * factor};
    }

    // A vertex every step from angle `from` while below `to`.
    std::vector<Vertex> Steps(double from, double to, double factor) const {
        std::vector<Vertex> vertices;
        for (double t = from; t < to; t += kAngleStep)
            vertices.push_back(At(t, factor));
        return vertices;
    }
};

// `Region n` and its rings, added to the rings `region` has, then its clauses.
void ReadRegionInto(MifReadState& ctx, MifInput& in, RegionObject& region) {
    const std::int32_t rings = CountAfterKeyword(in.line);
    region.Parts.reserve(region.Parts.size() +
                         static_cast<std::size_t>(std::min(rings, kPartReserveLimit)));
    for (std::int32_t r = 1; r <= rings; ++r) {
        RegionPart& part = region.Parts.emplace_back();
        const auto k = static_cast<std::int32_t>(region.Parts.size());
        region.PartCount = k;
        part.VertexCount = in.ReadCount();
        ReadVertices(in, part.VertexCount, ctx.coordinateFactor, part.Vertices);
        // A first guess; the layer writer's hole check clears holes outside their ring.
        part.IsHole = k > 1 && RingIsCounterClockwise(part.Vertices) ? 1 : 0;
    }
    ReadRegionClauses(ctx, in, MifStyleFamily::kRegion, region);
}

// `Pline n` or `Pline Multiple s` and its sections, added to those `pline` has, then its
// clauses. A broken PLINE keeps what it read and the file goes on: false then.
bool ReadPlineInto(MifReadState& ctx, MifInput& in, LineObject& pline) {
    try {
        const std::string header(TrimLeadingBlanks(in.line));
        std::int32_t sections = 1;
        if (ContainsNoCase(header, "MULTIPLE")) {
            sections = MifLong(TrimBlanks(Piece(SplitBlanks(header, 3), 2)));
            if (sections < 1) throw MifReadError("section count below 1");
        }
        for (std::int32_t s = 1; s <= sections; ++s) {
            LinePart& part = pline.Parts.emplace_back();
            pline.PartCount = static_cast<std::int32_t>(pline.Parts.size());
            // A single section has its vertex count on the PLINE line itself.
            part.VertexCount = sections < 2 ? CountAfterKeyword(header) : in.ReadCount();
            ReadVertices(in, part.VertexCount, ctx.coordinateFactor, part.Vertices);
        }
        in.ReadLookAhead();
        if (IsClause(in.line, "PEN")) {
            pline.PenIndex = ctx.model.FindPenIndex(MifPen(MifStyleFamily::kPline, in.line));
            in.ReadLookAhead();
            if (!IsClause(in.line, "SMOOTH")) in.reuseLine = true;
        } else {
            pline.PenIndex = ctx.model.FindPenIndex(DefaultMifPen(MifStyleFamily::kPline));
            in.reuseLine = true;
        }
        return true;
    } catch (const MifReadError&) {
        // Its counts follow what was actually stored, and it still gets a pen so that
        // writers find a valid entry. The room reserved for the count it claimed goes back.
        for (LinePart& part : pline.Parts) {
            part.Vertices.shrink_to_fit();
            part.VertexCount = static_cast<std::int32_t>(part.Vertices.size());
        }
        if (pline.PenIndex == 0)
            pline.PenIndex = ctx.model.FindPenIndex(DefaultMifPen(MifStyleFamily::kPline));
        pline.PartCount = static_cast<std::int32_t>(pline.Parts.size());
        in.reuseLine = false;
        return false;
    }
}

// The Symbol line that may follow a point or a multipoint. Without one, a point gets the
// default symbol; the second multipoint of a collection keeps the symbol of the first.
void ReadPointSymbol(MifReadState& ctx, MifInput& in, PointObject& point) {
    in.ReadLookAhead();
    if (IsClause(in.line, "SYMBOL")) {
        ReadMifSymbol(ctx.model, in.line, point);
        return;
    }
    if (point.FontIndex == 0) SetDefaultSymbol(ctx.model, point);
    in.reuseLine = true;
}

// `Multipoint n` and its points, added to those `points` has, then its Symbol clause.
void ReadMultiPointInto(MifReadState& ctx, MifInput& in, PointObject& points) {
    const std::int32_t count = CountAfterKeyword(in.line);
    ReadVertices(in, count, ctx.coordinateFactor, points.Vertices);
    points.VertexCount = static_cast<std::int32_t>(points.Vertices.size());
    ReadPointSymbol(ctx, in, points);
}

// The next line that is not blank; the end of the file inside an object is an error.
void ReadObjectLine(MifInput& in) {
    while (in.ReadLine()) {
        if (!TrimBlanks(in.line).empty()) return;
    }
    throw MifReadError("the file ends inside an object");
}

// The word of an object line the reader does not know (upper-cased), or empty for a line that
// is no object: coordinates, and the clauses of the objects it knows.
std::string UnknownObjectWord(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    line.remove_prefix(first);
    const char c = static_cast<char>(line.front() | 0x20);
    if (c < 'a' || c > 'z') return {};
    const std::string word = UpperAnsi(line.substr(0, line.find_first_of(" \t(")));
    static constexpr std::string_view kClauses[] = {
        "PEN",  "BRUSH",   "SYMBOL",  "CENTER", "SMOOTH",
        "FONT", "SPACING", "JUSTIFY", "ANGLE",  "LABEL",
    };
    for (std::string_view clause : kClauses) {
        if (word == clause) return {};
    }
    return word;
}

}  // namespace

void ReadMifRegion(MifReadState& ctx, MifInput& in) {
    ReadRegionInto(ctx, in, NewRegion(ctx));
}

void ReadMifPline(MifReadState& ctx, MifInput& in) {
    ReadPlineInto(ctx, in, NewLine(ctx));
}

void ReadMifMultiPoint(MifReadState& ctx, MifInput& in) {
    ctx.model.ObjectOrder.push_back(kOrderPoint);
    ReadMultiPointInto(ctx, in, NextObject(ctx.model.Points, ctx.model.PointCount));
}

void ReadMifCollection(MifReadState& ctx, MifInput& in) {
    LayerModel& model = ctx.model;
    const std::size_t order = model.ObjectOrder.size();
    model.ObjectOrder.push_back(kOrderCollection);
    const std::int32_t parts = CountAfterKeyword(in.line);
    // One object per kind: a second part of a kind adds to the first, so that the kind's
    // layer still has one object for the collection's one row.
    RegionObject* region = nullptr;
    LineObject* pline = nullptr;
    PointObject* points = nullptr;
    for (std::int32_t k = 0; k < parts; ++k) {
        if (!in.reuseLine) ReadObjectLine(in);
        in.reuseLine = false;
        switch (ClassifyObjectLine(in.line)) {
            case ObjectWord::kRegion:
                if (region == nullptr) region = &NextObject(model.Regions, model.RegionCount);
                ReadRegionInto(ctx, in, *region);
                model.ObjectOrder[order] |= OrderBitOf(kKindRegion);
                break;
            case ObjectWord::kPline:
                if (pline == nullptr) pline = &NextObject(model.Lines, model.LineCount);
                ReadPlineInto(ctx, in, *pline);
                model.ObjectOrder[order] |= OrderBitOf(kKindLine);
                break;
            case ObjectWord::kMultiPoint:
                if (points == nullptr) points = &NextObject(model.Points, model.PointCount);
                ReadMultiPointInto(ctx, in, *points);
                model.ObjectOrder[order] |= OrderBitOf(kKindPoint);
                break;
            default:
                throw MifReadError("a collection part that is no region, polyline or multipoint");
        }
    }
}

void ReadMifPoint(MifReadState& ctx, MifInput& in) {
    ctx.model.ObjectOrder.push_back(kOrderPoint);
    PointObject& point = NextObject(ctx.model.Points, ctx.model.PointCount);
    const auto pieces = SplitBlanks(TrimLeadingBlanks(in.line), 3);
    const double x = MifDouble(Piece(pieces, 1)) * ctx.coordinateFactor;
    const double y = MifDouble(Piece(pieces, 2)) * ctx.coordinateFactor;
    point.VertexCount = 1;
    point.Vertices.assign(1, Vertex{x, y});
    ReadPointSymbol(ctx, in, point);
}

void ReadMifLine(MifReadState& ctx, MifInput& in) {
    LineObject& line = NewLine(ctx);
    const auto n = ObjectNumbers<4>(in);
    const double f = ctx.coordinateFactor;
    LinePart& part = line.Parts.emplace_back();
    line.PartCount = 1;
    part.Vertices = {Vertex{n[0] * f, n[1] * f}, Vertex{n[2] * f, n[3] * f}};
    part.VertexCount = 2;
    ReadLinePen(ctx, in, line);
}

void ReadMifNone(MifReadState& ctx, MifInput&) {
    // No geometry, but the object still owns its attribute row.
    ctx.model.ObjectOrder.push_back(kOrderNone);
}

void ReadMifArc(MifReadState& ctx, MifInput& in) {
    LineObject& arc = NewLine(ctx);
    LinePart& part = arc.Parts.emplace_back();
    arc.PartCount = 1;
    const auto n = ObjectNumbers<6>(in);
    double from = DegToRad(n[4]);
    double to = DegToRad(n[5]);
    if (from < 0) from += kArcTurn;
    if (to < 0) to += kArcTurn;
    if (from > to) to += kArcTurn;
    if (to - from > kMaxArcSweep) throw MifReadError("arc angles out of range");
    // A vertex every step from the start, and the last at the end itself, whatever the last
    // step leaves over; a step that falls within a hair of the end is the end.
    const Ellipse ellipse(n[0], n[1], n[2], n[3]);
    part.Vertices = ellipse.Steps(from, to - kAngleStep * 1e-9, ctx.coordinateFactor);
    if (part.Vertices.empty()) part.Vertices.push_back(ellipse.At(from, ctx.coordinateFactor));
    part.Vertices.push_back(ellipse.At(to, ctx.coordinateFactor));
    part.VertexCount = static_cast<std::int32_t>(part.Vertices.size());
    ReadLinePen(ctx, in, arc);
}

void ReadMifText(MifReadState& ctx, MifInput& in) {
    LayerModel& model = ctx.model;
    model.ObjectOrder.push_back(kOrderText);
    PointObject& point = NextObject(model.Points, model.PointCount);
    ++model.TextCount;

    // The string may stand on the TEXT line itself or on the line after it.
    std::string_view rest = TrimLeadingBlanks(in.line);
    const std::size_t blank = rest.find(' ');
    rest = blank == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(blank));
    std::string label(rest);
    if (label.empty()) {
        in.ReadLineOrThrow();
        label = TrimBlanks(in.line);
    }
    std::erase(label, '"');
    model.TextLabels.push_back(std::move(label));

    // The text's box; the point stands at its centre.
    const double x1 = in.ReadNumber();
    const double y1 = in.ReadNumber();
    const double x2 = in.ReadNumber();
    const double y2 = in.ReadNumber();
    point.VertexCount = 1;
    point.Vertices.assign(
        1, Vertex{(x1 + x2) / 2.0 * ctx.coordinateFactor, (y1 + y2) / 2.0 * ctx.coordinateFactor});

    in.ReadLookAhead();
    if (IsClause(in.line, "FONT")) {
        SetTextSymbol(ctx.model, in.line, point);
        in.ReadLookAhead();
    } else {
        SetTextSymbol(ctx.model, std::string_view(), point);
    }
    if (IsClause(in.line, "Spacing")) in.ReadLookAhead();
    if (IsClause(in.line, "Justify")) in.ReadLookAhead();
    if (IsClause(in.line, "Angle")) {
        const auto pieces = SplitBlanks(TrimBlanks(in.line));
        point.PointRot = static_cast<float>(MifDouble(Piece(pieces, 1)));
        in.ReadLookAhead();
    } else {
        point.PointRot = 0.0f;
    }
    if (!IsClause(in.line, "Label")) in.reuseLine = true;
}

void ReadMifRect(MifReadState& ctx, MifInput& in) {
    RegionObject& rect = NewRegion(ctx);
    const auto n = ObjectNumbers<4>(in);
    const double f = ctx.coordinateFactor;
    const double x1 = n[0] * f, y1 = n[1] * f, x2 = n[2] * f, y2 = n[3] * f;
    RegionPart& ring = rect.Parts.emplace_back();
    rect.PartCount = 1;
    ring.Vertices = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    ring.VertexCount = 5;
    ReadRegionClauses(ctx, in, MifStyleFamily::kRect, rect);
}

void ReadMifRoundRect(MifReadState& ctx, MifInput&) {
    // Not stored; its corner and radius lines pass through the object loop unread.
    ctx.unsupportedShapes = true;
    ctx.model.ObjectOrder.push_back(kOrderUnsupported);
}

void ReadMifEllipse(MifReadState& ctx, MifInput& in) {
    RegionObject& ellipse = NewRegion(ctx);
    const auto n = ObjectNumbers<4>(in);
    RegionPart& ring = ellipse.Parts.emplace_back();
    ellipse.PartCount = 1;
    // Left open: the last vertex is not a copy of the first.
    ring.Vertices = Ellipse(n[0], n[1], n[2], n[3]).Steps(0.0, kFullTurn, ctx.coordinateFactor);
    ring.VertexCount = static_cast<std::int32_t>(ring.Vertices.size());
    ReadRegionClauses(ctx, in, MifStyleFamily::kRect, ellipse);
}

bool ReadMifData(MifReadState& ctx, MifInput& in) {
    ctx.ReportStage("Reading ...");
    LayerModel& model = ctx.model;
    try {
        // The object words of every line after the header's last one are counted as the
        // object pass reads them, so that the file is read once. The pairs the input parses in
        // place hold no word, so the watcher misses no object line.
        const long long headerEnd = in.LineNumber();
        std::size_t regions = 0, lines = 0, points = 0;
        std::map<std::string, std::size_t> skipped;  // objects of kinds not read, by word
        std::size_t empty = 0;                       // objects without geometry
        in.lineWatcher = [&](std::string_view text, long long number) {
            if (number <= headerEnd) return;
            switch (ClassifyObjectLine(text)) {
                case ObjectWord::kRegion:
                case ObjectWord::kRect:
                case ObjectWord::kRoundRect:
                case ObjectWord::kEllipse:
                    ++regions;
                    break;
                case ObjectWord::kPline:
                case ObjectWord::kLine:
                case ObjectWord::kArc:
                    ++lines;
                    break;
                case ObjectWord::kPoint:
                case ObjectWord::kText:
                case ObjectWord::kMultiPoint:
                    ++points;
                    break;
                default:
                    break;
            }
        };

        // Object pass from the first line; the header lines pass through the loop unread.
        // The lines are read and the vertex lines parsed ahead on a second thread.
        if (!in.Rewind(true)) throw MifReadError("cannot read the file again");
        SkipToData(in);
        while (!in.AtEnd()) {
            if (!in.reuseLine) {
                while (in.ReadLine() && TrimBlanks(in.line).empty()) {
                }
                if (TrimBlanks(in.line).empty()) continue;  // the blank lines at the end
            }
            in.reuseLine = false;
            switch (ClassifyObjectLine(in.line)) {
                case ObjectWord::kRegion:
                    ReadMifRegion(ctx, in);
                    break;
                case ObjectWord::kPline:
                    ReadMifPline(ctx, in);
                    break;
                case ObjectWord::kPoint:
                    ReadMifPoint(ctx, in);
                    break;
                case ObjectWord::kLine:
                    ReadMifLine(ctx, in);
                    break;
                case ObjectWord::kNone:
                    ReadMifNone(ctx, in);
                    ++empty;
                    break;
                case ObjectWord::kArc:
                    ReadMifArc(ctx, in);
                    break;
                case ObjectWord::kText:
                    ReadMifText(ctx, in);
                    break;
                case ObjectWord::kRect:
                    ReadMifRect(ctx, in);
                    break;
                case ObjectWord::kRoundRect:
                    ReadMifRoundRect(ctx, in);
                    break;
                case ObjectWord::kEllipse:
                    ReadMifEllipse(ctx, in);
                    break;
                case ObjectWord::kMultiPoint:
                    ReadMifMultiPoint(ctx, in);
                    break;
                case ObjectWord::kCollection:
                    ReadMifCollection(ctx, in);
                    break;
                case ObjectWord::kOther:
                    // Coordinates and clauses no object took pass; an object of a kind not
                    // known is skipped, but keeps its row, so that the rows after it stay
                    // with their objects.
                    if (std::string word = UnknownObjectWord(in.line); !word.empty()) {
                        model.ObjectOrder.push_back(kOrderUnsupported);
                        ctx.unsupportedShapes = true;
                        ++skipped[std::move(word)];
                    }
                    break;
            }
        }
        in.lineWatcher = nullptr;
        for (const auto& [word, count] : skipped) {
            ctx.ReportStage("Skipped " + std::to_string(count) +
                            (count == 1 ? " object" : " objects") + " of a kind not read (" + word +
                            "), with " + (count == 1 ? "its row" : "their rows"));
        }
        // A layer holds no object without geometry: its row has no place in any table.
        if (empty > 0) {
            ctx.ReportStage(
                "Skipped " + std::to_string(empty) + (empty == 1 ? " object" : " objects") +
                " without geometry (NONE), with " + (empty == 1 ? "its row" : "their rows"));
        }
        // The arrays end as long as the count of their kind, which is more than was filled
        // when a ROUNDRECT was counted or an object word stood in a text label.
        if (model.Regions.size() < regions) model.Regions.resize(regions);
        if (model.Lines.size() < lines) model.Lines.resize(lines);
        if (model.Points.size() < points) model.Points.resize(points);
    } catch (const std::exception&) {
        in.lineWatcher = nullptr;
        ctx.ReportStage("Error Reading MIF Data");
        ctx.Fail();
        return false;
    }
    return true;
}

}  // namespace vx

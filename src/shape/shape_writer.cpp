#include "shape/shape_writer.h"

#include <algorithm>
#include <future>
#include <limits>

#include "dbase/dbase_layout.h"
#include "dbase/table_code_page.h"
#include "model/geometry.h"
#include "platform/binary_file.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/write_failure.h"
#include "shape/shape_format.h"
#include "vxv/layer_format.h"

namespace vx {

namespace {

// A file length is counted in 16-bit words in a signed 32-bit field.
constexpr std::uint64_t kMaxShapeFileBytes =
    2 * static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

bool IsClosed(const std::vector<Vertex>& ring) {
    return ring.empty() || ring.front() == ring.back();
}

void PutHeader(ByteBuffer& out, std::int32_t shapeType, const LayerInfo& layer) {
    out.PutBE<std::int32_t>(kShapeFileCode);
    out.PutZeros(kShapeFileLengthAt - 4);
    out.PutBE<std::int32_t>(0);  // the file length, written once the records are
    out.PutLE<std::int32_t>(kShapeVersion);
    out.PutLE<std::int32_t>(shapeType);
    out.PutLE<double>(layer.MinX);
    out.PutLE<double>(layer.MinY);
    out.PutLE<double>(layer.MaxX);
    out.PutLE<double>(layer.MaxY);
    out.PutZeros(kShapeHeaderSize - out.Size());  // no Z or M ranges
}

// An object's box, as its index entry holds it.
void PutBox(ByteBuffer& out, const IndexEntry& entry) {
    out.PutLE<double>(entry.MinX);
    out.PutLE<double>(entry.MinY);
    out.PutLE<double>(entry.MaxX);
    out.PutLE<double>(entry.MaxY);
}

void PutVertex(ByteBuffer& out, const Vertex& v) {
    out.PutLE<double>(v.X);
    out.PutLE<double>(v.Y);
}

// One part of a record as it is written: its vertices in stored or reversed order, closed
// when it is a ring that was stored open.
struct PartPlan {
    const std::vector<Vertex>* vertices = nullptr;
    bool reverse = false;
    bool close = false;
    std::int32_t Count() const {
        return static_cast<std::int32_t>(vertices->size()) + (close ? 1 : 0);
    }
};

void PutPart(ByteBuffer& out, const PartPlan& plan) {
    const std::vector<Vertex>& v = *plan.vertices;
    if (plan.reverse) {
        // A closed ring read backwards is still closed; an open one is closed at its start.
        if (plan.close) PutVertex(out, v.front());
        for (auto it = v.rbegin(); it != v.rend(); ++it)
            PutVertex(out, *it);
    } else {
        for (const Vertex& vertex : v)
            PutVertex(out, vertex);
        if (plan.close) PutVertex(out, v.front());
    }
}

// Content of a polyline or polygon record after its type and box.
void PutParts(ByteBuffer& out, const std::vector<PartPlan>& plans) {
    std::int32_t points = 0;
    for (const PartPlan& plan : plans)
        points += plan.Count();
    out.PutLE<std::int32_t>(static_cast<std::int32_t>(plans.size()));
    out.PutLE<std::int32_t>(points);
    std::int32_t start = 0;
    for (const PartPlan& plan : plans) {
        out.PutLE<std::int32_t>(start);
        start += plan.Count();
    }
    for (const PartPlan& plan : plans)
        PutPart(out, plan);
}

void PlanRegion(const RegionObject& region, std::vector<PartPlan>& plans,
                std::vector<Vertex>& scratch) {
    plans.clear();
    const std::vector<bool> holes =
        region.Parts.size() > 1 ? RingHoleRoles(region.Parts) : std::vector<bool>(1, false);
    for (std::size_t k = 0; k < region.Parts.size(); ++k) {
        PartPlan plan;
        plan.vertices = &region.Parts[k].Vertices;
        plan.close = !IsClosed(*plan.vertices);
        bool counterClockwise;
        if (plan.close) {
            scratch = *plan.vertices;
            scratch.push_back(scratch.front());
            counterClockwise = RingIsCounterClockwise(scratch);
        } else {
            counterClockwise = RingIsCounterClockwise(*plan.vertices);
        }
        // Outer rings turn clockwise, holes counter-clockwise.
        plan.reverse = counterClockwise != holes[k];
        plans.push_back(plan);
    }
}

void PlanLine(const LineObject& line, std::vector<PartPlan>& plans) {
    plans.clear();
    for (const LinePart& part : line.Parts) {
        PartPlan plan;
        plan.vertices = &part.Vertices;
        plans.push_back(plan);
    }
}

// A failure of the writing: its line, and the result the caller acts on.
ShapeWriteResult FailWith(StatusLines& status, const std::string& text) {
    status.ReportStage(text);
    return ShapeWriteResult::kFailed;
}

// Checks the attribute table listed in the layer and counts its rows, then starts copying it
// from the layer's own folder. Only a plain file name is taken from the layer file, so a
// damaged or crafted list cannot reach out of that folder.
ShapeWriteResult StartTableCopy(const LayerModel& model, const ShapeExportPaths& paths,
                                StatusLines& status, std::int32_t& rows,
                                std::future<HelperFailure>& copy) {
    if (model.FileHeader.TableCount < 1 || model.TableNames.empty() ||
        !IsPlainFileName(model.TableNames.front())) {
        return FailWith(status, "Missing or Corrupt Data File");
    }
    const std::string table = JoinPath(paths.sourceFolder, model.TableNames.front());
    if (!FileExists(table)) return ShapeWriteResult::kTableMissing;
    BinaryReader source;
    DbfLayout layout;
    std::string why;
    rows = source.Open(table) && ReadDbfLayout(source, layout, why) ? layout.header.recordCount : 0;
    copy = std::async(std::launch::async, [table, dbfPath = paths.dbfPath] {
        HelperFailure failure;
        if (!CopyFile(table, dbfPath, true)) {
            failure.Fail("Cannot copy " + table + " to " + dbfPath);
        } else {
            // The text keeps its bytes; the copy names their code page in the .cpg and the
            // language driver byte that shapefile readers look at.
            std::string codePage = ReadTableCodePage(table);
            if (codePage.empty()) codePage = kDefaultCodePage;
            if (!WriteTableCodePage(dbfPath, codePage))
                failure.Fail("Cannot write the code page of " + dbfPath);
        }
        return failure;
    });
    return ShapeWriteResult::kWritten;
}

// Waits for the table's copy; a failed copy fails the export.
bool TableCopied(std::future<HelperFailure>& copy, StatusLines& status) {
    if (!copy.valid()) return true;
    HelperFailure failure = copy.get();
    if (!failure.Happened()) return true;
    FailWith(status, failure.line);
    return false;
}

void PutNullRecord(ByteBuffer& out, std::int32_t number) {
    out.PutBE<std::int32_t>(number);
    out.PutBE<std::int32_t>(2);
    out.PutLE<std::int32_t>(kShapeNull);
}

}  // namespace

ShapeWriteResult WriteShapeFile(const LayerModel& model, const ShapeExportPaths& paths,
                                bool withTable, StatusLines& status, const ObjectSources& sources) {
    status.ReportStage("Creating Data File....");
    std::int32_t tableRows = 0;
    std::future<HelperFailure> tableCopy;
    if (withTable) {
        const ShapeWriteResult started = StartTableCopy(model, paths, status, tableRows, tableCopy);
        if (started != ShapeWriteResult::kWritten) return started;
    }
    status.ReportStage("Writing....");

    const int kind = model.LayerKind.ObjectKind;
    std::int32_t shapeType = kShapeNull;
    std::size_t held = 0;  // objects the model itself holds
    if (kind == kKindPoint) {
        shapeType = kShapeMultiPoint;
        held = model.Points.size();
    } else if (kind == kKindLine) {
        shapeType = kShapePolyLine;
        held = model.Lines.size();
    } else if (kind == kKindRegion) {
        shapeType = kShapePolygon;
        held = model.Regions.size();
    }
    // Each record's box is its object's index entry; the objects come from the sources, or
    // from the model when none are given.
    const std::int32_t count = model.LayerObjectCount;
    if (count < 0 || static_cast<std::size_t>(count) > model.ObjectIndex.size() ||
        (!sources && static_cast<std::size_t>(count) > held)) {
        return FailWith(status, "The layer holds fewer objects than its index lists");
    }
    const std::unique_ptr<ObjectSource> objects = sources ? sources() : ModelObjects(model)();

    // Made anew, so that nothing of an older, longer file survives past the new end.
    BinaryWriter shp;
    BinaryWriter shx;
    if (!shp.Create(paths.shpPath)) {
        return FailWith(status, "Cannot create " + paths.shpPath);
    }
    if (!shx.Create(paths.shxPath)) {
        return FailWith(status, "Cannot create " + paths.shxPath);
    }
    ByteBuffer header;
    PutHeader(header, shapeType, model.Layer);
    shp.Write(header);
    shx.Write(header);

    ByteBuffer record;
    ByteBuffer index;
    // Appends a whole record (header included) and its index entry; false when the file
    // would outgrow what its length field can count.
    auto emit = [&](ByteBuffer& whole) {
        if (shp.Position() + whole.Size() > kMaxShapeFileBytes) return false;
        const auto words = static_cast<std::int32_t>((whole.Size() - kShapeRecordHeaderSize) / 2);
        whole.SetLE<std::int32_t>(4, SwapLong(words));  // big-endian, as record headers are
        index.PutBE<std::int32_t>(static_cast<std::int32_t>(shp.Position() / 2));
        index.PutBE<std::int32_t>(words);
        shp.Write(whole);
        if (index.Size() >= (1u << 16)) {
            shx.Write(index);
            index.Clear();
        }
        return true;
    };
    // Null records up to (not including) record `number`.
    std::int32_t next = 1;
    auto fillTo = [&](std::int32_t number) {
        for (; next < number; ++next) {
            record.Clear();
            PutNullRecord(record, next);
            if (!emit(record)) return false;
        }
        return true;
    };

    const std::vector<std::int32_t> numbers = ObjectNumbers(model, count, tableRows);
    std::vector<PartPlan> plans;
    std::vector<Vertex> scratch;
    bool fits = true;
    for (std::int32_t i = 0; fits && i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        fits = fillTo(numbers[at]);
        record.Clear();
        record.PutBE<std::int32_t>(next++);
        record.PutBE<std::int32_t>(0);  // content length, known once the content is built
        record.PutLE<std::int32_t>(shapeType);
        PutBox(record, model.ObjectIndex[at]);
        if (kind == kKindPoint) {
            const PointObject& point = objects->Point(at);
            record.PutLE<std::int32_t>(static_cast<std::int32_t>(point.Vertices.size()));
            for (const Vertex& v : point.Vertices)
                PutVertex(record, v);
        } else if (kind == kKindLine) {
            PlanLine(objects->Line(at), plans);
            PutParts(record, plans);
        } else {
            PlanRegion(objects->Region(at), plans, scratch);
            PutParts(record, plans);
        }
        fits = fits && emit(record);
    }
    // Rows of the table after the last object had null shapes too.
    if (fits && tableRows < std::numeric_limits<std::int32_t>::max()) fits = fillTo(tableRows + 1);
    if (!fits) {
        return FailWith(status, "The layer is too large for one shapefile");
    }
    shx.Write(index);

    unsigned char length[4];
    StoreBE<std::int32_t>(length, static_cast<std::int32_t>(shp.Position() / 2));
    shp.WriteAt(kShapeFileLengthAt, length, sizeof length);
    StoreBE<std::int32_t>(length, static_cast<std::int32_t>(shx.Position() / 2));
    shx.WriteAt(kShapeFileLengthAt, length, sizeof length);
    const bool shpOk = shp.Close();
    const bool shxOk = shx.Close();
    if (!shpOk || !shxOk) {
        return FailWith(status, "Cannot write " + paths.shpPath);
    }
    return TableCopied(tableCopy, status) ? ShapeWriteResult::kWritten : ShapeWriteResult::kFailed;
}

}  // namespace vx

#include "vxv/layer_set_writer.h"

#include <future>
#include <stdexcept>

#include "dbase/attribute_table.h"
#include "platform/paths.h"
#include "vxv/layer_writer.h"

namespace vx {

namespace {

std::int32_t CountOf(const LayerModel& m, int kind) {
    switch (kind) {
        case kKindRegion:
            return m.RegionCount;
        case kKindLine:
            return m.LineCount;
        case kKindPoint:
            return m.PointCount;
        default:
            return 0;
    }
}

const char* SuffixOf(int kind) {
    switch (kind) {
        case kKindRegion:
            return "_rg.vxv";
        case kKindLine:
            return "_ln.vxv";
        default:
            return "_pt.vxv";
    }
}

const char* WritingLine(int kind) {
    switch (kind) {
        case kKindRegion:
            return "Writing Region File.";
        case kKindLine:
            return "Writing Polyline File.";
        default:
            return "Writing Point File.";
    }
}

}  // namespace

LayerFileNames MakeLayerFileNames(JobContext& ctx, int kind) {
    const LayerModel& m = ctx.model;
    int kinds = 0;
    for (int k : {kKindRegion, kKindLine, kKindPoint}) {
        if (CountOf(m, k) >= 1) ++kinds;
    }
    std::string name = ctx.outputName;
    if (kinds > 1) name = ReplaceAllNoCase(name, ".vxv", SuffixOf(kind));
    LayerFileNames names;
    names.vxvPath = JoinPath(ctx.outputFolder, name);
    names.vxsPath = JoinPath(ctx.outputFolder, ReplaceAllNoCase(name, ".vxv", ".vxs"));
    ctx.tableFileName = AttributeTableFileName(name);
    names.shortTableName = ShortTableName(ctx.outputFolder, ctx.tableFileName);
    return names;
}

void WriteLayerFiles(JobContext& ctx, int kind, const LayerFileNames& names) {
    LayerModel& m = ctx.model;
    const std::int32_t count = CountOf(m, kind);
    // The attribute table is filled from the MID on a second thread while the layer's files
    // are written: the filling reads only the object order, the labels and the job's names,
    // which nothing here changes. Its stage is reported where it always stood, after the
    // data file. Leaving early waits for it (the future's destructor does).
    std::future<bool> rows;
    const bool fillTable = ctx.options.CreateDbf && ctx.midPresent;
    if (fillTable) {
        const JobContext& job = ctx;
        rows = std::async(std::launch::async, [&job, kind, &names] {
            return FillAttributeRows(job, kind, names.shortTableName);
        });
    }
    if (!ComputeLayerBounds(m, kind, count)) {
        throw std::runtime_error("an object has no vertices");
    }
    if (kind == kKindRegion) CheckRegionHoles(m, count);
    ctx.ReportStage("    Creating Data File.");
    ApplySphereRadiusRule(m.Layer);
    std::string error;
    if (!WriteLayer(m, kind, count, names.vxvPath, names.vxsPath, error)) {
        throw std::runtime_error(error);
    }
    if (fillTable) {
        ctx.ReportStage("    Creating DBF File.");
        if (!rows.get()) throw std::runtime_error("the attribute table could not be filled");
    }
}

void WriteLayerSet(JobContext& ctx, TableConnection& connection) {
    LayerModel& m = ctx.model;
    m.FileHeader.FormatNumber = 102;
    ctx.ReportStage("Writing ...");
    if (ctx.unsupportedShapes) {
        ctx.prompt().ShowMessage(
            "Your file contains some unsupported shapes.\r\nOnly REGION, PLINE and POINT data is "
            "supported.");
    }
    try {
        if (!connection.Open(ctx.outputFolder)) {
            throw std::runtime_error("cannot open the output folder " + ctx.outputFolder);
        }
        for (int kind : {kKindRegion, kKindLine, kKindPoint}) {
            if (CountOf(m, kind) < 1) continue;
            m.LayerKind.ObjectKind = static_cast<std::uint8_t>(kind);
            ctx.ReportStage(WritingLine(kind));
            const LayerFileNames names = MakeLayerFileNames(ctx, kind);
            if (ctx.options.CreateDbf) {
                const bool labels = kind == kKindPoint && m.TextCount >= 1;
                if (!CreateAttributeTable(ctx, connection, names.shortTableName, labels)) {
                    connection.Close();
                    return;
                }
            }
            WriteLayerFiles(ctx, kind, names);
        }
        connection.Close();
    } catch (const std::exception& e) {
        connection.Close();
        ctx.Fail();
        ctx.ReportStage("Problems Encountered !!!");
        ctx.AppendLog(std::string("\t(") + e.what() + ")\r\n");
    }
}

}  // namespace vx

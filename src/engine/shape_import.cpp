#include <exception>

#include "converters/coordsys_import.h"
#include "converters/crs_mapping.h"
#include "dbase/vx_recordset.h"
#include "engine/import.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "shape/shape_layer_writer.h"
#include "shape/shape_reader.h"

namespace vx {

namespace {

// A refusal of the shapefile checks: the text, after a line end, is logged and kept as the
// status; the driver raises it when it gives up.
void RefuseShapeJob(JobContext& ctx, const std::string& text) {
    const std::string line = std::string(kCrLf) + text;
    ctx.AppendLog(line);
    ctx.SetStatus(line);
    ctx.Fail();
}

// A check that could not do its work: its line is logged and kept as the status, raised by
// the driver like a refusal.
void FailShapeCheck(JobContext& ctx, const std::string& text) {
    const std::string line = "\t" + text + std::string(kCrLf);
    ctx.AppendLog(line);
    ctx.SetStatus(line);
    ctx.Fail();
}

// The name a field of a table has, without the NUL padding of its ten bytes.
std::string TrimmedFieldName(const VXRecordset& table, int index) {
    std::string name = table.FieldName(index);
    const auto end = name.find('\0');
    if (end != std::string::npos) name.resize(end);
    return name;
}

// The copied table gets a fresh key column: a SPATIAL_ID of the source is dropped, or kept
// under another name when it is the table's only field, so that the table keeps a field.
bool PrepareShapeTable(JobContext& ctx, const std::string& path) {
    VXRecordset table;
    if (!table.OpenDBF(path) && !table.HasTable()) {
        FailShapeCheck(ctx, "The table " + NameOf(path) + " cannot be read");
        return false;
    }
    for (int i = 1; i <= table.FieldCount(); ++i) {
        if (UpperAnsi(TrimmedFieldName(table, i)) != "SPATIAL_ID") continue;
        if (table.FieldCount() < 2) {
            table.RenameField(i, "SPL_ID");
        } else {
            table.RemoveField(i);
        }
        break;
    }
    table.AddSpatialID();
    table.UpdateFile();
    if (table.WriteFailed()) {
        FailShapeCheck(ctx, "The table " + NameOf(path) + " cannot be written");
        return false;
    }
    return true;
}

// A .prj is one line of WKT; anything far longer is not one.
constexpr unsigned long long kMaxPrjSize = 1 << 20;

// The coordinate system of an imported shapefile. Its .prj goes through GDAL to a CoordSys
// clause and then through the same reading as a MIF file's clause, and what the layer will
// hold is checked to place the data where the .prj places it. Without a .prj the layer keeps
// plane coordinates in metres; anything that cannot be carried is said, and the layer then
// keeps plane coordinates too.
void ApplyShapeCoordSys(JobContext& ctx, const std::string& shpPath) {
    LayerModel& model = ctx.model;
    KeepPlaneCoordinates(model);
    const std::string prjPath = FindCompanion(shpPath, ".prj");
    if (prjPath.empty()) return;
    const std::string prjName = NameOf(prjPath);
    auto giveUp = [&](const std::string& why) {
        ctx.ReportStage("The coordinate system of " + prjName + " is not carried (" + why +
                        "): the layer keeps plane coordinates");
    };
    std::string prj;
    const auto size = FileSize(prjPath);
    if (!size || *size > kMaxPrjSize || !ReadWholeFile(prjPath, prj)) {
        giveUp("the file cannot be read");
        return;
    }
    std::string clause;
    std::string reason;
    if (!PrjToCoordSys(prj, clause, reason)) {
        giveUp(reason);
        return;
    }
    const PlaceCheck fromPrj = [&prj](const std::string& written, const std::vector<Vertex>& source,
                                      const std::vector<Vertex>& stored, double& degrees,
                                      std::string& why) {
        return PlaceDistance(prj, source, written, stored, degrees, why);
    };
    const LayerInfo& box = model.Layer;
    CoordSysReading reading;
    if (!CarryCoordSys(clause, model.Layer, Bounds{box.MinX, box.MinY, box.MaxX, box.MaxY}, fromPrj,
                       reading, reason)) {
        giveUp(reason);
        return;
    }
    ApplyCoordSys(model, reading);
    for (const std::string& text : reading.givenUp)
        ctx.ReportStage(text);
}

}  // namespace

std::string Import::CleanFileName(std::string_view name) {
    std::string clean(name);
    for (char& c : clean) {
        const bool kept = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == '.' || c == '_' || c == kPathSeparator;
        if (!kept) c = '_';
    }
    return clean;
}

bool Import::CheckShapeImport(const std::string& Inputfile, const std::string& OutputFile) {
    ResetJob();
    ctx_.ReportStage("Checking Input Files...");
    if (!FileExists(Inputfile)) {
        RefuseShapeJob(ctx_, "Source file does not exist.");
        return false;
    }
    if (!EndsWithNoCase(Inputfile, ".SHP")) {
        RefuseShapeJob(ctx_, "Invalid source file.");
        return false;
    }

    // Shapefile imports always go into a VXV folder beside the output.
    const std::string outputPath =
        JoinPath(JoinPath(FolderOf(OutputFile), "VXV"), NameOf(OutputFile));
    const std::string folder = FolderOf(outputPath);
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        FailShapeCheck(ctx_, "Cannot create the output folder " + folder);
        return false;
    }
    ctx_.outputFolder = folder;
    ctx_.outputName = OutputName(outputPath, ".shp", ".vxv");
    const std::string existing = JoinPath(folder, ctx_.outputName);
    if (FileExists(existing) && ctx_.options.OverwriteExistingFiles) DeleteLayerSet(existing);

    // One spelling for the layer files, whatever the case of the names they come from.
    const std::string vxvPath = JoinPath(folder, WithExtension(ctx_.outputName, ".vxv"));
    ctx_.vxsPath = JoinPath(folder, WithExtension(ctx_.outputName, ".vxs"));
    if (!ctx_.options.OverwriteExistingFiles && (FileExists(vxvPath) || FileExists(ctx_.vxsPath))) {
        RefuseShapeJob(ctx_, "Shape Import Aborted");
        return false;
    }
    ctx_.sourcePath = Inputfile;
    ctx_.sourceFolder = FolderOf(Inputfile);
    if (!ctx_.options.CreateDbf) return true;

    ctx_.tableFileName = CleanFileName(WithExtension(ctx_.outputName, ".dbf"));
    const std::string tablePath = JoinPath(folder, ctx_.tableFileName);
    const std::string sourceTable = FindCompanion(Inputfile, ".dbf");
    if (sourceTable.empty()) {
        ctx_.AppendLog("\tDBF File does not exist. Shape Import Aborted" + std::string(kCrLf));
        ctx_.SetStatus("\tDBF file does not exist. Shape Import Aborted" + std::string(kCrLf));
        ctx_.Fail();
        return false;
    }
    if (!CopyFile(sourceTable, tablePath, true)) {
        FailShapeCheck(ctx_, "Cannot copy " + sourceTable + " to " + tablePath);
        return false;
    }
    return PrepareShapeTable(ctx_, tablePath);
}

bool Import::ImportShapeFile(const std::string& Inputfile, const std::string& OutputFile,
                             const ShapeImportArguments& arguments) {
    try {
        ctx_.Report("Importing ShapeFile " + NameOf(Inputfile) + std::string(kCrLf));
        if (!CheckShapeImport(Inputfile, OutputFile)) {
            ctx_.RaiseStatus();
            return false;
        }
        ShapeLayerTarget target;
        target.vxvPath = JoinPath(ctx_.outputFolder, WithExtension(ctx_.outputName, ".vxv"));
        target.vxsPath = ctx_.vxsPath;
        target.tableFileName = ctx_.tableFileName;
        target.style = ShapeStyleFor(arguments);
        ReadShapeFile(ctx_, Inputfile, target);
        if (!ctx_.Failed()) {
            ApplyShapeCoordSys(ctx_, Inputfile);
            ctx_.ReportStage("Writing.....");
            WriteShapeLayer(ctx_, target);
        }
        if (ctx_.Failed()) {
            ctx_.Report(std::string(kCrLf) + "There was some problem during import." +
                        std::string(kCrLf));
            return false;
        }
        ctx_.Report(std::string(kCrLf) + "\tImport Successfully Completed." + std::string(kCrLf) +
                    std::string(kCrLf));
        if (ctx_.options.DeleteScrFile) {
            // The source table stays: it may serve other layers.
            const std::string index = FindCompanion(Inputfile, ".shx");
            DeleteFile(Inputfile);
            if (!index.empty()) DeleteFile(index);
        }
        return true;
    } catch (const std::exception& e) {
        ctx_.ReportStage(std::string("Problems Encountered !!! ") + e.what());
    } catch (...) {
        ctx_.ReportStage("Problems Encountered !!!");
    }
    ctx_.Fail();
    return false;
}

}  // namespace vx

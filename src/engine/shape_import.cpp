#include <exception>
#include <future>
#include <optional>

#include "converters/coordsys_import.h"
#include "converters/crs_mapping.h"
#include "dbase/table_code_page.h"
#include "dbase/vx_recordset.h"
#include "engine/import.h"
#include "engine/run_plan.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "platform/write_failure.h"
#include "shape/shape_reader.h"
#include "vxv/layer_set_writer.h"

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
// Empty when done, else the failure's line.
std::string PrepareShapeTable(const std::string& path) {
    VXRecordset table;
    if (!table.OpenDBF(path) && !table.HasTable())
        return "The table " + NameOf(path) + " cannot be read";
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
    if (table.WriteFailed()) return "The table " + NameOf(path) + " cannot be written";
    return {};
}

// The source's table copied into the stage, given its key column and its code page. It is
// made on another core while the shapes are read and written.
HelperFailure CopyShapeTable(const std::string& source, const std::string& staged,
                             const std::string& finalPath, const std::string& codePage) {
    HelperFailure failure;
    if (!CopyFile(source, staged, true)) {
        failure.Fail("Cannot copy " + source + " to " + finalPath);
    } else if (std::string line = PrepareShapeTable(staged); !line.empty()) {
        failure.Fail(std::move(line));
    } else if (!WriteTableCodePage(staged, codePage)) {
        failure.Fail("The code page of the table " + NameOf(staged) + " cannot be written");
    }
    return failure;
}

// A .prj is one line of WKT; anything far longer is not one.
constexpr unsigned long long kMaxPrjSize = 1 << 20;

// The coordinate system of an imported shapefile, from its .prj. GDAL's part (loading it,
// and PROJ's catalogue for the check) runs beside the reading of the records, which it would
// otherwise hold up for longer than a small file takes to read.
class ShapeCoordSys {
  public:
    explicit ShapeCoordSys(const std::string& shpPath) {
        prjPath_ = FindCompanion(shpPath, ".prj");
        if (prjPath_.empty()) return;
        std::string prj;
        const auto size = FileSize(prjPath_);
        const std::optional<Bounds> box = ReadShapeBox(shpPath);
        if (!size || *size > kMaxPrjSize || !ReadWholeFile(prjPath_, prj)) {
            failure_ = "the file cannot be read";
        } else if (box) {
            pending_ =
                std::async(std::launch::async, [prj, box] { return CoordSysFromWkt(prj, *box); });
        }
    }

    // Gives the layer the .prj's coordinate system. Without a .prj the layer keeps plane
    // coordinates in metres; anything that cannot be carried is said, and the layer then
    // keeps plane coordinates too.
    void ApplyTo(StatusLines& status, LayerModel& model) {
        KeepPlaneCoordinates(model);
        if (prjPath_.empty()) return;
        CarriedCoordSys carried;
        if (pending_.valid()) {
            carried = pending_.get();
        } else {
            carried.whyNot = failure_.empty() ? "the .shp has no box" : failure_;
        }
        if (!carried.carried) {
            status.ReportStage("The coordinate system of " + NameOf(prjPath_) +
                               " is not carried (" + carried.whyNot +
                               "): the layer keeps plane coordinates");
            return;
        }
        // The reading was made before the records were read: the layer's bounds are theirs.
        CoordSysReading& reading = carried.reading;
        reading.layer.MinX = model.Layer.MinX;
        reading.layer.MinY = model.Layer.MinY;
        reading.layer.MaxX = model.Layer.MaxX;
        reading.layer.MaxY = model.Layer.MaxY;
        ApplyCoordSys(model, reading);
        for (const std::string& text : reading.givenUp)
            status.ReportStage(text);
    }

  private:
    std::string prjPath_;
    std::string failure_;
    std::future<CarriedCoordSys> pending_;
};

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

bool Import::CheckShapeImport(const std::string& Inputfile, const std::string& OutputFile,
                              std::future<HelperFailure>& table) {
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
    const std::string outputPath = OutputTarget(Route::kShapeImport, OutputFile, false);
    const std::string folder = FolderOf(outputPath);
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        FailShapeCheck(ctx_, "Cannot create the output folder " + folder);
        return false;
    }
    ctx_.outputFolder = folder;
    ctx_.outputName = OutputName(outputPath, ".shp", ".vxv");
    // One spelling for the layer files, whatever the case of the names they come from.
    const std::string vxvPath = JoinPath(folder, WithExtension(ctx_.outputName, ".vxv"));
    const std::string vxsPath = JoinPath(folder, WithExtension(ctx_.outputName, ".vxs"));
    if (!ctx_.options.OverwriteExistingFiles && (FileExists(vxvPath) || FileExists(vxsPath))) {
        RefuseShapeJob(ctx_, "Shape Import Aborted");
        return false;
    }
    if (ctx_.options.OverwriteExistingFiles) {
        RetireLayerSet(JoinPath(folder, ctx_.outputName));
        RetireLayerSet(vxvPath);
        if (FileExists(vxsPath)) stage_.Retire(vxsPath);
    }
    ctx_.vxsPath = vxsPath;
    ctx_.sourceFolder = FolderOf(Inputfile);
    if (!OpenStage()) return false;
    if (!ctx_.options.CreateDbf) return true;

    ctx_.tableFileName = CleanFileName(WithExtension(ctx_.outputName, ".dbf"));
    const std::string tablePath = Staged(ctx_.tableFileName);
    const std::string sourceTable = FindCompanion(Inputfile, ".dbf");
    if (sourceTable.empty()) {
        ctx_.AppendLog("\tDBF File does not exist. Shape Import Aborted" + std::string(kCrLf));
        ctx_.SetStatus("\tDBF file does not exist. Shape Import Aborted" + std::string(kCrLf));
        ctx_.Fail();
        return false;
    }
    if (ctx_.options.OverwriteExistingFiles) {
        const std::string oldTable = JoinPath(folder, ctx_.tableFileName);
        for (const std::string& path : {oldTable, FindCompanion(oldTable, ".cpg")}) {
            if (FileExists(path)) stage_.Retire(path);
        }
    }
    // The copy keeps the text's bytes, and says which code page they are in the way the
    // source did: by its .cpg, else by its language driver byte.
    std::string unknown;
    std::string codePage = ReadTableCodePage(sourceTable, &unknown);
    if (codePage.empty()) {
        codePage = kDefaultCodePage;
        if (!unknown.empty()) ctx_.ReportStage(UnknownCodePageLine(unknown));
    }
    table = std::async(std::launch::async, CopyShapeTable, sourceTable, tablePath,
                       JoinPath(folder, ctx_.tableFileName), codePage);
    return true;
}

bool Import::ImportShapeFile(const std::string& Inputfile, const std::string& OutputFile,
                             const ShapeImportArguments& arguments) {
    return Guarded([&] {
        ctx_.Report("Importing ShapeFile " + NameOf(Inputfile) + std::string(kCrLf));
        std::future<HelperFailure> table;
        if (!CheckShapeImport(Inputfile, OutputFile, table)) {
            ctx_.RaiseStatus();
            AbandonOutputs();
            return false;
        }
        const ShapeStyleDefaults style = ShapeStyleFor(arguments);
        ShapeCoordSys coordSys(Inputfile);
        ShapeReading reading = ReadShapeFile(Inputfile, style, ctx_);
        if (reading.ok) {
            model_ = std::move(reading.model);
            coordSys.ApplyTo(ctx_, model_);
            PrepareShapeLayer(model_, style);
            ctx_.ReportStage("Writing.....");
            WriteShapeLayer();
        } else {
            ctx_.Fail();
        }
        // A table that could not be made refuses the job as the check would have.
        if (HelperFailure failure = table.valid() ? table.get() : HelperFailure{};
            failure.Happened()) {
            FailShapeCheck(ctx_, failure.line);
            ctx_.RaiseStatus();
            AbandonOutputs();
            return false;
        }
        if (ctx_.Failed() || !CommitOutputs()) {
            ctx_.Report(std::string(kCrLf) + "There was some problem during import." +
                        std::string(kCrLf));
            AbandonOutputs();
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
    });
}

void Import::WriteShapeLayer() {
    // The layer as the reader left it: its one kind, even when it holds no object, with the
    // bounds and record numbers of the file.
    LayerStages stages;
    stages.kinds = {model_.LayerKind.ObjectKind};
    stages.asRead = true;
    stages.begin = [&](int kind, const LayerFiles&) {
        NameLayerTable(model_, ctx_.tableFileName);
        if (kind == kKindPoint) {
            ctx_.ReportStage("Writing Shape Points");
        } else if (kind == kKindLine) {
            ctx_.ReportStage("Writing Shape Plines");
        } else if (kind == kKindRegion) {
            ctx_.ReportStage("Writing Shape Region");
        }
        return true;
    };
    std::vector<std::string> written;
    std::string error;
    const std::string target = Staged(WithExtension(ctx_.outputName, ".vxv"));
    if (!WriteLayerSet(model_, target, stages, written, error)) {
        // A layer that was not written whole must not pass for an imported file.
        ctx_.ReportStage(error);
        ctx_.Fail();
    }
}

}  // namespace vx

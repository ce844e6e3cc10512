#include <exception>
#include <future>

#include "converters/crs_mapping.h"
#include "engine/import.h"
#include "engine/run_plan.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "shape/shape_writer.h"
#include "vxv/layer_reader.h"

namespace vx {

namespace {

// A refusal of the export check: the text, after a line end, is logged and kept as the
// status; the driver raises it when it gives up.
void RefuseExport(JobContext& ctx, const std::string& text) {
    const std::string line = std::string(kCrLf) + text;
    ctx.AppendLog(line);
    ctx.SetStatus(line);
    ctx.Fail();
}

// The .prj of an exported layer, made while the shapefile is written: GDAL's part (loading
// it, PROJ's catalogue) would otherwise hold the export up. Plane layers get none; what
// cannot be carried is said and no .prj is written.
class ShapePrj {
  public:
    explicit ShapePrj(const LayerModel& model) {
        const LayerInfo& layer = model.Layer;
        if (layer.lCoordSys != 0 || layer.lProjection <= 0) return;
        pending_ = std::async(std::launch::async, [layer, unit = model.LayerKind.UnitCode] {
            Result result;
            result.written =
                PrjOfLayer(layer, unit, Bounds{layer.MinX, layer.MinY, layer.MaxX, layer.MaxY},
                           result.prj, result.whyNot);
            return result;
        });
    }

    // Writes the .prj at `prjPath`; a .prj that cannot be written fails the job.
    void Write(JobContext& ctx, const std::string& prjPath) {
        if (!pending_.valid()) return;
        const Result result = pending_.get();
        if (!result.written) {
            ctx.ReportStage("The coordinate system is not carried (" + result.whyNot + "): no " +
                            NameOf(prjPath) + " is written");
        } else if (!WriteWholeFile(prjPath, result.prj)) {
            // The end of the job names the file and the system's reason.
            ctx.Fail();
        }
    }

  private:
    struct Result {
        bool written = false;
        std::string prj;
        std::string whyNot;
    };
    std::future<Result> pending_;
};

}  // namespace

bool Import::CheckShapeExport(const std::string& Inputfile, const std::string& OutputFile) {
    ResetJob();
    ctx_.ReportStage("Checking Input Files...");
    if (!FileExists(Inputfile)) {
        RefuseExport(ctx_, "Source file does not exist.");
        return false;
    }
    if (!EndsWithNoCase(Inputfile, ".VXV")) {
        RefuseExport(ctx_, "Invalid source file.");
        return false;
    }

    // Shapefile exports always go into a SHP folder beside the output.
    const std::string outputPath = OutputTarget(Route::kShapeExport, OutputFile, false);
    const std::string folder = FolderOf(outputPath);
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        const std::string line = "\tCannot create the output folder " + folder + std::string(kCrLf);
        ctx_.AppendLog(line);
        ctx_.SetStatus(line);
        ctx_.Fail();
        return false;
    }
    ctx_.outputFolder = folder;
    ctx_.outputName = OutputName(outputPath, ".vxv", ".shp");

    // Any file of an older shapefile set refuses the job unless overwriting is on; the new
    // files replace the whole older set, and an old .prj, table or code page never outlives
    // it.
    const std::string shpPath = JoinPath(folder, ctx_.outputName);
    for (const char* extension : {".shx", ".prj", ".shp"}) {
        const std::string path = JoinPath(folder, WithExtension(ctx_.outputName, extension));
        if (!FileExists(path)) continue;
        if (!ctx_.options.OverwriteExistingFiles) {
            RefuseExport(ctx_, "Shape Export Aborted");
            return false;
        }
    }
    if (ctx_.options.OverwriteExistingFiles) {
        for (const char* extension : {".shp", ".shx", ".prj", ".dbf", ".cpg"}) {
            const std::string path = FindCompanion(shpPath, extension);
            if (!path.empty()) stage_.Retire(path);
        }
    }
    if (!OpenStage()) return false;

    const std::string store = FindCompanion(Inputfile, ".vxs");
    ctx_.vxsPath = store.empty() ? ReplaceInName(Inputfile, ".vxv", ".vxs") : store;
    ctx_.sourceFolder = FolderOf(Inputfile);
    return true;
}

bool Import::GetDataset(const std::string& FileName) {
    return Guarded([&] {
        ctx_.ReportStage("Reading ...");
        std::string store = ctx_.vxsPath;
        if (store.empty()) {
            store = FindCompanion(FileName, ".vxs");
            if (store.empty()) store = ReplaceInName(FileName, ".vxv", ".vxs");
        }
        std::string error;
        // The objects themselves are read as they are written (WriteShapeFile's sources).
        if (!ReadLayerData(model_, FileName, store, LayerTarget::kIndex, &ctx_, error)) {
            ReportLayerReadError();
            return false;
        }
        ctx_.vxsPath = store;
        return true;
    });
}

bool Import::WriteShapeFile() {
    return Guarded([&] {
        ShapeExportPaths paths;
        paths.shpPath = Staged(ctx_.outputName);
        paths.shxPath = Staged(WithExtension(ctx_.outputName, ".shx"));
        paths.dbfPath = Staged(WithExtension(ctx_.outputName, ".dbf"));
        paths.sourceFolder = ctx_.sourceFolder;
        ShapePrj prj(model_);
        const std::string vxsPath = ctx_.vxsPath;
        const LayerModel& layer = model_;
        ShapeWriteResult result = ShapeWriteResult::kFailed;
        try {
            result = vx::WriteShapeFile(
                model_, paths, ctx_.options.CreateDbf, ctx_,
                [&layer, vxsPath] { return std::make_unique<LayerObjectReader>(layer, vxsPath); });
        } catch (const LayerReadError&) {
            // A damaged record, met as it is written, fails the job as a damaged index does.
            ReportLayerReadError();
            return false;
        }
        switch (result) {
            case ShapeWriteResult::kWritten:
                break;
            case ShapeWriteResult::kTableMissing:
                ctx_.AppendLog("\tDBF File does not exist. Shape Export Aborted" +
                               std::string(kCrLf));
                ctx_.SetStatus("\tDBF file does not exist. Shape Export Aborted" +
                               std::string(kCrLf));
                ctx_.RaiseStatus();
                [[fallthrough]];
            case ShapeWriteResult::kFailed:
                ctx_.Fail();
                return false;
        }
        prj.Write(ctx_, Staged(WithExtension(ctx_.outputName, ".prj")));
        return !ctx_.Failed();
    });
}

bool Import::ExportShapeFile(const std::string& Inputfile, const std::string& OutputFile) {
    return Guarded([&] {
        ctx_.Report("Exporting VXV File " + NameOf(Inputfile) + std::string(kCrLf));
        if (!CheckShapeExport(Inputfile, OutputFile)) {
            ctx_.RaiseStatus();
            stage_.Abandon();
            return false;
        }
        if (GetDataset(Inputfile)) WriteShapeFile();
        if (ctx_.Failed() || !CommitOutputs()) {
            ctx_.Report(std::string(kCrLf) + "There was some problem during export." +
                        std::string(kCrLf));
            AbandonOutputs();
            return false;
        }
        ctx_.Report(std::string(kCrLf) + "\tExport Successfully Completed." + std::string(kCrLf) +
                    std::string(kCrLf));
        if (ctx_.options.DeleteScrFile) {
            // The layer's table stays beside it.
            DeleteFile(Inputfile);
            DeleteFile(ctx_.vxsPath);
        }
        return true;
    });
}

}  // namespace vx

#pragma once

#include <exception>
#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <thread>

#include "dbase/attribute_table.h"
#include "dbase/table_engine.h"
#include "engine/projection_settings.h"
#include "model/job_context.h"
#include "platform/output_stage.h"
#include "platform/prompt.h"
#include "platform/write_failure.h"
#include "shape/shape_style.h"

namespace vx {

// The conversion engine: one instance converts one source file at a time, each conversion
// a job. Public operations never let an error escape: a failure is a status line, the job's
// failure flag and a false result.
class Import {
  public:
    Import() = default;
    ~Import();
    Import(const Import&) = delete;
    Import& operator=(const Import&) = delete;

    // Option switches.
    bool CreateDbf() const { return ctx_.options.CreateDbf; }
    void SetCreateDbf(bool on) { ctx_.options.CreateDbf = on; }
    bool CreateContours() const { return ctx_.options.CreateContours; }
    void SetCreateContours(bool on) { ctx_.options.CreateContours = on; }
    bool CreateVxvFolder() const { return ctx_.options.CreateVxvFolder; }
    void SetCreateVxvFolder(bool on) { ctx_.options.CreateVxvFolder = on; }
    bool OverwriteExistingFiles() const { return ctx_.options.OverwriteExistingFiles; }
    void SetOverwriteExistingFiles(bool on) { ctx_.options.OverwriteExistingFiles = on; }
    bool DeleteScrFile() const { return ctx_.options.DeleteScrFile; }
    void SetDeleteScrFile(bool on) { ctx_.options.DeleteScrFile = on; }

    // What the front end shows: whether its format choice is TAB, and the .tab file of the
    // TAB route in progress. Both only change the wording of status lines and one check.
    void SetTabMode(bool on) { tabMode_ = on; }
    void SetCurrentFile(const std::string& path) { currentFile_ = path; }

    // The ReportStatus event: each status line is delivered synchronously to every
    // subscriber, in the order raised.
    std::size_t SubscribeReportStatus(JobContext::StatusListener listener) {
        return ctx_.Subscribe(std::move(listener));
    }
    void UnsubscribeReportStatus(std::size_t token) { ctx_.Unsubscribe(token); }
    // Where message boxes and questions go; the engine never blocks on anything else.
    void SetPrompt(Prompt* prompt) { ctx_.setPrompt(prompt); }

    // Writes a header and the whole job log since the engine was made. False when the file
    // cannot be written; nothing else is changed then.
    bool SaveImportLog(const std::string& FileName) const;

    const std::string& JobLog() const { return ctx_.Log(); }
    const std::string& StatusText() const { return ctx_.StatusText(); }
    bool JobFailed() const { return ctx_.Failed(); }

    // Shapefile to VXV: the .shp, with its .dbf when attributes are carried, becomes one
    // layer in the VXV folder beside the output. The arguments give the brush's back colour
    // and the points' symbol size, rotation and font style.
    bool ImportShapeFile(const std::string& Inputfile, const std::string& OutputFile,
                         const ShapeImportArguments& arguments = {});
    // VXV layer to shapefile: .shp, .shx and a copy of the layer's table, in the SHP folder
    // beside the output.
    bool ExportShapeFile(const std::string& Inputfile, const std::string& OutputFile);
    // Reads the header, styles and object index of the layer at FileName; WriteShapeFile
    // reads its objects from the .vxs the export check named (or the companion of FileName)
    // as it writes them.
    bool GetDataset(const std::string& FileName);
    // Writes the layer GetDataset read as the shapefile set the export check named.
    bool WriteShapeFile();
    // A table file name with every character but digits, ASCII letters, ".", "_" and the
    // path separator replaced by "_".
    static std::string CleanFileName(std::string_view name);

    // MIF to VXV. InitMifImport is the check stage (reset, checks, output names, the way
    // cleared for the output); ImportMifFile runs it, reads the MIF and writes the layer set.
    void InitMifImport(const std::string& Inputfile, const std::string& OutputFileN);
    bool ImportMifFile(const std::string& Inputfile, const std::string& OutputFile);

    // VXV to MIF. InitMifExport is the check stage (reset, checks, output names, existing MIF
    // and MID refused or removed); ExportMifFile runs it, reads the layer with its table and
    // writes the MIF and MID. Any error ends the export as failed; what was written stays.
    void InitMifExport(const std::string& Inputfile, const std::string& OutputFileN);
    bool ExportMifFile(const std::string& Inputfile, const std::string& OutputFile);

    // DGN and ASCII text to VXV through the converters. The ASCII import stamps the
    // projection settings given by SetAsciiLayerInfo into every layer it makes, with the
    // bounds the converter measured.
    void SetAsciiLayerInfo(const ProjectionSettings& settings);
    bool ImportDgnFile(const std::string& Inputfile, const std::string& OutputFile);
    bool ImportAsciiFile(const std::string& Inputfile, const std::string& OutputFile);

    // Start of a job: the model emptied, names and the failure flag cleared.
    void ResetJob();

    // Deletes the attribute tables that an existing layer file names, in the job's output
    // folder. Only plain file names are acted on; a missing or damaged layer file deletes
    // nothing. Errors are ignored: a failed deletion does not stop the others.
    void DeleteLayerSet(const std::string& vxvPath);

    // The sources a successful VXV to MIF export deletes when DeleteScrFile is set: the
    // layer file, its geometry, its table and the table's code page. The first file that
    // will not go ends the deletions. The TAB export calls it once the TAB is in place.
    void DeleteExportedLayer(const std::string& vxvPath);

    // The job's state and the layer model of the file in progress, for tests.
    JobContext& Context() { return ctx_; }
    const JobContext& Context() const { return ctx_; }
    LayerModel& Model() { return model_; }

  private:
    // Clears the way for a layer output: with overwriting off an existing file refuses the
    // job with `abortText`; with it on, the file, its geometry and the tables it names are
    // retired, to be replaced when the job commits.
    bool ClearLayerOutput(const std::string& vxvPath, const std::string& abortText);
    // The attribute tables (with their code pages) that an existing layer file names in the
    // job's output folder.
    std::vector<std::string> LayerSetTables(const std::string& vxvPath) const;
    // Retires an existing layer file with its geometry and the tables it names.
    void RetireLayerSet(const std::string& vxvPath);
    // Outputs are written into a stage in the output folder and replace older files only
    // when the job commits. OpenStage fails the job when no stage can be made.
    bool OpenStage();
    // Where the output `name` is written while the job runs.
    std::string Staged(const std::string& name) const { return stage_.PathOf(name); }
    // Moves the finished outputs into place; a failure fails the job, and AbandonOutputs
    // then gives the reason.
    bool CommitOutputs();
    // Ends a failed job's outputs: the stage goes, and a failed write or move is named with
    // the system's reason as the job's last line.
    void AbandonOutputs();
    // The check stage of the DGN and ASCII imports: false when the job was refused.
    bool CheckConverterImport(const std::string& Inputfile, const std::string& OutputFile,
                              bool dgn);
    // The frame of the DGN and ASCII imports around their converter call.
    bool RunConverterImport(const std::string& Inputfile, const std::string& OutputFile, bool dgn,
                            const std::function<bool(const std::string&, std::string&)>& convert);
    // Writes the ASCII layer description into a layer the converter made.
    bool StampAsciiLayer(const std::string& vxvPath);
    // Ends a job that met an unexpected error: "Problems Encountered !!!" with what it was,
    // and the failure flag.
    void FailUnexpected(std::string_view what);
    // Runs the body of a public operation so that no exception leaves the engine: one that
    // escapes its stages ends the job as failed.
    template <typename Body>
    bool Guarded(Body&& body) noexcept {
        try {
            return body();
        } catch (const std::exception& e) {
            FailUnexpected(e.what());
        } catch (...) {
            FailUnexpected("");
        }
        return false;
    }
    // Reads a layer for the MIF export: its styles and index (the objects are read as they
    // are written), then, when attributes are carried, opens the layer's table. On failure
    // the job fails with "Error Reading VXV....".
    void ReadLayerFile(const std::string& vxvPath);
    // The line every failed layer read ends with, and the failure flag.
    void ReportLayerReadError();
    // Writes the one layer of a shapefile import as the reader left it in the model.
    void WriteShapeLayer();
    // Writes the layer set of a MIF import from the model, with a table per layer filled
    // from the MID rows.
    void WriteMifLayerSet(const AttributeRows& rows, bool unsupportedShapes);
    // The check stages of the shapefile drivers: job reset, source checks, output names; the
    // import also starts copying and preparing the table (`table`). False when the job was
    // refused.
    bool CheckShapeImport(const std::string& Inputfile, const std::string& OutputFile,
                          std::future<HelperFailure>& table);
    bool CheckShapeExport(const std::string& Inputfile, const std::string& OutputFile);

    JobContext ctx_;
    LayerModel model_;  // the layer set or layer of the file in progress
    // Frees the model of the last committed job, on another core (see CommitOutputs).
    std::thread freeing_;
    OutputStage stage_;          // where the job in progress writes
    std::string commitFailure_;  // why the outputs could not be moved into place
    // What the front end shows, which changes the wording of some lines: whether its format
    // is TAB, and the .tab file of the TAB route in progress.
    bool tabMode_ = false;
    std::string currentFile_;
    // The coordinate system the ASCII import stamps into its layers (SetAsciiLayerInfo).
    LayerInfo asciiLayer_ = InitialAsciiLayer();
    static LayerInfo InitialAsciiLayer();
    // The table engine's connection and the recordset of the layer being exported; both
    // live as long as the engine.
    TableConnection connection_;
    TableRecordset recordset_;
};

// Writes a log file as SaveImportLog does, with the given job log: a header, then the lines.
bool SaveLogFile(const std::string& FileName, std::string_view log);

}  // namespace vx

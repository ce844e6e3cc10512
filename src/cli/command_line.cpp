#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include "engine/batch_run.h"
#include "engine/import.h"
#include "engine/run_plan.h"
#include "platform/file_system.h"
#include "platform/strings.h"

namespace vx {

namespace {

constexpr std::string_view kProgram = "vxtranslate";

struct FormatRoute {
    std::string_view direction;
    std::string_view format;
    int list;  // position in the window's format list for this direction
};

// Every route the command line knows, in the order the usage lists them.
constexpr std::array<FormatRoute, 8> kRoutes = {{
    {"import", "mif", static_cast<int>(ImportFormat::kMif)},
    {"import", "shp", static_cast<int>(ImportFormat::kShape)},
    {"import", "dgn", static_cast<int>(ImportFormat::kDgn)},
    {"import", "txt", static_cast<int>(ImportFormat::kAscii)},
    {"import", "tab", static_cast<int>(ImportFormat::kTab)},
    {"export", "mif", static_cast<int>(ExportFormat::kMif)},
    {"export", "shp", static_cast<int>(ExportFormat::kShape)},
    {"export", "tab", static_cast<int>(ExportFormat::kTab)},
}};

const FormatRoute* FindRoute(std::string_view direction, std::string_view format) {
    for (const auto& route : kRoutes) {
        if (route.direction == direction && route.format == format) return &route;
    }
    return nullptr;
}

// The options that set the projection of text imports, and the field each sets.
struct ProjectionOption {
    std::string_view name;
    double ProjectionSettings::*real;
    std::int32_t ProjectionSettings::*whole;
};

constexpr ProjectionOption kProjectionOptions[] = {
    {"--projection", nullptr, &ProjectionSettings::lProjection},
    {"--datum", nullptr, &ProjectionSettings::lDatum},
    {"--origin-longitude", &ProjectionSettings::lOriginLongitude, nullptr},
    {"--origin-latitude", &ProjectionSettings::lOriginLatitude, nullptr},
    {"--std-parallel-1", &ProjectionSettings::lStdParellel1, nullptr},
    {"--std-parallel-2", &ProjectionSettings::lStdParellel2, nullptr},
    {"--false-easting", nullptr, &ProjectionSettings::lFalseEasting},
    {"--false-northing", nullptr, &ProjectionSettings::lFalseNorthing},
    {"--pole-meridian", &ProjectionSettings::lPoleMeridian, nullptr},
    {"--pole-parallel", &ProjectionSettings::lPoleParallel, nullptr},
    {"--utm-zone", nullptr, &ProjectionSettings::lUTMZone},
    {"--scale-factor", &ProjectionSettings::lScaleFactor, nullptr},
};

bool IsProjectionOption(std::string_view name) {
    if (name == "--coordsys" || name == "--sphere-radius") return true;
    for (const auto& option : kProjectionOptions) {
        if (option.name == name) return true;
    }
    return false;
}

bool SetProjectionOption(ProjectionSettings& p, std::string_view name, const std::string& value,
                         std::string& error) {
    if (name == "--coordsys") {
        if (value == "earth") {
            p.lCoordSys = 0;
        } else if (value == "nonearth") {
            // A plane: the projection fields mean nothing and are cleared, as the window does.
            p = ProjectionSettings{};
            p.lCoordSys = 1;
            p.lProjection = 0;
            p.lDatum = 0;
        } else {
            error = "--coordsys takes earth or nonearth";
            return false;
        }
        return true;
    }
    const auto number = ParseDouble(value);
    if (!number || !std::isfinite(*number)) {
        error = "option " + std::string(name) + " needs a number, not " + value;
        return false;
    }
    if (name == "--sphere-radius") {
        if (*number <= 0) {
            error = "the sphere radius must be above 0";
            return false;
        }
        p.lDatum = 0;
        p.lShiftX = *number;
        return true;
    }
    for (const auto& option : kProjectionOptions) {
        if (option.name != name) continue;
        if (option.real != nullptr) {
            p.*(option.real) = *number;
        } else if (*number != std::trunc(*number) || std::fabs(*number) > 2147483647.0) {
            error = "option " + std::string(name) + " needs a whole number, not " + value;
            return false;
        } else {
            p.*(option.whole) = static_cast<std::int32_t>(*number);
        }
    }
    return true;
}

// Status lines come with CR LF ends; a terminal wants LF, and a bare line gets one.
std::string TerminalLine(std::string_view status) {
    std::string line;
    line.reserve(status.size() + 1);
    for (char c : status) {
        if (c != '\r') line += c;
    }
    if (line.empty() || line.back() != '\n') line += '\n';
    return line;
}

class CommandLinePrompt : public RunPrompt {
  public:
    explicit CommandLinePrompt(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text, const std::string& title = {}) override {
        // The run's summary goes out as it stands: scripts look for it.
        if (title == "Import Error") {
            err_ << TerminalLine(text);
        } else {
            err_ << kProgram << ": warning: " << TerminalLine(text);
        }
    }
    bool AskYesNo(const std::string& text) override {
        // Nobody answers questions on the command line: the answer is No, and it is said.
        err_ << kProgram << ": question answered No: " << TerminalLine(text);
        return false;
    }

    // The settings come from the options; nothing is asked.
    void EditProjection(ProjectionSettings& settings) override { settings = projection_; }
    void SetProjection(const ProjectionSettings& projection) { projection_ = projection; }

  private:
    std::ostream& err_;
    ProjectionSettings projection_;
};

}  // namespace

std::string UsageText() {
    return "Usage:\n"
           "  vxtranslate import FORMAT FILE... [OPTIONS]     FORMAT: mif | shp | dgn | txt | tab\n"
           "  vxtranslate export FORMAT FILE... [OPTIONS]     FORMAT: mif | shp | tab\n"
           "\n"
           "Converts each FILE between the VXV layer format and FORMAT, one after the other.\n"
           "\n"
           "Options:\n"
           "  -o, --out DIR       write into DIR, created when missing (default: beside each "
           "source)\n"
           "  --overwrite         replace existing outputs\n"
           "  --no-dbf            do not carry attributes\n"
           "  --subfolder         write into a VXV (import) or MIF (export) subfolder\n"
           "  --delete-source     delete each source after it converted\n"
           "  --log FILE          save the job log when the run ends\n"
           "  -j, --jobs N        convert up to N files at once (default 1); their lines and\n"
           "                      the log keep the run's order\n"
           "  -q, --quiet         print only errors\n"
           "  -h, --help          this usage\n"
           "  --version           the version\n"
           "\n"
           "Coordinate system of text (txt) imports, stamped into every layer they make:\n"
           "  --coordsys earth|nonearth   default earth (nonearth clears the rest)\n"
           "  --projection N      projection code (default 1, longitude/latitude)\n"
           "  --datum N           datum code (default 226, WGS 84)\n"
           "  --sphere-radius M   a sphere of radius M metres instead of a datum\n"
           "  --origin-longitude, --origin-latitude, --std-parallel-1, --std-parallel-2,\n"
           "  --false-easting, --false-northing, --pole-meridian, --pole-parallel,\n"
           "  --utm-zone, --scale-factor VALUE     the projection's parameters\n"
           "  --south             the UTM zone is in the southern hemisphere\n"
           "\n"
           "Exit status: 0 every file converted, 1 one or more failed, 2 usage error.\n";
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& command,
                              std::string& error) {
    command = CommandLine{};
    std::vector<std::string> positional;
    bool optionsEnded = false;
    bool south = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        auto takeValue = [&](const std::string& name, std::string& into) {
            auto eq = arg.find('=');
            if (eq != std::string::npos && arg.rfind("--", 0) == 0) {
                into = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                into = args[++i];
            } else {
                error = "option " + name + " needs a value";
                return false;
            }
            if (into.empty()) {
                error = "option " + name + " needs a value";
                return false;
            }
            return true;
        };
        std::string name = arg.substr(0, arg.find('='));
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            return ParseOutcome::kHelp;
        } else if (arg == "--version") {
            return ParseOutcome::kVersion;
        } else if (name == "-o" || name == "--out") {
            if (!takeValue(name, command.outputFolder)) return ParseOutcome::kUsageError;
        } else if (name == "--log") {
            if (!takeValue(name, command.logFile)) return ParseOutcome::kUsageError;
        } else if (name == "-j" || name == "--jobs") {
            std::string value;
            if (!takeValue(name, value)) return ParseOutcome::kUsageError;
            const auto jobs = ParseInteger(value);
            if (!jobs || *jobs < 1 || *jobs > 256) {
                error = "option " + name + " needs a number of files from 1 to 256, not " + value;
                return ParseOutcome::kUsageError;
            }
            command.jobs = static_cast<int>(*jobs);
        } else if (arg == "--overwrite") {
            command.overwrite = true;
        } else if (arg == "--no-dbf") {
            command.createDbf = false;
        } else if (arg == "--subfolder") {
            command.subfolder = true;
        } else if (arg == "--delete-source") {
            command.deleteSource = true;
        } else if (arg == "-q" || arg == "--quiet") {
            command.quiet = true;
        } else if (arg == "--south") {
            command.projection.lUTMZone = -std::abs(command.projection.lUTMZone);
            south = true;
        } else if (IsProjectionOption(name)) {
            std::string value;
            if (!takeValue(name, value)) return ParseOutcome::kUsageError;
            if (!SetProjectionOption(command.projection, name, value, error)) {
                return ParseOutcome::kUsageError;
            }
            if (south) command.projection.lUTMZone = -std::abs(command.projection.lUTMZone);
        } else {
            error = "unknown option " + arg;
            return ParseOutcome::kUsageError;
        }
    }
    if (positional.empty()) {
        error = "missing direction (import or export)";
        return ParseOutcome::kUsageError;
    }
    command.direction = positional[0];
    if (command.direction != "import" && command.direction != "export") {
        error = "unknown direction " + command.direction + " (import or export)";
        return ParseOutcome::kUsageError;
    }
    if (positional.size() < 2) {
        error = "missing format";
        return ParseOutcome::kUsageError;
    }
    command.format = positional[1];
    std::transform(command.format.begin(), command.format.end(), command.format.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (FindRoute(command.direction, command.format) == nullptr) {
        error = "unknown format " + positional[1] + " for " + command.direction;
        return ParseOutcome::kUsageError;
    }
    command.files.assign(positional.begin() + 2, positional.end());
    if (command.files.empty()) {
        error = "no files given";
        return ParseOutcome::kUsageError;
    }
    return ParseOutcome::kRun;
}

namespace {

// One engine with its batch run, set up as the command asks: the whole run, or one file of it
// when files convert at once.
struct EngineRun {
    Import engine;
    BatchRun batch{engine};
    CommandLinePrompt prompt;

    EngineRun(const CommandLine& command, std::ostream& err) : prompt(err) {
        engine.SetPrompt(&prompt);
        batch.SetPrompt(&prompt);
        prompt.SetProjection(command.projection);
        engine.SetCreateDbf(command.createDbf);
        engine.SetCreateVxvFolder(command.subfolder);
        engine.SetDeleteScrFile(command.deleteSource);
    }

    // Fills the job list of the command's route with `files`.
    void Plan(const CommandLine& command, const FormatRoute& route,
              const std::vector<std::string>& files) {
        if (command.direction == "import") {
            batch.TransType = TransferDirection::kImport;
            batch.BuildImportLists(static_cast<ImportFormat>(route.list), files);
        } else {
            batch.TransType = TransferDirection::kExport;
            batch.BuildExportLists(static_cast<ExportFormat>(route.list), files);
        }
        if (!command.outputFolder.empty()) batch.ApplyOutputFolder(command.outputFolder);
    }

    JobList& List(const FormatRoute& route) {
        const bool import = batch.TransType == TransferDirection::kImport;
        switch (route.list) {
            case static_cast<int>(ImportFormat::kMif):
                return batch.MifFiles;
            case static_cast<int>(ImportFormat::kShape):
                return batch.ShpFiles;
            case static_cast<int>(ImportFormat::kDgn):
                return import ? batch.DgnFiles : batch.TabFiles;  // export 2 is TAB
            case static_cast<int>(ImportFormat::kAscii):
                return batch.AsciiFiles;
            default:
                return batch.TabFiles;
        }
    }
};

// The files of the command that would write what an earlier file writes are refused before
// anything starts, each with a line; the others are returned, in the run's order.
std::vector<std::string> WithoutClashes(const CommandLine& command, const FormatRoute& route,
                                        std::ostream& err, bool& refused) {
    std::ostringstream quiet;
    EngineRun plan(command, quiet);
    plan.Plan(command, route, command.files);
    const JobList& list = plan.List(route);
    std::vector<std::vector<std::string>> outputs;
    for (const std::string& output : list.outputs) {
        outputs.push_back(
            PlannedOutputs(plan.batch.TransType, route.list, output, command.subfolder));
    }
    std::vector<bool> keep(list.Count(), true);
    for (const auto& [later, earlier] : OutputClashes(outputs)) {
        keep[later] = false;
        refused = true;
        err << kProgram << ": " << list.sources[later] << " would write what "
            << list.sources[earlier] << " writes (" << list.outputs[earlier]
            << "): not converted\n";
    }
    std::vector<std::string> files;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (keep[i]) files.push_back(command.files[i]);
    }
    return files;
}

// What one file's conversion said, kept until the files before it have been printed.
struct FileResult {
    bool converted = false;
    std::string lines;     // its status lines, for the terminal
    std::string warnings;  // what its prompt was told
    std::string log;       // its part of the job log
};

// Converts the files `jobs` at a time, each with an engine of its own, and prints each file's
// lines in the run's order as soon as the files before it are done. The job log is the
// files' logs in the run's order, as one engine would have kept it.
bool RunAtOnce(const CommandLine& command, const FormatRoute& route,
               const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
               std::string& log) {
    std::vector<FileResult> results(files.size());
    std::vector<bool> done(files.size(), false);
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            FileResult result;
            std::ostringstream warnings;
            {
                EngineRun run(command, warnings);
                run.engine.SubscribeReportStatus(
                    [&](const std::string& status) { result.lines += TerminalLine(status); });
                run.Plan(command, route, {files[i]});
                // The run's one summary comes at its end, not after each file.
                std::ostringstream summary;
                CommandLinePrompt silent(summary);
                run.batch.SetPrompt(&silent);
                silent.SetProjection(command.projection);
                result.converted = run.batch.RunConversion(command.overwrite);
                result.log = run.engine.JobLog();
            }
            result.warnings = warnings.str();
            std::lock_guard<std::mutex> guard(lock);
            results[i] = std::move(result);
            done[i] = true;
            finished.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(command.jobs), files.size());
    for (std::size_t w = 0; w < count; ++w)
        workers.emplace_back(work);

    bool all = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::unique_lock<std::mutex> guard(lock);
        finished.wait(guard, [&] { return done[i]; });
        const FileResult& result = results[i];
        guard.unlock();
        if (!command.quiet) {
            out << result.lines << std::flush;
        } else if (!result.converted) {
            err << result.lines;
        }
        err << result.warnings;
        log += result.log;
        all = all && result.converted;
    }
    for (std::thread& worker : workers)
        worker.join();
    return all;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine command;
    std::string error;
    switch (ParseCommandLine(args, command, error)) {
        case ParseOutcome::kHelp:
            out << UsageText();
            return 0;
        case ParseOutcome::kVersion:
            out << kProgram << " (VX File Translator) " << VX_VERSION << "\n";
            return 0;
        case ParseOutcome::kUsageError:
            err << kProgram << ": " << error << "\n"
                << "Try 'vxtranslate --help'.\n";
            return 2;
        case ParseOutcome::kRun:
            break;
    }

    const FormatRoute* route = FindRoute(command.direction, command.format);

    if (!command.outputFolder.empty() && !CreateFolder(command.outputFolder)) {
        err << kProgram << ": cannot create the output folder " << command.outputFolder << "\n";
        return 1;
    }

    bool refused = false;
    const std::vector<std::string> files = WithoutClashes(command, *route, err, refused);
    if (command.jobs > 1 && files.size() > 1) {
        std::string log;
        bool all = RunAtOnce(command, *route, files, out, err, log) && !refused;
        if (!all) err << TerminalLine("One or More files were not imported");
        if (!command.logFile.empty() && !SaveLogFile(command.logFile, log)) {
            err << kProgram << ": cannot write the log file " << command.logFile << "\n";
            all = false;
        }
        return all ? 0 : 1;
    }

    EngineRun run(command, err);
    // Quiet runs keep a file's lines and print them only when it fails.
    std::string jobLines;
    run.engine.SubscribeReportStatus([&](const std::string& status) {
        if (command.quiet) {
            jobLines += TerminalLine(status);
        } else {
            out << TerminalLine(status) << std::flush;
        }
    });
    run.batch.SetProgress([&](std::size_t, std::size_t, bool converted, const std::string&) {
        if (command.quiet && !converted) err << jobLines;
        jobLines.clear();
    });
    int status = 0;
    if (!files.empty()) {
        run.Plan(command, *route, files);
        if (refused) {
            // The summary says once that files failed, refused ones among them.
            std::ostringstream summary;
            CommandLinePrompt quietPrompt(summary);
            quietPrompt.SetProjection(command.projection);
            run.batch.SetPrompt(&quietPrompt);
            if (!run.batch.RunConversion(command.overwrite)) status = 1;
        } else {
            status = run.batch.RunConversion(command.overwrite) ? 0 : 1;
        }
    }
    if (refused) {
        err << TerminalLine("One or More files were not imported");
        status = 1;
    }
    if (!command.logFile.empty() && !run.engine.SaveImportLog(command.logFile)) {
        err << kProgram << ": cannot write the log file " << command.logFile << "\n";
        status = 1;
    }
    return status;
}

}  // namespace vx

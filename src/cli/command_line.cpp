#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>

#include "engine/batch_run.h"
#include "engine/import.h"
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

    Import engine;
    BatchRun batch(engine);
    CommandLinePrompt prompt(err);
    engine.SetPrompt(&prompt);
    batch.SetPrompt(&prompt);
    prompt.SetProjection(command.projection);
    engine.SetCreateDbf(command.createDbf);
    engine.SetCreateVxvFolder(command.subfolder);
    engine.SetDeleteScrFile(command.deleteSource);

    // Quiet runs keep a file's lines and print them only when it fails.
    std::string jobLines;
    engine.SubscribeReportStatus([&](const std::string& status) {
        if (command.quiet) {
            jobLines += TerminalLine(status);
        } else {
            out << TerminalLine(status) << std::flush;
        }
    });
    batch.SetProgress([&](std::size_t, std::size_t, bool converted) {
        if (command.quiet && !converted) err << jobLines;
        jobLines.clear();
    });

    if (command.direction == "import") {
        batch.TransType = TransferDirection::kImport;
        batch.BuildImportLists(static_cast<ImportFormat>(route->list), command.files);
    } else {
        batch.TransType = TransferDirection::kExport;
        batch.BuildExportLists(static_cast<ExportFormat>(route->list), command.files);
    }
    if (!command.outputFolder.empty()) batch.ApplyOutputFolder(command.outputFolder);

    int status = batch.RunConversion(command.overwrite) ? 0 : 1;
    if (!command.logFile.empty() && !engine.SaveImportLog(command.logFile)) {
        err << kProgram << ": cannot write the log file " << command.logFile << "\n";
        status = 1;
    }
    return status;
}

}  // namespace vx

#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "engine/projection_settings.h"

namespace vx {

// What the command line asked for.
struct CommandLine {
    std::string direction;  // "import" or "export"
    std::string format;     // mif, shp, dgn, txt, tab
    std::vector<std::string> files;
    std::string outputFolder;  // empty: beside each source
    std::string logFile;
    bool overwrite = false;
    bool createDbf = true;
    bool subfolder = false;
    bool deleteSource = false;
    bool quiet = false;
    int jobs = 1;  // files converted at once
    // The coordinate system given to text (txt) imports.
    ProjectionSettings projection;
};

enum class ParseOutcome { kRun, kHelp, kVersion, kUsageError };

// Parses the arguments after the program name. On a usage error `error` says what is wrong.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& command,
                              std::string& error);

// The usage text of --help.
std::string UsageText();

// Runs the command: parses, converts every file, prints status lines as they are raised and
// returns the exit status (0 all converted, 1 one or more failed, 2 usage error).
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vx

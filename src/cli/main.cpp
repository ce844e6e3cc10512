#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/exit_signals.h"

int main(int argc, char** argv) {
    vx::EndCleanlyOnSignals();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vx::RunCommandLine(args, std::cout, std::cerr);
}

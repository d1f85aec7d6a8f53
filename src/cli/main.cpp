// mirokel-cli: the workbench's batch command line (see `mirokel-cli --help`).
#include "cli/commands.h"
#include "cli/options.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    using namespace mirokel::cli;
    try {
        const ParseOutcome outcome = parseCommandLine(argc, argv);
        if (!outcome.proceed) return outcome.exitStatus;
        switch (outcome.commandLine.subcommand) {
        case Subcommand::run: return runCommand(outcome.commandLine);
        case Subcommand::simulate: return simulateCommand(outcome.commandLine);
        case Subcommand::merge: return mergeCommand(outcome.commandLine);
        case Subcommand::snapshot: return snapshotCommand(outcome.commandLine);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mirokel-cli: %s\n", error.what());
    }
    return exitFailed;
}

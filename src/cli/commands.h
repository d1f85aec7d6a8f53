// The subcommands of mirokel-cli, each on its own headless session. They return the
// process's exit status.
#pragma once

#include "cli/options.h"

namespace mirokel::cli {

constexpr int exitDone = 0;
constexpr int exitFailed = 1;  // a command failed in a way the user must know
constexpr int exitRefused = 2; // usage error, or a value the workbench refuses

// `run`: the settings, then --runs " Processing Next Data " and --same " Processing Same
// Data " commands, one line of JSON after each.
int runCommand(const CommandLine& line);

// `simulate`: the settings, then " Statistical Simulation " with the dialogs answered from
// the options; one JSON object, and the CSV when asked for.
int simulateCommand(const CommandLine& line);

// `merge`: the shard files of one grid summed into what one `simulate` of the grid
// prints, and the CSV when asked for.
int mergeCommand(const CommandLine& line);

// `snapshot`: the settings, the commands that lead to the view, the paint at --size and
// the picture written to --out.
int snapshotCommand(const CommandLine& line);

} // namespace mirokel::cli

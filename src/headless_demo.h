// The demonstration the workbench runs where there is no display.
#pragma once

namespace mirokel {

// Runs it, printing to standard output; returns the process's exit status.
int runHeadlessDemo();

} // namespace mirokel

// JSON on standard output, one compact line per value.
#pragma once

#include "app/result_files.h"

namespace mirokel::cli {

// The compact text and a newline on standard output, flushed so that a reader of the
// lines sees each as soon as its command is done.
void printJsonLine(const Json& value);

} // namespace mirokel::cli

// Printing JSON lines.
#include "cli/json_lines.h"

#include <cstdio>

namespace mirokel::cli {

void printJsonLine(const Json& value)
{
    const std::string text = jsonText(value);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace mirokel::cli

// Files of results and pictures, written so that nothing of the user's is lost: a new name
// or a regular file gets a temporary file beside it that is renamed over it only once it
// is complete; a device or a pipe (/dev/null, /dev/stdout, a FIFO) is written straight to.
// Nothing is ever removed but our own temporary file.
#pragma once

#include <string>
#include <string_view>

namespace mirokel {

struct OutputTarget {
    std::string path;    // the file to write: the given path, or the file a link leads to
    bool direct = false; // a device, a pipe or a socket: written straight to
    int descriptor = -1; // the process's own standard output or error, when the path names it
};

// Checks, before the work that produces its contents, that `path` can be written: not a
// directory, in a folder that exists and can be written, and not a read-only file.
// Returns an empty text with `target` set, or a clear message.
std::string checkOutputPath(const std::string& path, OutputTarget& target);

// Writes `contents` to the target. Returns an empty text, or a clear message after which
// the path is as it was before (a device or a pipe may have taken part of the contents).
std::string writeOutputFile(const OutputTarget& target, std::string_view contents);

} // namespace mirokel

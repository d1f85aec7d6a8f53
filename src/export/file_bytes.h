// A picture file written whole or not at all, with the snapshot's messages.
#pragma once

#include "platform/window.h"

#include <string>
#include <string_view>

namespace mirokel {

// Writes `bytes` to `fileName` through a temporary file beside it (a device or pipe is
// written straight to). A name that cannot be created shows "CreateFile ERROR!", a write
// that fails `writeFault`, both with `caption`; the path is then as it was.
bool writeFileBytes(Window& window, const std::string& fileName, std::string_view bytes, const char* caption,
                    const char* writeFault);

} // namespace mirokel

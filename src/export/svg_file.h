// A vector picture of a recorded paint: every shape as SVG, inside the clip it was drawn
// with, text as text in the face it was drawn with.
#pragma once

#include "platform/paint_record.h"
#include "platform/window.h"

#include <string>

namespace mirokel {

// The SVG document of `record`: the surface's size in pixels, a white ground (a fresh
// paint starts on an erased picture), then the shapes in the order they were drawn.
std::string svgDocument(const PaintRecord& record);

// Writes svgDocument(record) to `fileName` whole or not at all, with the snapshot's
// messages ("SVG file is not created", …) on failure. True when written.
bool writeSvgFile(Window& window, const std::string& fileName, const PaintRecord& record);

} // namespace mirokel

// What a paint drew, shape by shape, as the canvas records it besides rasterising: the
// source of a vector picture of the same view. Each shape keeps the clip it was drawn
// with, cut by the surface, so that the picture shows exactly the parts the raster shows.
#pragma once

#include "platform/canvas.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirokel {

enum class ShapeKind { line, rectangle, ellipse, pixel, text };

// A recorded primitive. line: (x0, y0) → (x1, y1), end pixel excluded, in `pen`;
// rectangle and ellipse: the box x0 … x1 − 1, y0 … y1 − 1 outlined in `pen` and filled
// with `brush`; pixel: (x0, y0) in `pen`; text: `run` laid out as `face` says.
struct RecordedShape {
    ShapeKind kind = ShapeKind::line;
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    Color pen;
    Brush brush;
    TextRun run;
    TextFace face;
    std::size_t clip = 0; // index into PaintRecord::clips
};

struct PaintRecord {
    std::int32_t width = 0; // the surface painted on
    std::int32_t height = 0;
    std::vector<ClipRegion> clips; // consecutive shapes with the same clip share one entry
    std::vector<RecordedShape> shapes;
};

} // namespace mirokel

// A text engine for pixel tests: the fixed metrics of the recording engine, and each run
// painted as a block of its extent in its text colour, cut to the clip region the canvas
// hands over, so that a test sees on the surface where text lands.
#pragma once

#include "platform/canvas.h"

namespace mirokel::test {

class BlockTextEngine final : public TextEngine {
public:
    TextMetrics metrics(const FontSpec& font) override { return recorder.metrics(font); }
    TextSize extent(const FontSpec& font, std::string_view text) override { return recorder.extent(font, text); }
    void draw(Surface& surface, const ClipRegion& clip, const TextRun& run) override
    {
        recorder.draw(surface, clip, run);
        const TextSize size = recorder.extent(run.font, run.text);
        const Rect block{run.x, run.y, run.x + size.cx, run.y + size.cy};
        for (const Rect& area : clip.rects()) surface.fill(intersection(area, block), run.color);
    }

    RecordingTextEngine recorder; // keeps the runs drawn
};

} // namespace mirokel::test

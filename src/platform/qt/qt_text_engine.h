// Text of the canvas drawn and measured with Qt's fonts: the window font is DejaVu Sans
// at a fixed pixel size; a font of a given height is DejaVu Sans whose cell (ascent +
// descent) is at most that height, at its regular weight; a font with the face "Symbol"
// is drawn condensed and maps Latin letters to their Greek counterparts before drawing.
#pragma once

#include "platform/canvas.h"

#include <QFont>
#include <QString>

namespace mirokel {

class QtTextEngine final : public TextEngine {
public:
    static constexpr int windowFontPixels = 13;

    TextMetrics metrics(const FontSpec& font) override;
    TextSize extent(const FontSpec& font, std::string_view text) override;
    void draw(Surface& surface, const ClipRegion& clip, const TextRun& run) override;
    TextFace face(const FontSpec& font, std::string_view text) override;

    static QFont qtFont(const FontSpec& font);
    static QString shownText(const FontSpec& font, std::string_view text);
};

} // namespace mirokel

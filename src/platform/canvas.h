// The drawing surface of the main window and the interface every view draws through.
//
// Coordinate rules (the reference semantics the views rely on):
// - pixels are 32-bit signed (x, y), x to the right, y downward; (0, 0) is the client
//   area's top-left pixel; anything outside the surface or the clip is not drawn;
// - the clip is a region, a union of rectangles (right and bottom exclusive), such as the
//   rectangles invalidated since the last paint: every primitive and every text run sets
//   exactly those of its unclipped pixels that lie in one of the rectangles, and no other;
// - lineTo draws a 1-pixel line from the current position to (x, y) with the current pen,
//   excluding the end pixel (Bresenham), and moves the current position there;
// - rectangle(l, t, r, b) outlines columns l … r − 1 and rows t … b − 1 with the current
//   pen and fills the inside with the current brush (unless it is hollow);
// - ellipse(l, t, r, b) does the same for the ellipse inscribed in that box;
// - text is drawn with its top-left corner at (x, y), in the text colour, over an opaque
//   background of the background colour unless the background mode is transparent.
#pragma once

#include "platform/clip_region.h"
#include "platform/rect.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirokel {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;

    constexpr std::uint32_t rgb32() const { return 0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b; }
    static constexpr Color fromRgb32(std::uint32_t v)
    {
        return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    }
    friend constexpr bool operator==(const Color&, const Color&) = default;
};

namespace colors {
constexpr Color black{0, 0, 0};
constexpr Color white{255, 255, 255};
constexpr Color blue{0, 0, 255};
constexpr Color red{255, 0, 0};
constexpr Color grey{163, 163, 163};
} // namespace colors

struct Brush {
    Color color = colors::white;
    bool hollow = false; // shapes are outlined only

    friend constexpr bool operator==(const Brush&, const Brush&) = default;
};

// A font by face name and pixel height (0: the window font's height).
struct FontSpec {
    std::string face;
    std::int32_t height = 0;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct TextMetrics {
    std::int32_t height = 0;          // ascent + descent
    std::int32_t externalLeading = 0; // extra space between lines
    std::int32_t aveCharWidth = 0;    // average character width
};

struct TextSize {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

enum class BackgroundMode { opaque, transparent };

// A text to draw on the surface, with everything that decides its look.
struct TextRun {
    std::int32_t x = 0, y = 0;
    std::string text; // UTF-8; a "Symbol" font maps Latin letters to Greek before drawing
    FontSpec font;
    Color color;
    BackgroundMode mode = BackgroundMode::opaque;
    Color background = colors::white;
};

// How a text engine lays out a run: the font family and pixel size it draws with, the
// baseline's distance from the run's top, the width it advances, the cell height and the
// characters it actually shows (a "Symbol" font shows Greek letters), and the horizontal
// stretch in percent.
struct TextFace {
    std::string family;
    std::int32_t pixelSize = 0;
    std::int32_t ascent = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stretch = 100;
    std::string shown; // UTF-8
};

struct PaintRecord;
struct RecordedShape;

// The pixels of the client area: 32-bit RGB, row-major, persistent between paints.
class Surface {
public:
    Surface(std::int32_t width, std::int32_t height);

    std::int32_t width() const { return w; }
    std::int32_t height() const { return h; }
    std::uint32_t* pixels() { return data.data(); }
    const std::uint32_t* pixels() const { return data.data(); }
    void resize(std::int32_t width, std::int32_t height); // the picture is kept where it fits, white elsewhere
    void fill(const Rect& area, Color color);             // columns l … r − 1, rows t … b − 1

private:
    std::int32_t w;
    std::int32_t h;
    std::vector<std::uint32_t> data;
};

// Measures and draws text on a surface; the window's is backed by the platform's fonts,
// tests use one with fixed metrics that records what was drawn.
class TextEngine {
public:
    virtual ~TextEngine() = default;
    virtual TextMetrics metrics(const FontSpec& font) = 0;
    virtual TextSize extent(const FontSpec& font, std::string_view text) = 0;
    // Draws `run`, changing no pixel outside `clip` (a region already cut by the surface).
    virtual void draw(Surface& surface, const ClipRegion& clip, const TextRun& run) = 0;
    // The layout of `text` in `font`; by default a sans-serif face at the metrics' height
    // with the baseline at four fifths of it.
    virtual TextFace face(const FontSpec& font, std::string_view text);
};

// Drawing on a surface with the current pen, brush, font and text colours. Every view
// draws through it; pens and brushes are restored by the scopes below.
class Canvas {
public:
    Canvas(Surface& surface, TextEngine& text);

    // The clip: only pixels inside `clip` are drawn; at first the whole surface.
    void setClip(const ClipRegion& clip);
    void setClip(const Rect& clip) { setClip(ClipRegion(clip)); }
    const ClipRegion& clip() const { return clipArea; }

    void moveTo(std::int32_t x, std::int32_t y);
    void lineTo(std::int32_t x, std::int32_t y);
    void rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void setPixel(std::int32_t x, std::int32_t y, Color color);
    Color getPixel(std::int32_t x, std::int32_t y) const; // white outside the surface

    void textOut(std::int32_t x, std::int32_t y, std::string_view text);
    TextSize textExtent(std::string_view text);
    TextMetrics textMetrics();

    // Each returns what was selected before.
    Color selectPen(Color pen);
    Brush selectBrush(const Brush& brush);
    FontSpec selectFont(const FontSpec& font);
    Color setTextColor(Color color);
    Color setBackgroundColor(Color color);
    BackgroundMode setBackgroundMode(BackgroundMode mode);

    Surface& surface() { return target; }

    // While a record is attached, every primitive and text run is also appended to it
    // with its clip; null detaches. The record must outlive its attachment.
    void record(PaintRecord* into);

private:
    // Calls draw(area) for each rectangle of the clip cut by the surface.
    template <typename Draw>
    void forEachDrawableArea(Draw draw);
    void plot(std::int32_t x, std::int32_t y, Color color); // x, y: on the surface
    void recordShape(RecordedShape shape);


    Surface& target;
    TextEngine& textEngine;
    ClipRegion clipArea;
    std::int32_t currentX = 0, currentY = 0;
    Color pen = colors::black;
    Brush brush;
    FontSpec font;
    Color textColor = colors::black;
    Color backgroundColor = colors::white;
    BackgroundMode backgroundMode = BackgroundMode::opaque;
    PaintRecord* recordTarget = nullptr;
};

// Selects a pen (or brush) for a scope and puts the previous one back at its end.
class PenScope {
public:
    PenScope(Canvas& canvas, Color pen) : canvas(canvas), previous(canvas.selectPen(pen)) {}
    ~PenScope() { canvas.selectPen(previous); }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    Canvas& canvas;
    Color previous;
};

class BrushScope {
public:
    BrushScope(Canvas& canvas, const Brush& brush) : canvas(canvas), previous(canvas.selectBrush(brush)) {}
    ~BrushScope() { canvas.selectBrush(previous); }
    BrushScope(const BrushScope&) = delete;
    BrushScope& operator=(const BrushScope&) = delete;

private:
    Canvas& canvas;
    Brush previous;
};

// A text engine with fixed metrics for tests and the batch line: every character is
// `charWidth` wide, lines `height` high; drawing records the run and paints nothing.
class RecordingTextEngine final : public TextEngine {
public:
    TextMetrics metrics(const FontSpec& font) override;
    TextSize extent(const FontSpec& font, std::string_view text) override;
    void draw(Surface& surface, const ClipRegion& clip, const TextRun& run) override;

    std::int32_t charWidth = 7;
    std::int32_t height = 16;
    std::int32_t externalLeading = 0;
    std::vector<TextRun> runs;
};

} // namespace mirokel

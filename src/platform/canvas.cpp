// The pixel surface, the canvas's own rasterisation of lines, rectangles and ellipses,
// and the text engine with fixed metrics. No window system is involved: every pixel a
// primitive sets is decided here, so the coordinate rules in canvas.h hold everywhere.
#include "platform/canvas.h"

#include "platform/paint_record.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mirokel {
namespace {

constexpr std::uint32_t whitePixel = 0xFFFFFFFFu;

// Products of two 64-bit quantities (ellipse boxes up to 2^32 pixels wide) need 128 bits.
__extension__ typedef unsigned __int128 Wide;

// A closed range lo … hi (the columns of a pixel row, or offsets along a line); empty when lo > hi.
struct Span {
    std::int64_t lo = 1;
    std::int64_t hi = 0;

    bool empty() const { return lo > hi; }
};

std::size_t pixelIndex(const Surface& surface, std::int32_t x, std::int32_t y) // x, y: on the surface
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(surface.width()) + static_cast<std::size_t>(x);
}

// Fills columns left … right − 1, rows top … bottom − 1 (64-bit, any range) inside `area`.
void fillClipped(Surface& surface, const Rect& area, std::int64_t left, std::int64_t top, std::int64_t right,
                 std::int64_t bottom, Color color)
{
    left = std::max<std::int64_t>(left, area.left);
    top = std::max<std::int64_t>(top, area.top);
    right = std::min<std::int64_t>(right, area.right);
    bottom = std::min<std::int64_t>(bottom, area.bottom);
    if (right <= left || bottom <= top) return;
    surface.fill({static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right),
                  static_cast<std::int32_t>(bottom)},
                 color);
}

// ---- lines -------------------------------------------------------------------------

// Offsets s·(c − origin) of the coordinates c in lo … hiExclusive − 1, as a closed range.
// sign: −1 or +1 (0 is treated as +1: the coordinate never moves).
Span offsetRange(std::int64_t origin, int sign, std::int64_t lo, std::int64_t hiExclusive)
{
    if (sign >= 0) return {lo - origin, hiExclusive - 1 - origin};
    return {origin - (hiExclusive - 1), origin - lo};
}

// A Bresenham line along its major axis: step i (0 … length − 1) is the pixel at major
// offset i and minor offset = i·rise / length rounded to nearest, ties toward the start
// (the textbook decision "step when the error is strictly positive").
struct LineWalk {
    std::uint64_t length; // major-axis distance, 1 … 2^32 − 1; the end pixel (step length) is excluded
    std::uint64_t rise;   // minor-axis distance, 0 … length

    // i·rise < 2^64 because both are below 2^32; 2·remainder < 2^33.
    std::uint64_t minorOffset(std::uint64_t step) const
    {
        const std::uint64_t product = step * rise;
        return product / length + (2 * (product % length) > length ? 1 : 0);
    }

    // First step in first … last whose minor offset is at least `minimum`; last + 1 if none.
    std::int64_t firstStepReaching(std::int64_t first, std::int64_t last, std::int64_t minimum) const
    {
        if (minimum <= 0) return first;
        while (first <= last) {
            const std::int64_t middle = first + (last - first) / 2;
            if (minorOffset(static_cast<std::uint64_t>(middle)) >= static_cast<std::uint64_t>(minimum)) {
                last = middle - 1;
            } else {
                first = middle + 1;
            }
        }
        return first;
    }
};

// Visits every pixel of the line (x0, y0) → (x1, y1), end excluded, that lies in `area`.
// Far-away endpoints: the range of steps inside `area` is found first (directly on the
// major axis, by binary search on the monotone minor offset), then only those steps are
// walked, incrementally. The pixels are exactly those of the unclipped walk, and the work
// is bounded by the size of `area`, whatever the coordinates.
template <typename Plot>
void walkLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, const Rect& area, Plot plot)
{
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t majorLength = xMajor ? std::abs(dx) : std::abs(dy);
    if (majorLength == 0 || area.right <= area.left || area.bottom <= area.top) return;

    const LineWalk walk{static_cast<std::uint64_t>(majorLength),
                        static_cast<std::uint64_t>(xMajor ? std::abs(dy) : std::abs(dx))};
    const std::int64_t majorOrigin = xMajor ? x0 : y0;
    const std::int64_t minorOrigin = xMajor ? y0 : x0;
    const int majorSign = xMajor ? sx : sy;
    const int minorSign = xMajor ? sy : sx;
    const Span majorInside = xMajor ? offsetRange(x0, sx, area.left, area.right)
                                    : offsetRange(y0, sy, area.top, area.bottom);
    const Span minorInside = xMajor ? offsetRange(y0, sy, area.top, area.bottom)
                                    : offsetRange(x0, sx, area.left, area.right);

    std::int64_t first = std::max<std::int64_t>(0, majorInside.lo);
    std::int64_t last = std::min<std::int64_t>(majorLength - 1, majorInside.hi);
    if (first > last || minorInside.hi < 0) return;
    first = walk.firstStepReaching(first, last, minorInside.lo);
    last = walk.firstStepReaching(first, last, minorInside.hi + 1) - 1;
    if (first > last) return;

    // Incremental walk from `first`: minor offset = quotient + (2·remainder > length).
    const std::uint64_t start = static_cast<std::uint64_t>(first) * walk.rise;
    std::uint64_t quotient = start / walk.length;
    std::uint64_t remainder = start % walk.length;
    for (std::int64_t step = first; step <= last; ++step) {
        const std::int64_t minor =
            static_cast<std::int64_t>(quotient + (2 * remainder > walk.length ? 1 : 0));
        const std::int64_t majorCoordinate = majorOrigin + majorSign * step;
        const std::int64_t minorCoordinate = minorOrigin + minorSign * minor;
        if (xMajor) {
            plot(majorCoordinate, minorCoordinate);
        } else {
            plot(minorCoordinate, majorCoordinate);
        }
        remainder += walk.rise;
        if (remainder >= walk.length) {
            remainder -= walk.length;
            ++quotient;
        }
    }
}

// ---- ellipses ----------------------------------------------------------------------

std::uint64_t integerSqrt(std::uint64_t value)
{
    auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(value)));
    while (root > 0 && Wide{root} * root > value) --root;
    while (Wide{root + 1} * (root + 1) <= value) ++root;
    return root;
}

// Row `row` of the ellipse inscribed in a width × height pixel box, in columns relative
// to the box's left edge. Pixels are unit squares; a pixel belongs to the ellipse when its
// centre lies inside the ellipse that touches the box's outer edges. In doubled units
// about the box centre (dx2 = 2i + 1 − width, dy2 = 2row + 1 − height) that is
// dx2²·height² ≤ width²·(height² − dy2²). Besides, every row holds its centre pixel(s) and
// the middle row(s) are full, so that even a very thin ellipse reaches all four sides of
// its box; this rule treats rows and columns alike. Rows depend on |dy2| only and columns
// on |dx2| only, so the shape is symmetric about both axes of the box.
// width, height: 1 … 2^32 − 1; row: any (outside 0 … height − 1 the row is empty).
Span ellipseRow(std::uint64_t width, std::uint64_t height, std::int64_t row)
{
    if (row < 0 || static_cast<std::uint64_t>(row) >= height) return {};
    const auto dy2 = static_cast<std::uint64_t>(std::abs(2 * row + 1 - static_cast<std::int64_t>(height)));
    std::uint64_t reach = width - 1; // largest |dx2| in the row; it has the parity of width + 1
    if (dy2 > 1) {
        const Wide bound = Wide{width} * width * (height * height - dy2 * dy2);
        reach = integerSqrt(static_cast<std::uint64_t>(bound / (Wide{height} * height)));
        if (reach % 2 != (width + 1) % 2) reach = reach == 0 ? 1 : reach - 1;
    }
    return {static_cast<std::int64_t>((width - 1 - reach) / 2), static_cast<std::int64_t>((width - 1 + reach) / 2)};
}

// The part of row `row` whose four neighbours all belong to the ellipse: the rest of the
// row is the outline, which therefore has no gaps.
Span ellipseInterior(std::uint64_t width, std::uint64_t height, std::int64_t row)
{
    const Span here = ellipseRow(width, height, row);
    const Span above = ellipseRow(width, height, row - 1);
    const Span below = ellipseRow(width, height, row + 1);
    if (here.empty() || above.empty() || below.empty()) return {};
    return {std::max({here.lo + 1, above.lo, below.lo}), std::min({here.hi - 1, above.hi, below.hi})};
}

RecordedShape shapeOf(ShapeKind kind, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, Color pen,
                      const Brush& brush = {})
{
    RecordedShape shape;
    shape.kind = kind;
    shape.x0 = x0;
    shape.y0 = y0;
    shape.x1 = x1;
    shape.y1 = y1;
    shape.pen = pen;
    shape.brush = brush;
    return shape;
}

std::size_t utf8CodePoints(std::string_view text)
{
    // Every byte that is not a continuation byte (10xxxxxx) starts a code point.
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

// ---- Surface -----------------------------------------------------------------------

Surface::Surface(std::int32_t width, std::int32_t height)
    : w(std::max(width, 0)), h(std::max(height, 0)),
      data(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), whitePixel)
{
}

void Surface::resize(std::int32_t width, std::int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                       whitePixel);
    const std::int32_t keptWidth = std::min(w, width);
    const std::int32_t keptHeight = std::min(h, height);
    for (std::int32_t y = 0; y < keptHeight; ++y) {
        const auto from = data.begin() + static_cast<std::ptrdiff_t>(y) * w;
        std::copy(from, from + keptWidth, resized.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    data = std::move(resized);
    w = width;
    h = height;
}

void Surface::fill(const Rect& area, Color color)
{
    const Rect inside = intersection(area, {0, 0, w, h});
    if (isEmpty(inside)) return;
    for (std::int32_t y = inside.top; y < inside.bottom; ++y) {
        const auto row = data.begin() + static_cast<std::ptrdiff_t>(y) * w;
        std::fill(row + inside.left, row + inside.right, color.rgb32());
    }
}

// ---- Canvas ------------------------------------------------------------------------

Canvas::Canvas(Surface& surface, TextEngine& text)
    : target(surface), textEngine(text), clipArea(Rect{0, 0, surface.width(), surface.height()})
{
}

void Canvas::setClip(const ClipRegion& clip) { clipArea = clip; }

void Canvas::record(PaintRecord* into)
{
    recordTarget = into;
    if (into != nullptr) {
        into->width = target.width();
        into->height = target.height();
    }
}

void Canvas::recordShape(RecordedShape shape)
{
    if (recordTarget == nullptr) return;
    const ClipRegion drawable = clipArea.intersected({0, 0, target.width(), target.height()});
    if (drawable.empty()) return; // nothing of it shows
    std::vector<ClipRegion>& clips = recordTarget->clips;
    if (clips.empty() || !(clips.back() == drawable)) clips.push_back(drawable);
    shape.clip = clips.size() - 1;
    recordTarget->shapes.push_back(std::move(shape));
}

// The one place the clip is applied to primitives: each is drawn once per rectangle of the
// clip, cut to that rectangle. The rectangles are disjoint, so every pixel is set at most
// once by a primitive, exactly as the unclipped primitive would set it.
template <typename Draw>
void Canvas::forEachDrawableArea(Draw draw)
{
    const Rect surfaceArea{0, 0, target.width(), target.height()};
    for (const Rect& part : clipArea.rects()) {
        const Rect area = intersection(part, surfaceArea);
        if (!isEmpty(area)) draw(area);
    }
}

void Canvas::plot(std::int32_t x, std::int32_t y, Color color)
{
    target.pixels()[pixelIndex(target, x, y)] = color.rgb32();
}

void Canvas::moveTo(std::int32_t x, std::int32_t y)
{
    currentX = x;
    currentY = y;
}

void Canvas::lineTo(std::int32_t x, std::int32_t y)
{
    if (x != currentX || y != currentY) recordShape(shapeOf(ShapeKind::line, currentX, currentY, x, y, pen));
    forEachDrawableArea([&](const Rect& area) {
        walkLine(currentX, currentY, x, y, area, [this](std::int64_t px, std::int64_t py) {
            plot(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py), pen);
        });
    });
    moveTo(x, y);
}

void Canvas::rectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    if (right <= left || bottom <= top) return;
    recordShape(shapeOf(ShapeKind::rectangle, left, top, right, bottom, pen, brush));
    const std::int64_t l = left, t = top, r = right, b = bottom;
    forEachDrawableArea([&](const Rect& area) {
        fillClipped(target, area, l, t, r, t + 1, pen);
        if (b - 1 > t) fillClipped(target, area, l, b - 1, r, b, pen);
        fillClipped(target, area, l, t + 1, l + 1, b - 1, pen);
        if (r - 1 > l) fillClipped(target, area, r - 1, t + 1, r, b - 1, pen);
        if (!brush.hollow) fillClipped(target, area, l + 1, t + 1, r - 1, b - 1, brush.color);
    });
}

void Canvas::ellipse(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    if (right <= left || bottom <= top) return;
    recordShape(shapeOf(ShapeKind::ellipse, left, top, right, bottom, pen, brush));
    const std::int64_t l = left, t = top;
    const auto width = static_cast<std::uint64_t>(std::int64_t{right} - l);
    const auto height = static_cast<std::uint64_t>(std::int64_t{bottom} - t);
    forEachDrawableArea([&](const Rect& area) {
        // Only the rows inside the area are computed.
        const std::int64_t firstRow = std::max<std::int64_t>(0, area.top - t);
        const std::int64_t lastRow = std::min<std::int64_t>(static_cast<std::int64_t>(height) - 1, area.bottom - 1 - t);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const Span span = ellipseRow(width, height, row);
            if (span.empty()) continue;
            const Span interior = ellipseInterior(width, height, row);
            const std::int64_t y = t + row;
            if (interior.empty()) {
                fillClipped(target, area, l + span.lo, y, l + span.hi + 1, y + 1, pen);
                continue;
            }
            fillClipped(target, area, l + span.lo, y, l + interior.lo, y + 1, pen);
            fillClipped(target, area, l + interior.hi + 1, y, l + span.hi + 1, y + 1, pen);
            if (!brush.hollow) fillClipped(target, area, l + interior.lo, y, l + interior.hi + 1, y + 1, brush.color);
        }
    });
}

void Canvas::setPixel(std::int32_t x, std::int32_t y, Color color)
{
    if (x < 0 || y < 0 || x >= target.width() || y >= target.height() || !clipArea.contains(x, y)) return;
    plot(x, y, color);
    recordShape(shapeOf(ShapeKind::pixel, x, y, x + 1, y + 1, color));
}

Color Canvas::getPixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x >= target.width() || y >= target.height()) return colors::white;
    return Color::fromRgb32(target.pixels()[pixelIndex(target, x, y)]);
}

void Canvas::textOut(std::int32_t x, std::int32_t y, std::string_view text)
{
    TextRun run{x, y, std::string(text), font, textColor, backgroundMode, backgroundColor};
    textEngine.draw(target, clipArea.intersected({0, 0, target.width(), target.height()}), run);
    if (recordTarget != nullptr && !text.empty()) {
        RecordedShape shape;
        shape.kind = ShapeKind::text;
        shape.face = textEngine.face(font, text);
        shape.run = std::move(run);
        recordShape(std::move(shape));
    }
}

TextSize Canvas::textExtent(std::string_view text) { return textEngine.extent(font, text); }

TextMetrics Canvas::textMetrics() { return textEngine.metrics(font); }

Color Canvas::selectPen(Color newPen) { return std::exchange(pen, newPen); }

Brush Canvas::selectBrush(const Brush& newBrush) { return std::exchange(brush, newBrush); }

FontSpec Canvas::selectFont(const FontSpec& newFont) { return std::exchange(font, newFont); }

Color Canvas::setTextColor(Color color) { return std::exchange(textColor, color); }

Color Canvas::setBackgroundColor(Color color) { return std::exchange(backgroundColor, color); }

BackgroundMode Canvas::setBackgroundMode(BackgroundMode mode) { return std::exchange(backgroundMode, mode); }

// ---- TextEngine --------------------------------------------------------------------

TextFace TextEngine::face(const FontSpec& font, std::string_view text)
{
    const TextMetrics m = metrics(font);
    return {"sans-serif", m.height, m.height * 4 / 5, extent(font, text).cx, m.height, 100, std::string(text)};
}

// ---- RecordingTextEngine -----------------------------------------------------------

TextMetrics RecordingTextEngine::metrics(const FontSpec&) { return {height, externalLeading, charWidth}; }

TextSize RecordingTextEngine::extent(const FontSpec&, std::string_view text)
{
    return {charWidth * static_cast<std::int32_t>(utf8CodePoints(text)), height};
}

void RecordingTextEngine::draw(Surface&, const ClipRegion&, const TextRun& run) { runs.push_back(run); }

} // namespace mirokel

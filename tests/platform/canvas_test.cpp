// The canvas's coordinate rules: which pixels lines, rectangles and ellipses cover, the
// clip, pen and brush scopes, the surface's pixels and the fixed-metrics text engine.
#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

using Point = std::pair<std::int32_t, std::int32_t>;
using Points = std::set<Point>;

constexpr std::int32_t minCoordinate = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t maxCoordinate = std::numeric_limits<std::int32_t>::max();

struct Bench {
    explicit Bench(std::int32_t width = 20, std::int32_t height = 20) : surface(width, height), canvas(surface, text) {}

    // Pixels of the given colour.
    Points pixelsOf(Color color) const
    {
        Points found;
        for (std::int32_t y = 0; y < surface.height(); ++y) {
            for (std::int32_t x = 0; x < surface.width(); ++x) {
                if (canvas.getPixel(x, y) == color) found.insert({x, y});
            }
        }
        return found;
    }

    Points painted() const
    {
        Points found;
        for (std::int32_t y = 0; y < surface.height(); ++y) {
            for (std::int32_t x = 0; x < surface.width(); ++x) {
                if (canvas.getPixel(x, y) != colors::white) found.insert({x, y});
            }
        }
        return found;
    }

    void line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
    {
        canvas.moveTo(x0, y0);
        canvas.lineTo(x1, y1);
    }

    Surface surface;
    RecordingTextEngine text;
    Canvas canvas;
};

// The textbook Bresenham loop, walking every step: the error decides a minor step when it
// is strictly positive, the end pixel is not drawn. Only the pixels on a width × height
// surface are kept.
Points referenceLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, std::int32_t width,
                     std::int32_t height)
{
    Points pixels;
    const auto keep = [&](std::int64_t x, std::int64_t y) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels.insert({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
    };
    const std::int64_t dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
    const std::int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    if (dx >= dy) {
        std::int64_t error = 2 * dy - dx, y = y0;
        for (std::int64_t x = x0; x != x1; x += sx) {
            keep(x, y);
            if (error > 0) {
                y += sy;
                error -= 2 * dx;
            }
            error += 2 * dy;
        }
    } else {
        std::int64_t error = 2 * dx - dy, x = x0;
        for (std::int64_t y = y0; y != y1; y += sy) {
            keep(x, y);
            if (error > 0) {
                x += sx;
                error -= 2 * dy;
            }
            error += 2 * dx;
        }
    }
    return pixels;
}

// ---- lines -------------------------------------------------------------------------

struct LineCase {
    const char* description;
    std::int32_t x0, y0, x1, y1;
    std::vector<Point> pixels;
};

TEST(CanvasLine, CoversExactlyTheBresenhamPixelsWithoutTheEnd)
{
    const LineCase cases[] = {
        {"east, shallow down", 10, 10, 16, 12, {{10, 10}, {11, 10}, {12, 11}, {13, 11}, {14, 11}, {15, 12}}},
        {"east, shallow up", 10, 10, 16, 8, {{10, 10}, {11, 10}, {12, 9}, {13, 9}, {14, 9}, {15, 8}}},
        {"west, shallow up", 10, 10, 4, 8, {{10, 10}, {9, 10}, {8, 9}, {7, 9}, {6, 9}, {5, 8}}},
        {"west, shallow down", 10, 10, 4, 12, {{10, 10}, {9, 10}, {8, 11}, {7, 11}, {6, 11}, {5, 12}}},
        {"north, steep right", 10, 10, 12, 4, {{10, 10}, {10, 9}, {11, 8}, {11, 7}, {11, 6}, {12, 5}}},
        {"north, steep left", 10, 10, 8, 4, {{10, 10}, {10, 9}, {9, 8}, {9, 7}, {9, 6}, {8, 5}}},
        {"south, steep left", 10, 10, 8, 16, {{10, 10}, {10, 11}, {9, 12}, {9, 13}, {9, 14}, {8, 15}}},
        {"south, steep right", 10, 10, 12, 16, {{10, 10}, {10, 11}, {11, 12}, {11, 13}, {11, 14}, {12, 15}}},
        {"horizontal right", 10, 10, 13, 10, {{10, 10}, {11, 10}, {12, 10}}},
        {"horizontal left", 10, 10, 7, 10, {{10, 10}, {9, 10}, {8, 10}}},
        {"vertical down", 10, 10, 10, 13, {{10, 10}, {10, 11}, {10, 12}}},
        {"vertical up", 10, 10, 10, 7, {{10, 10}, {10, 9}, {10, 8}}},
        {"diagonal down right", 10, 10, 13, 13, {{10, 10}, {11, 11}, {12, 12}}},
        {"diagonal up left", 10, 10, 7, 7, {{10, 10}, {9, 9}, {8, 8}}},
        {"one step: only the start pixel", 10, 10, 11, 10, {{10, 10}}},
        {"zero length: nothing", 10, 10, 10, 10, {}},
        {"ties keep the minor coordinate of the start", 2, 2, 6, 4, {{2, 2}, {3, 2}, {4, 3}, {5, 3}}},
        {"the same tie drawn backwards", 6, 4, 2, 2, {{6, 4}, {5, 4}, {4, 3}, {3, 3}}},
        {"crossing the left edge", -3, 1, 3, 4, {{0, 2}, {1, 3}, {2, 3}}},
        {"ending beyond the bottom-right corner", 17, 17, 23, 23, {{17, 17}, {18, 18}, {19, 19}}},
    };
    for (const LineCase& c : cases) {
        Bench bench;
        bench.line(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(bench.painted(), Points(c.pixels.begin(), c.pixels.end())) << c.description;
        EXPECT_EQ(bench.painted(), referenceLine(c.x0, c.y0, c.x1, c.y1, 20, 20)) << c.description;
    }
}

TEST(CanvasLine, FarEndpointsGiveTheSamePixelsAsTheFullWalk)
{
    const struct {
        const char* description;
        std::int32_t x0, y0, x1, y1;
    } cases[] = {
        {"shallow, through the left and right edges", -100000, -1735, 100000, 1765},
        {"the same backwards", 100000, 1765, -100000, -1735},
        {"steep, through the top and bottom edges", -1000, -100000, 1040, 100000},
        {"nearly diagonal, in through the left, out through the bottom", -100000, -99980, 100000, 99990},
        {"nearly diagonal, in through the top", -100000, -99995, 100000, 99975},
        {"the same backwards", 100000, 99975, -100000, -99995},
        {"slope one half, ties on every other step", -100000, -49990, 100000, 50010},
        {"steep, slope two, ties", -49990, -100000, 50010, 100000},
        {"from far away to a point inside", -100000, -60000, 12, 7},
        {"passing beside the surface", -100000, 100000, 100000, 100040},
    };
    for (const auto& c : cases) {
        Bench bench(40, 30);
        bench.line(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(bench.painted(), referenceLine(c.x0, c.y0, c.x1, c.y1, 40, 30)) << c.description;
    }
}

TEST(CanvasLine, ExtremeCoordinatesDoNotOverflow)
{
    const auto diagonal = [] {
        Points pixels;
        for (std::int32_t k = 0; k < 20; ++k) pixels.insert({k, k});
        return pixels;
    };
    const auto row = [](std::int32_t y) {
        Points pixels;
        for (std::int32_t x = 0; x < 20; ++x) pixels.insert({x, y});
        return pixels;
    };
    const struct {
        const char* description;
        std::int32_t x0, y0, x1, y1;
        Points pixels;
    } cases[] = {
        {"diagonal over the whole range", minCoordinate, minCoordinate, maxCoordinate, maxCoordinate, diagonal()},
        {"the same backwards", maxCoordinate, maxCoordinate, minCoordinate, minCoordinate, diagonal()},
        // Rise 2^32 − 2 over 2^32 − 1: on the surface the minor offset rounds to y = x.
        {"one short of diagonal", minCoordinate, minCoordinate + 1, maxCoordinate, maxCoordinate, diagonal()},
        {"horizontal over the whole range", minCoordinate, 7, maxCoordinate, 7, row(7)},
        {"horizontal, backwards", maxCoordinate, 3, minCoordinate, 3, row(3)},
    };
    for (const auto& c : cases) {
        Bench bench;
        bench.line(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(bench.painted(), c.pixels) << c.description;
    }
}

TEST(CanvasLine, LineToMovesTheCurrentPositionSoPolylinesJoin)
{
    Bench bench;
    bench.canvas.moveTo(2, 2);
    bench.canvas.lineTo(5, 2);
    bench.canvas.lineTo(5, 5);
    bench.canvas.lineTo(2, 2);
    // Each segment leaves out its end, which the next one starts with.
    EXPECT_EQ(bench.painted(), (Points{{2, 2}, {3, 2}, {4, 2}, {5, 2}, {5, 3}, {5, 4}, {5, 5}, {4, 4}, {3, 3}}));
}

// ---- rectangles --------------------------------------------------------------------

TEST(CanvasRectangle, OutlinesColumnsLToRMinusOneAndRowsTToBMinusOne)
{
    const struct {
        const char* description;
        std::int32_t l, t, r, b;
        bool hollow;
    } cases[] = {
        {"ordinary", 2, 3, 7, 9, false},
        {"hollow brush leaves the inside", 2, 3, 7, 9, true},
        {"one pixel", 5, 5, 6, 6, false},
        {"one column", 4, 1, 5, 8, false},
        {"two by two: no inside", 3, 3, 5, 5, false},
        {"zero width: nothing", 5, 5, 5, 9, false},
        {"zero height: nothing", 5, 5, 9, 5, false},
        {"inverted: nothing", 7, 3, 2, 9, false},
        {"over the top-left corner", -3, -3, 5, 5, false},
        {"far around, bottom edge on row 3", -100000, -100000, 100000, 4, false},
        {"the whole coordinate range", minCoordinate, minCoordinate, maxCoordinate, maxCoordinate, false},
    };
    const Color pen = colors::blue;
    const Color fill = colors::red;
    for (const auto& c : cases) {
        Bench bench(12, 10);
        bench.canvas.selectPen(pen);
        bench.canvas.selectBrush({fill, c.hollow});
        bench.canvas.rectangle(c.l, c.t, c.r, c.b);
        for (std::int64_t y = 0; y < 10; ++y) {
            for (std::int64_t x = 0; x < 12; ++x) {
                const bool covered = x >= c.l && x < c.r && y >= c.t && y < c.b;
                const bool edge = x == c.l || x == std::int64_t{c.r} - 1 || y == c.t || y == std::int64_t{c.b} - 1;
                const Color expected = !covered ? colors::white : edge ? pen : c.hollow ? colors::white : fill;
                ASSERT_EQ(bench.canvas.getPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)), expected)
                    << c.description << " at (" << x << ", " << y << ")";
            }
        }
    }
}

// ---- ellipses ----------------------------------------------------------------------

// Pixels reachable from the surface's border through 4-neighbours that are not `wall`.
Points reachableFromBorder(const Bench& bench, Color wall)
{
    const std::int32_t width = bench.surface.width(), height = bench.surface.height();
    Points reached;
    std::vector<Point> pending;
    const auto visit = [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height || bench.canvas.getPixel(x, y) == wall) return;
        if (reached.insert({x, y}).second) pending.push_back({x, y});
    };
    for (std::int32_t x = 0; x < width; ++x) {
        visit(x, 0);
        visit(x, height - 1);
    }
    for (std::int32_t y = 0; y < height; ++y) {
        visit(0, y);
        visit(width - 1, y);
    }
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        visit(x - 1, y);
        visit(x + 1, y);
        visit(x, y - 1);
        visit(x, y + 1);
    }
    return reached;
}

TEST(CanvasEllipse, StaysInItsBoxTouchesEachSideIsSymmetricAndClosed)
{
    const struct {
        const char* description;
        std::int32_t l, t, r, b;
    } cases[] = {
        {"even circle", 2, 2, 12, 12},
        {"odd circle", 3, 3, 14, 14},
        {"wide, odd by even", 3, 4, 14, 10},
        {"tall, even by odd", 4, 1, 10, 20},
        {"flat and wide", 1, 9, 23, 13},
        {"flat, two rows", 2, 16, 22, 18},
        {"three by three", 2, 3, 5, 6},
        {"two by two", 6, 6, 8, 8},
        {"one pixel", 1, 1, 2, 2},
        {"one column", 5, 2, 6, 15},
        {"one row", 4, 6, 18, 7},
        {"two columns, tall", 8, 1, 10, 22},
        {"the whole surface", 0, 0, 24, 24},
    };
    const Color pen = colors::blue;
    const Color fill = colors::red;
    for (const auto& c : cases) {
        Bench bench(24, 24);
        bench.canvas.selectPen(pen);
        bench.canvas.selectBrush({fill, false});
        bench.canvas.ellipse(c.l, c.t, c.r, c.b);
        const Points outline = bench.pixelsOf(pen);
        const Points inside = bench.pixelsOf(fill);
        for (const auto& [x, y] : bench.painted()) {
            EXPECT_TRUE(x >= c.l && x < c.r && y >= c.t && y < c.b)
                << c.description << " outside at " << x << ", " << y;
            EXPECT_EQ(bench.canvas.getPixel(c.l + c.r - 1 - x, y), bench.canvas.getPixel(x, y))
                << c.description << " not mirrored left-right at " << x << ", " << y;
            EXPECT_EQ(bench.canvas.getPixel(x, c.t + c.b - 1 - y), bench.canvas.getPixel(x, y))
                << c.description << " not mirrored top-bottom at " << x << ", " << y;
        }
        bool left = false, right = false, top = false, bottom = false;
        for (const auto& [x, y] : outline) {
            left = left || x == c.l;
            right = right || x == c.r - 1;
            top = top || y == c.t;
            bottom = bottom || y == c.b - 1;
        }
        EXPECT_TRUE(left && right && top && bottom) << c.description << ": a side of the box is not touched";
        // The outline is closed: the brush's pixels are exactly those it encloses.
        Points enclosed;
        const Points outside = reachableFromBorder(bench, pen);
        for (std::int32_t y = 0; y < 24; ++y) {
            for (std::int32_t x = 0; x < 24; ++x) {
                if (!outline.contains({x, y}) && !outside.contains({x, y})) enclosed.insert({x, y});
            }
        }
        EXPECT_EQ(inside, enclosed) << c.description;
        if (c.r - c.l >= 3 && c.b - c.t >= 3) {
            EXPECT_EQ(bench.canvas.getPixel((c.l + c.r) / 2, (c.t + c.b) / 2), fill) << c.description;
        }
    }
}

TEST(CanvasEllipse, SmallCircleHasItsRoundShape)
{
    Bench bench(8, 8);
    bench.canvas.selectBrush({colors::red, false});
    bench.canvas.ellipse(0, 0, 8, 8);
    std::vector<std::string> picture;
    for (std::int32_t y = 0; y < 8; ++y) {
        std::string row;
        for (std::int32_t x = 0; x < 8; ++x) {
            const Color pixel = bench.canvas.getPixel(x, y);
            row += pixel == colors::black ? '#' : pixel == colors::red ? 'o' : '.';
        }
        picture.push_back(row);
    }
    const std::vector<std::string> expected = {
        "..####..", ".#oooo#.", "#oooooo#", "#oooooo#", "#oooooo#", "#oooooo#", ".#oooo#.", "..####..",
    };
    EXPECT_EQ(picture, expected);
}

TEST(CanvasEllipse, HollowBrushEmptyBoxesAndHugeBoxes)
{
    Bench hollow;
    hollow.canvas.selectBrush({colors::red, true});
    hollow.canvas.ellipse(2, 2, 15, 11);
    EXPECT_TRUE(hollow.pixelsOf(colors::red).empty());
    EXPECT_EQ(hollow.canvas.getPixel(8, 6), colors::white);
    EXPECT_EQ(hollow.canvas.getPixel(2, 6), colors::black);

    Bench empty;
    empty.canvas.ellipse(5, 5, 5, 9);
    empty.canvas.ellipse(5, 5, 9, 5);
    empty.canvas.ellipse(9, 9, 5, 5);
    EXPECT_TRUE(empty.painted().empty());

    // The surface lies near the centre of these boxes: all of it is inside.
    for (const Rect& box : {Rect{-100000, -100000, 100000, 100000},
                           Rect{minCoordinate, minCoordinate, maxCoordinate, maxCoordinate}}) {
        Bench huge;
        huge.canvas.selectBrush({colors::red, false});
        huge.canvas.ellipse(box.left, box.top, box.right, box.bottom);
        EXPECT_EQ(huge.pixelsOf(colors::red).size(), 400u) << box.left;
    }

    Bench thin;
    thin.canvas.ellipse(-100000, 10, 100000, 11);
    EXPECT_EQ(thin.painted().size(), 20u);
    EXPECT_EQ(thin.canvas.getPixel(0, 10), colors::black);
}

// ---- clip, pixels, scopes ----------------------------------------------------------

TEST(CanvasClip, EveryPrimitiveStaysInsideTheClip)
{
    Bench bench;
    EXPECT_EQ(bench.canvas.clip().rects(), (std::vector<Rect>{{0, 0, 20, 20}}));
    const Rect clip{5, 6, 10, 12};
    bench.canvas.setClip(clip);
    EXPECT_EQ(bench.canvas.clip().rects(), std::vector<Rect>{clip});
    bench.canvas.selectBrush({colors::red, false});
    bench.canvas.rectangle(0, 0, 20, 20);
    bench.canvas.ellipse(-5, -5, 25, 25);
    bench.canvas.selectPen(colors::blue);
    bench.line(0, 8, 20, 8);
    bench.line(7, 0, 7, 20);
    bench.canvas.setPixel(4, 6, colors::blue);
    bench.canvas.setPixel(10, 11, colors::blue);
    bench.canvas.setPixel(9, 11, colors::grey);
    for (const auto& [x, y] : bench.painted()) {
        EXPECT_TRUE(x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) << x << ", " << y;
    }
    EXPECT_EQ(bench.canvas.getPixel(5, 6), colors::red);
    EXPECT_EQ(bench.canvas.getPixel(5, 8), colors::blue);
    EXPECT_EQ(bench.canvas.getPixel(9, 8), colors::blue);
    EXPECT_EQ(bench.canvas.getPixel(7, 11), colors::blue);
    EXPECT_EQ(bench.canvas.getPixel(9, 11), colors::grey);

    // A clip reaching beyond the surface is cut by the surface.
    Bench wide;
    wide.canvas.setClip({-50, -50, 100, 3});
    wide.canvas.selectBrush({colors::red, false});
    wide.canvas.rectangle(-10, -10, 30, 30);
    EXPECT_EQ(wide.pixelsOf(colors::red).size(), 60u);
}

// Draws every kind of primitive over the whole 20 × 20 bench, crossing every part of it.
void drawEverywhere(Bench& bench)
{
    bench.canvas.selectBrush({colors::red, false});
    bench.canvas.rectangle(0, 0, 20, 20);
    bench.canvas.ellipse(-5, -5, 25, 25);
    bench.canvas.selectPen(colors::blue);
    for (std::int32_t k = 0; k < 20; k += 3) {
        bench.line(0, k, 20, k);
        bench.line(k, 0, k, 20);
        bench.line(0, k, 20, 19 - k);
    }
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = (y % 4); x < 20; x += 4) bench.canvas.setPixel(x, y, colors::grey);
}

TEST(CanvasClip, ARegionClipsEveryPrimitiveToItsRectanglesAndNotBetweenThem)
{
    struct Case {
        const char* what;
        std::vector<Rect> rects;
    };
    const Case cases[] = {
        {"two disjoint rectangles", {{2, 2, 7, 9}, {12, 10, 18, 17}}},
        {"side by side with a gap of one column", {{0, 5, 9, 15}, {10, 5, 20, 15}}},
        {"overlapping", {{3, 3, 12, 12}, {8, 8, 17, 19}}},
        {"one inside the other and one off the surface", {{1, 1, 15, 15}, {4, 4, 6, 6}, {-9, 30, 40, 50}}},
    };
    Bench unclipped;
    drawEverywhere(unclipped);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench bench;
        bench.surface.fill({0, 0, 20, 20}, colors::black);
        ClipRegion region;
        for (const Rect& r : c.rects) region.add(r);
        bench.canvas.setClip(region);
        drawEverywhere(bench);
        for (std::int32_t y = 0; y < 20; ++y) {
            for (std::int32_t x = 0; x < 20; ++x) {
                const bool inside = std::any_of(c.rects.begin(), c.rects.end(), [&](const Rect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                });
                const Color expected = inside ? unclipped.canvas.getPixel(x, y) : colors::black;
                EXPECT_EQ(bench.canvas.getPixel(x, y), expected) << x << ", " << y;
            }
        }
    }
}

TEST(ClipRegion, KeepsTheUnionExactlyAsDisjointRectangles)
{
    const std::vector<Rect> added[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}},
        {{0, 0, 10, 10}, {2, 2, 4, 4}},
        {{2, 2, 4, 4}, {0, 0, 10, 10}},
        {{0, 4, 12, 6}, {4, 0, 6, 12}, {3, 3, 7, 7}},
        {{0, 0, 5, 5}, {5, 0, 10, 5}, {0, 0, 0, 9}, {3, 8, 2, 9}},
        {{1, 1, 9, 9}, {1, 1, 9, 9}},
    };
    for (const std::vector<Rect>& rects : added) {
        ClipRegion region;
        for (const Rect& r : rects) region.add(r);
        for (std::int32_t y = -1; y < 16; ++y) {
            for (std::int32_t x = -1; x < 16; ++x) {
                const auto holds = [&](const Rect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                };
                const bool inUnion = std::any_of(rects.begin(), rects.end(), holds);
                const auto parts = std::count_if(region.rects().begin(), region.rects().end(), holds);
                EXPECT_EQ(parts, inUnion ? 1 : 0) << x << ", " << y << " of " << rects.size() << " rectangles";
                EXPECT_EQ(region.contains(x, y), inUnion);
            }
        }
    }
    EXPECT_TRUE(ClipRegion(Rect{4, 4, 4, 9}).empty()) << "an empty rectangle adds nothing";
    EXPECT_EQ(ClipRegion(Rect{0, 0, 10, 10}).intersected({5, -5, 20, 3}).rects(), (std::vector<Rect>{{5, 0, 10, 3}}));
}

// Keeps the clip each text is drawn with.
class ClipKeepingTextEngine final : public TextEngine {
public:
    TextMetrics metrics(const FontSpec&) override { return {}; }
    TextSize extent(const FontSpec&, std::string_view) override { return {}; }
    void draw(Surface&, const ClipRegion& clip, const TextRun&) override { clips.push_back(clip.rects()); }

    std::vector<std::vector<Rect>> clips;
};

TEST(CanvasClip, TextIsDrawnWithTheClipRegionCutBySurface)
{
    Surface surface(20, 10);
    ClipKeepingTextEngine text;
    Canvas canvas(surface, text);
    canvas.textOut(1, 1, "a");
    canvas.setClip({-4, 2, 8, 50});
    canvas.textOut(1, 1, "b");
    ClipRegion region;
    region.add({1, 1, 4, 4});
    region.add({12, -3, 30, 5});
    region.add({5, 20, 9, 30});
    canvas.setClip(region);
    canvas.textOut(0, 0, "a text that runs across the gap");
    EXPECT_EQ(text.clips, (std::vector<std::vector<Rect>>{
                              {{0, 0, 20, 10}}, {{0, 2, 8, 10}}, {{1, 1, 4, 4}, {12, 0, 20, 5}}}));
}

TEST(CanvasPixels, SetAndGetInsideAndOutsideTheSurface)
{
    Bench bench(6, 4);
    bench.canvas.setPixel(0, 0, colors::red);
    bench.canvas.setPixel(5, 3, colors::blue);
    bench.canvas.setPixel(6, 3, colors::blue);
    bench.canvas.setPixel(-1, 0, colors::blue);
    bench.canvas.setPixel(0, 4, colors::blue);
    EXPECT_EQ(bench.canvas.getPixel(0, 0), colors::red);
    EXPECT_EQ(bench.canvas.getPixel(5, 3), colors::blue);
    EXPECT_EQ(bench.painted(), (Points{{0, 0}, {5, 3}}));
    EXPECT_EQ(bench.surface.pixels()[0], 0xFFFF0000u);
    for (const Point& outside :
         {Point{-1, 0}, Point{6, 0}, Point{0, -1}, Point{0, 4}, Point{minCoordinate, maxCoordinate}}) {
        EXPECT_EQ(bench.canvas.getPixel(outside.first, outside.second), colors::white);
    }
}

TEST(CanvasScopes, PenAndBrushScopesRestoreThePreviousOnes)
{
    Bench bench;
    const Brush outer{colors::grey, false};
    bench.canvas.selectPen(colors::red);
    bench.canvas.selectBrush(outer);
    {
        PenScope pen(bench.canvas, colors::blue);
        BrushScope brush(bench.canvas, {colors::black, true});
        {
            PenScope inner(bench.canvas, colors::white);
            EXPECT_EQ(bench.canvas.selectPen(colors::white), colors::white);
        }
        EXPECT_EQ(bench.canvas.selectPen(colors::blue), colors::blue);
        EXPECT_EQ(bench.canvas.selectBrush({colors::black, true}), (Brush{colors::black, true}));
    }
    EXPECT_EQ(bench.canvas.selectPen(colors::red), colors::red);
    EXPECT_EQ(bench.canvas.selectBrush(outer), outer);
    // The restored pen and brush are the ones that draw.
    bench.canvas.rectangle(1, 1, 4, 4);
    EXPECT_EQ(bench.canvas.getPixel(1, 1), colors::red);
    EXPECT_EQ(bench.canvas.getPixel(2, 2), colors::grey);
}

// ---- text --------------------------------------------------------------------------

TEST(CanvasText, RecordingEngineMeasuresCodePointsAndRecordsRuns)
{
    Bench bench;
    bench.text.charWidth = 7;
    bench.text.height = 16;
    bench.text.externalLeading = 2;
    const struct {
        const char* description;
        std::string text;
        std::int32_t width;
    } extents[] = {
        {"empty", "", 0},
        {"ASCII", "abc", 21},
        {"two-byte letters", "\xCE\xB1\xCE\xB2\xCE\xB3", 21},    // three Greek letters
        {"mixed widths", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 28}, // a, e acute, euro, an emoji
    };
    for (const auto& e : extents) {
        const TextSize size = bench.canvas.textExtent(e.text);
        EXPECT_EQ(size.cx, e.width) << e.description;
        EXPECT_EQ(size.cy, 16) << e.description;
    }
    const TextMetrics metrics = bench.canvas.textMetrics();
    EXPECT_EQ(metrics.height, 16);
    EXPECT_EQ(metrics.externalLeading, 2);
    EXPECT_EQ(metrics.aveCharWidth, 7);

    const FontSpec symbol{"Symbol", 12};
    EXPECT_EQ(bench.canvas.selectFont(symbol), FontSpec{});
    EXPECT_EQ(bench.canvas.setTextColor(colors::blue), colors::black);
    EXPECT_EQ(bench.canvas.setBackgroundColor(colors::grey), colors::white);
    EXPECT_EQ(bench.canvas.setBackgroundMode(BackgroundMode::transparent), BackgroundMode::opaque);
    bench.canvas.textOut(3, -4, "eS");
    ASSERT_EQ(bench.text.runs.size(), 1u);
    const TextRun& run = bench.text.runs[0];
    EXPECT_EQ(run.x, 3);
    EXPECT_EQ(run.y, -4);
    EXPECT_EQ(run.text, "eS");
    EXPECT_EQ(run.font, symbol);
    EXPECT_EQ(run.color, colors::blue);
    EXPECT_EQ(run.mode, BackgroundMode::transparent);
    EXPECT_EQ(run.background, colors::grey);
    EXPECT_TRUE(bench.painted().empty());
}

// ---- surface -----------------------------------------------------------------------

TEST(Surface, StartsWhiteAndResizeKeepsThePictureWhereItFits)
{
    Surface surface(4, 3);
    EXPECT_EQ(std::vector<std::uint32_t>(surface.pixels(), surface.pixels() + 12),
              std::vector<std::uint32_t>(12, 0xFFFFFFFFu));
    surface.fill({-5, -5, 100, 100}, colors::blue); // cut to the surface
    surface.fill({1, 1, 3, 2}, colors::red);        // columns 1 … 2 of row 1

    const auto at = [&surface](std::int32_t x, std::int32_t y) {
        return Color::fromRgb32(surface.pixels()[static_cast<std::size_t>(y) * surface.width() + x]);
    };
    EXPECT_EQ(at(0, 1), colors::blue);
    EXPECT_EQ(at(1, 1), colors::red);
    EXPECT_EQ(at(2, 1), colors::red);
    EXPECT_EQ(at(3, 1), colors::blue);

    surface.resize(6, 5);
    ASSERT_EQ(surface.width(), 6);
    ASSERT_EQ(surface.height(), 5);
    for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
            const bool redPart = y == 1 && (x == 1 || x == 2);
            const Color expected = x >= 4 || y >= 3 ? colors::white : redPart ? colors::red : colors::blue;
            EXPECT_EQ(at(x, y), expected) << x << ", " << y;
        }
    }

    surface.resize(2, 2);
    EXPECT_EQ(at(0, 0), colors::blue);
    EXPECT_EQ(at(1, 1), colors::red);
    surface.resize(4, 3); // the area given up and regained is white again
    EXPECT_EQ(at(1, 1), colors::red);
    EXPECT_EQ(at(2, 1), colors::white);
    EXPECT_EQ(at(0, 2), colors::white);

    surface.resize(-3, 5);
    EXPECT_EQ(surface.width(), 0);
    surface.fill({0, 0, 10, 10}, colors::red); // nothing to fill
}

} // namespace
} // namespace mirokel

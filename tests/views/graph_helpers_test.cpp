// The drawing helpers of the result views: sample mapping, pulse shapes, hatching, labels,
// dotted marks, tuple frames and bands, the pulse cell, the alphabet box and the pattern
// tuple boxes, checked by the texts they record and the pixels they set.
#include "views/graph_helpers.h"

#include "model/series_header.h"
#include "model/subsets.h"
#include "model_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

constexpr std::int32_t fh = 16;       // line height of the recording text engine
constexpr std::int16_t amplitude = 100;

using Pixel = std::pair<std::int32_t, std::int32_t>;

// A canvas on a white surface with recorded texts, the start-up alphabet and a series
// record of up to 201 samples whose pulses the tests fill in.
class GraphBench : public test::AlphabetBench {
public:
    explicit GraphBench(std::int32_t width = 400, std::int32_t height = 300)
        : surface(width, height), canvas(surface, text)
    {
        surface.fill({0, 0, width, height}, colors::white);
        series = getCutOffSeriesHeader(window(), alphabetSlots, 4, 4, 8, 201, nullptr);
        std::fill(series->lpNoisyData, series->lpNoisyData + series->dwMaxSeriesSize, std::int16_t{0});
        series->wImpulseSize = 4; // L, set by the builder in a built series
        for (std::uint16_t i = 0; i < alphabetSlots; ++i)
            series->lpPulsesList[i] = &slots[i];
    }
    ~GraphBench() { freeSeriesHeader(series); }

    // Makes etalon `number` a shape of the given samples instead of the alphabet's.
    void setShape(std::int32_t number, std::vector<std::int16_t> samples)
    {
        std::vector<std::int16_t>& data = shapeSamples[number - 1];
        data = std::move(samples);
        PulseHeader& shape = shapes[number - 1];
        shape.wLength = shape.wMaxLength = static_cast<std::uint16_t>(data.size());
        shape.wNumber = static_cast<std::uint16_t>(number);
        shape.lpData = data.data();
        series->lpPulsesList[number - 1] = &shape;
    }

    struct Pulse {
        std::int16_t position, etalon, first, last;
    };

    void setPlaced(const std::vector<Pulse>& pulses)
    {
        series->wImpulseQuantity = static_cast<std::uint16_t>(pulses.size());
        for (std::size_t k = 0; k < pulses.size(); ++k) {
            series->lpPositions[k] = pulses[k].position;
            series->lpEtalonNumbers[k] = pulses[k].etalon;
            series->lpFirstSamples[k] = pulses[k].first;
            series->lpLastSamples[k] = pulses[k].last;
        }
    }

    void setDetected(const std::vector<Pulse>& pulses)
    {
        series->wDetPulses = static_cast<std::uint16_t>(pulses.size());
        for (std::size_t k = 0; k < pulses.size(); ++k) {
            series->lpDetPositions[k] = pulses[k].position;
            series->lpDetEtalonNumbers[k] = pulses[k].etalon;
            series->lpDetFirstSamples[k] = pulses[k].first;
            series->lpDetLastSamples[k] = pulses[k].last;
        }
    }

    Color at(std::int32_t x, std::int32_t y) const { return canvas.getPixel(x, y); }

    // Every pixel that is not white.
    std::set<Pixel> ink() const
    {
        std::set<Pixel> found;
        for (std::int32_t y = 0; y < surface.height(); ++y)
            for (std::int32_t x = 0; x < surface.width(); ++x)
                if (at(x, y) != colors::white)
                    found.insert({x, y});
        return found;
    }

    Surface surface;
    RecordingTextEngine text;
    Canvas canvas;
    SeriesHeader* series = nullptr;
    std::array<PulseHeader, alphabetSlots> shapes{};
    std::array<std::vector<std::int16_t>, alphabetSlots> shapeSamples;
};

std::set<Pixel> shifted(const std::set<Pixel>& pixels, std::int32_t dx, std::int32_t dy)
{
    std::set<Pixel> out;
    for (const auto& [x, y] : pixels)
        out.insert({x + dx, y + dy});
    return out;
}

// ---- graphs ------------------------------------------------------------------------

TEST(GraphHelpers, AxisCrossRunsDownTheLeftEdgeAndAlongTheMiddleLine)
{
    GraphBench b;
    const Rect graph{20, 30, 120, 70}; // w 100, h 40, ym 50
    drawAxisCross(b.canvas, graph);
    EXPECT_EQ(b.at(20, 30), colors::black);
    EXPECT_EQ(b.at(20, 69), colors::black);
    EXPECT_EQ(b.at(20, 70), colors::white) << "the line to the bottom excludes its end";
    EXPECT_EQ(b.at(119, 50), colors::black);
    EXPECT_EQ(b.at(120, 50), colors::white);
    EXPECT_EQ(b.ink().size(), 40u + 99u);
}

// Where a sample value lands relative to the graph's top edge.
TEST(GraphHelpers, SampleValuesMapOntoTheEdgesAndTheMiddleLine)
{
    struct Case {
        const char* what;
        std::int32_t h;
        std::int16_t value;
        std::int32_t row; // relative to top
    };
    const Case cases[] = {
        {"-A on the bottom edge, even h", 40, -amplitude, 40},
        {"+A on the top edge, even h", 40, amplitude, 0},
        {"0 on the middle line, even h", 40, 0, 20},
        {"2A h/2 above the top, even h", 40, 2 * amplitude, -20},
        {"-A on the bottom edge, odd h", 41, -amplitude, 41},
        {"+A on the top edge, odd h", 41, amplitude, 0},
        {"0 one below the middle line, odd h", 41, 0, 21},
        {"2A h/2 above the top, odd h", 41, 2 * amplitude, -20},
    };
    for (const Case& c : cases) {
        GraphBench b;
        const Rect graph{20, 40, 120, 40 + c.h};
        b.series->dwSeriesSize = 3; // x(1) = 70
        for (int i = 0; i < 3; ++i)
            b.series->lpNoisyData[i] = c.value;
        drawSeriesCurve(b.canvas, graph, amplitude, *b.series);
        EXPECT_EQ(b.at(70, 40 + c.row), colors::blue) << c.what;
        EXPECT_EQ(b.at(70, 40 + c.row - 1), colors::white) << c.what;
        EXPECT_EQ(b.at(70, 40 + c.row + 1), colors::white) << c.what;
    }
}

TEST(GraphHelpers, SeriesCurveStartsOnTheMiddleLineAtTheLeftEdge)
{
    GraphBench b;
    const Rect graph{20, 40, 120, 80}; // ym 60
    b.series->dwSeriesSize = 3;
    const std::int16_t data[] = {amplitude, 0, 0};
    std::copy(std::begin(data), std::end(data), b.series->lpNoisyData);
    drawSeriesCurve(b.canvas, graph, amplitude, *b.series);
    EXPECT_EQ(b.at(20, 60), colors::blue) << "rise from the middle line";
    EXPECT_EQ(b.at(20, 41), colors::blue);
    EXPECT_EQ(b.at(20, 61), colors::white);
    EXPECT_EQ(b.at(70, 60), colors::blue) << "x(1) on the middle line";
}

// Placed pulse at 1 (etalon 1, 8 samples, kept 3 … 5) and detected pulse at 2 (etalon 2,
// 4 samples), N 11 over 100 columns: x(i) = left + 10 i.
TEST(GraphHelpers, PlacedPulsesDrawTheChosenListAndExtent)
{
    constexpr std::int16_t A = amplitude;
    struct Case {
        PulseSelector selector;
        std::int32_t firstColumn, lastColumn;
    };
    const Case cases[] = {
        {PulseSelector::whole, 30, 100},    // x(1) … x(8)
        {PulseSelector::kept, 60, 80},      // x(4) … x(6)
        {PulseSelector::detected, 40, 70},  // x(2) … x(5)
    };
    for (const Case& c : cases) {
        GraphBench b;
        const Rect graph{20, 40, 120, 80}; // ym 60, +A on row 40, -A on row 80
        b.series->dwSeriesSize = 11;
        b.setShape(1, {A, -A, A, A, -A, A, -A, A});
        b.setShape(2, {-A, A, -A, A});
        b.setPlaced({{1, 1, 3, 5}});
        b.setDetected({{2, 2, 0, 3}});
        drawPlacedPulses(b.canvas, graph, A, *b.series, c.selector);
        const std::set<Pixel> ink = b.ink();
        ASSERT_FALSE(ink.empty());
        std::int32_t lo = 1000, hi = -1;
        for (const auto& [x, y] : ink) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        EXPECT_EQ(lo, c.firstColumn) << static_cast<int>(c.selector);
        EXPECT_EQ(hi, c.lastColumn) << static_cast<int>(c.selector);
        EXPECT_EQ(b.at(c.firstColumn, 60), colors::black) << "starts on the middle line";
        EXPECT_EQ(b.at(c.lastColumn, 59), colors::black) << "returns to the middle line";
    }
}

TEST(GraphHelpers, KeptFragmentRunsThroughItsThreeSamples)
{
    constexpr std::int16_t A = amplitude;
    GraphBench b;
    const Rect graph{20, 40, 120, 80};
    b.series->dwSeriesSize = 11;
    b.setShape(1, {-A, -A, -A, A, -A, A, -A, -A});
    b.setPlaced({{1, 1, 3, 5}});
    drawPlacedPulses(b.canvas, graph, A, *b.series, PulseSelector::kept);
    // Middle line at x(4), samples 3, 4, 5 at (60, 40), (70, 80), (80, 40), back down at x(6).
    for (const Pixel& p : std::vector<Pixel>{{60, 60}, {60, 41}, {60, 40}, {70, 80}, {80, 40}, {80, 59}})
        EXPECT_EQ(b.at(p.first, p.second), colors::black) << p.first << "," << p.second;
}

// N 11 over 30 columns (3 per sample), h 20 (hm 10), A 100. Pulse 0 at 1 keeps samples
// 1 … 2 of a shape falling from -A to +A; pulse 1 at 5 keeps 0 … 1 of a shape at +A.
TEST(GraphHelpers, KeptShadingHatchesEverySecondRowWithAlternatingPhase)
{
    constexpr std::int16_t A = amplitude;
    GraphBench b;
    const Rect graph{20, 30, 50, 50};
    b.series->dwSeriesSize = 11;
    b.setShape(1, {-A, -A, A, 0});
    b.setShape(2, {A, A, 0, 0});
    b.setPlaced({{1, 1, 1, 2}, {5, 2, 0, 1}});
    drawKeptShading(b.canvas, graph, A, *b.series);

    // Columns (relative to left) and the rows (relative to top) hatched in each.
    const std::vector<std::pair<std::int32_t, std::vector<std::int32_t>>> expected = {
        {6, {10, 12, 14, 16, 18}}, // below the middle, phase 0
        {7, {11}},                 // towards row 13, phase 1
        {8, {10, 8}},              // the fragment crossed the middle line: upwards, phase 0
        {15, {9, 7, 5, 3, 1}},     // next pulse, the phase carried over: 1
        {16, {10, 8, 6, 4, 2}},
        {17, {9, 7, 5, 3, 1}},
    };
    std::set<Pixel> want;
    for (const auto& [c, rows] : expected)
        for (std::int32_t l : rows)
            want.insert({20 + c, 30 + l});
    EXPECT_EQ(b.ink(), want);
}

TEST(GraphHelpers, PulseLabelsPrintPositionLetterAndKeptRange)
{
    struct Case {
        std::int32_t type, panel;
        bool names;
        std::string text;
        std::int32_t x;
    };
    const Case cases[] = {
        {2, 0, true, "120c[0..19] ", 75},  // left + (120 × 100) / 200 − 5
        {8, 0, false, "120[0..19] ", 75},
        {1, 0, true, "120c", 75},
        {2, 1, true, "40b[2..17] ", 35},
        {36, 2, false, "40", 35},
    };
    for (const Case& c : cases) {
        GraphBench b;
        b.series->dwSeriesSize = 201;
        b.setPlaced({{120, 3, 0, 19}});
        b.setDetected({{40, 2, 2, 17}});
        drawPulseLabels(b.canvas, Rect{20, 40, 120, 80}, c.type, c.panel, c.names, *b.series);
        ASSERT_EQ(b.text.runs.size(), 1u) << c.text;
        EXPECT_EQ(b.text.runs[0].text, c.text);
        EXPECT_EQ(b.text.runs[0].x, c.x) << c.text;
        EXPECT_EQ(b.text.runs[0].y, 79) << c.text;
    }
}

// N 11 over 30 columns, h 12 (ym = top + 6, hh 4), L 4: detected pulse at 2 with the
// fragment 1 … 2, so the box spans columns 6 … 15 and the ticks stand at 9 and 12.
TEST(GraphHelpers, DetectedMarksDotTheBoxAndTheFragmentEnds)
{
    GraphBench b;
    const Rect graph{20, 30, 50, 42};
    b.series->dwSeriesSize = 11;
    b.setDetected({{2, 1, 1, 2}});
    drawDetectedMarks(b.canvas, graph, *b.series);
    const std::set<Pixel> relative = {
        {6, -4}, {6, -2}, {6, 0}, {6, 2}, {6, 4},                         // left edge and corners
        {15, -2}, {15, 0}, {15, 2},                                         // right edge
        {8, -4}, {8, 4}, {10, -4}, {10, 4}, {12, -4}, {12, 4}, {14, -4}, {14, 4}, // every second column
        {9, -2}, {9, 0}, {9, 2}, {12, -2}, {12, 0}, {12, 2},               // fragment ticks
    };
    EXPECT_EQ(b.ink(), shifted(relative, 20, 36));
}

// N 11 over 10 columns (x offset = position), h 16 (ym = top + 8, hh 6), L 4.
TEST(GraphHelpers, TupleFramesAndBandsWidenWithinTheGraph)
{
    struct Case {
        const char* what;
        std::vector<GraphBench::Pulse> detected;
        std::int32_t first, last; // 1-based detected pulses of the tuple
        std::int32_t xs, xe;
    };
    const Case cases[] = {
        {"starting at 1 moves to 0, not -1; ending at 8 stops at w - 1", {{1, 1, 0, 3}, {5, 1, 0, 3}}, 1, 2, 0, 9},
        {"two pixels out each side", {{4, 1, 0, 3}}, 1, 1, 2, 9},
        {"already at both edges", {{0, 1, 0, 3}, {6, 1, 0, 3}}, 1, 2, 0, 9},
        {"at most two steps each side", {{2, 1, 0, 3}}, 1, 1, 0, 7},
    };
    const Rect graph{20, 30, 30, 46};
    const std::int32_t ym = 38, hh = 6;
    for (const Case& c : cases) {
        GraphBench frames;
        frames.series->dwSeriesSize = 11;
        frames.setDetected(c.detected);
        frames.series->wDetTuples = 1;
        frames.series->lpTupleFirst[0] = static_cast<std::int16_t>(c.first);
        frames.series->lpTupleLast[0] = static_cast<std::int16_t>(c.last);
        drawTupleFrames(frames.canvas, graph, *frames.series);
        EXPECT_EQ(frames.at(20 + c.xs, ym), colors::black) << c.what;
        EXPECT_EQ(frames.at(20 + c.xs - 1, ym), colors::white) << c.what;
        EXPECT_EQ(frames.at(20 + c.xe, ym), colors::black) << c.what;
        EXPECT_EQ(frames.at(20 + c.xe + 1, ym), colors::white) << c.what;
        EXPECT_EQ(frames.at(20 + c.xs, ym - hh), colors::black) << c.what << ": top dots from xs";
        EXPECT_EQ(frames.at(20 + c.xs, ym + hh), colors::black) << c.what << ": bottom dots from xs";
        EXPECT_EQ(frames.at(20 + c.xs, ym - hh - 2), colors::white) << c.what;

        GraphBench bands;
        bands.series->dwSeriesSize = 11;
        bands.setDetected(c.detected);
        bands.series->wDetTuples = 1;
        bands.series->lpTupleFirst[0] = static_cast<std::int16_t>(c.first);
        bands.series->lpTupleLast[0] = static_cast<std::int16_t>(c.last);
        drawTupleBackgrounds(bands.canvas, graph, *bands.series);
        EXPECT_EQ(bands.at(20 + c.xs, ym - hh), tupleBackgroundColor) << c.what;
        EXPECT_EQ(bands.at(20 + c.xe - 1, ym + hh - 1), tupleBackgroundColor) << c.what;
        EXPECT_EQ(bands.at(20 + c.xe, ym), colors::white) << c.what;
        EXPECT_EQ(bands.at(20 + c.xs, ym + hh), colors::white) << c.what;
        EXPECT_EQ(bands.at(20 + c.xs, ym - hh - 1), colors::white) << c.what;
    }
}

// A mapping that would divide by zero leaves its element out.
TEST(GraphHelpers, MappingsWithoutSpanOrScaleDrawNothing)
{
    struct Case {
        const char* what;
        std::int32_t samples;
        std::int16_t scale;
        std::function<void(GraphBench&, const Rect&, std::int16_t)> draw;
    };
    const auto curve = [](GraphBench& b, const Rect& r, std::int16_t a) { drawSeriesCurve(b.canvas, r, a, *b.series); };
    const auto pulses = [](GraphBench& b, const Rect& r, std::int16_t a) {
        drawPlacedPulses(b.canvas, r, a, *b.series, PulseSelector::whole);
    };
    const auto shading = [](GraphBench& b, const Rect& r, std::int16_t a) { drawKeptShading(b.canvas, r, a, *b.series); };
    const auto marks = [](GraphBench& b, const Rect& r, std::int16_t) { drawDetectedMarks(b.canvas, r, *b.series); };
    const auto labels = [](GraphBench& b, const Rect& r, std::int16_t) {
        drawPulseLabels(b.canvas, r, 2, 0, true, *b.series);
    };
    const Case cases[] = {
        {"curve of one sample", 1, amplitude, curve},   {"curve at scale 0", 11, 0, curve},
        {"pulses of one sample", 1, amplitude, pulses}, {"pulses at scale 0", 11, 0, pulses},
        {"shading at scale 0", 11, 0, shading},         {"marks of one sample", 1, amplitude, marks},
        {"labels of one sample", 1, amplitude, labels},
    };
    for (const Case& c : cases) {
        GraphBench b;
        b.series->dwSeriesSize = c.samples;
        b.setPlaced({{0, 1, 0, 3}});
        b.setDetected({{0, 1, 0, 3}});
        c.draw(b, Rect{20, 30, 120, 70}, c.scale);
        EXPECT_TRUE(b.ink().empty()) << c.what;
        EXPECT_TRUE(b.text.runs.empty()) << c.what;
    }
}

// ---- pulse cell --------------------------------------------------------------------

// Cell (50, 40, 90, 80): w 40, h 40, shape area from y0 = 40 + 1 + 16 + 4 = 61, hm 20.
// The shape [+A, +A] runs up the left edge, along row y0 and down at column 90.
struct CellBench : GraphBench {
    static constexpr std::int32_t l = 50, y0 = 61, w = 40, h = 40, hm = 20;

    explicit CellBench(std::int32_t mode, std::int16_t scale = amplitude)
    {
        setShape(3, {amplitude, amplitude});
        drawPulseCell(canvas, *series->lpPulsesList[2], scale, mode, Rect{50, 40, 90, 80}, fh);
    }
};

TEST(PulseCell, LetterStandsAboveTheShapeInEveryMode)
{
    for (std::int32_t mode : {0, 1, 2, 7}) {
        CellBench b(mode);
        ASSERT_EQ(b.text.runs.size(), 1u) << mode;
        EXPECT_EQ(b.text.runs[0].text, " c ") << mode;
        EXPECT_EQ(b.text.runs[0].x, 50) << mode;
        EXPECT_EQ(b.text.runs[0].y, 42) << mode;
    }
}

TEST(PulseCell, ColouredModesPaintABlockNinePixelsWiderAndTwoTaller)
{
    struct Case {
        std::int32_t mode;
        Color block;
    };
    const Case cases[] = {{2, colors::red}, {1, colors::grey}, {7, colors::grey}};
    using B = CellBench;
    for (const Case& c : cases) {
        B b(c.mode);
        // Columns l − 3 … l + w + 5 (w + 9), rows y0 − 1 … y0 + h (h + 2).
        EXPECT_EQ(b.at(B::l - 3, B::y0 - 1), c.block) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w + 5, B::y0 + B::h), c.block) << c.mode;
        EXPECT_EQ(b.at(B::l + 10, B::y0 + B::h - 5), c.block) << c.mode << ": filled";
        EXPECT_EQ(b.at(B::l - 4, B::y0 + 5), colors::white) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w + 6, B::y0 + 5), colors::white) << c.mode;
        EXPECT_EQ(b.at(B::l + 10, B::y0 - 2), colors::white) << c.mode;
        EXPECT_EQ(b.at(B::l + 10, B::y0 + B::h + 1), colors::white) << c.mode;
        // White axes: the left edge to y0 + h − 1, the middle line to l + w + 4.
        EXPECT_EQ(b.at(B::l, B::y0 + B::h - 1), colors::white) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w + 4, B::y0 + B::hm), colors::white) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w + 5, B::y0 + B::hm), c.block) << c.mode;
    }
}

TEST(PulseCell, PlainShapeIsDrawnOnceColouredShapeTwiceShifted)
{
    using B = CellBench;
    struct Case {
        std::int32_t mode;
        Color top, aboveTop, belowTop;          // at column l + 20: rows y0, y0 − 1, y0 + 1
        Color rightEdge, pastRight, beforeRight; // at row y0 + 10: columns l + w, l + w + 1, l + w − 1
    };
    const Color r = colors::red, k = colors::black, w = colors::white;
    const Case cases[] = {
        {0, k, w, w, k, w, w},
        {2, w, w, r, w, w, r}, // shifted up covers row y0 − 1 and column l + w; shifted right row y0 and l + w + 1
    };
    for (const Case& c : cases) {
        B b(c.mode);
        EXPECT_EQ(b.at(B::l + 20, B::y0), c.top) << c.mode;
        EXPECT_EQ(b.at(B::l + 20, B::y0 - 1), c.aboveTop) << c.mode;
        EXPECT_EQ(b.at(B::l + 20, B::y0 + 1), c.belowTop) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w, B::y0 + 10), c.rightEdge) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w + 1, B::y0 + 10), c.pastRight) << c.mode;
        EXPECT_EQ(b.at(B::l + B::w - 1, B::y0 + 10), c.beforeRight) << c.mode;
    }
    // The shifted-right copy starts on the middle line one column right of the axis.
    B red(2);
    EXPECT_EQ(red.at(B::l + 1, B::y0 + B::hm - 1), colors::white);
    EXPECT_EQ(red.at(B::l + 2, B::y0 + B::hm - 1), colors::red);
}

TEST(PulseCell, ShapeWithoutScaleOrSpanLeavesOnlyTheAxes)
{
    using B = CellBench;
    B flat(0, 0);
    EXPECT_EQ(flat.at(B::l + 20, B::y0), colors::white) << "scale 0: no curve";
    EXPECT_EQ(flat.at(B::l, B::y0), colors::black) << "axes drawn";

    GraphBench single;
    single.setShape(3, {amplitude});
    drawPulseCell(single.canvas, *single.series->lpPulsesList[2], amplitude, 0, Rect{50, 40, 90, 80}, fh);
    std::set<Pixel> axes;
    for (std::int32_t y = B::y0; y < B::y0 + B::h; ++y)
        axes.insert({B::l, y});
    for (std::int32_t x = B::l; x < B::l + B::w + 5; ++x)
        axes.insert({x, B::y0 + B::hm});
    EXPECT_EQ(single.ink(), axes) << "one sample: no curve";
}

// ---- alphabet box ------------------------------------------------------------------

// Area (0, 0, 999, 599): W 1000, H 600, fh 16.
TEST(AlphabetBox, LayoutFollowsTheAreaAndTheCount)
{
    struct Case {
        const char* what;
        Rect area;
        std::uint16_t count;
        AlphabetBoxLayout layout; // mx, my, my2, th, cw, ch, ax, ay, aw, ah, rows
    };
    const Case cases[] = {
        {"five items, three rows", {0, 0, 999, 599}, 5, {12, 9, 5, 17, 50, 47, 834, 17, 154, 222, 3}},
        {"one item, one row", {0, 0, 999, 599}, 1, {12, 9, 5, 17, 50, 47, 834, 17, 154, 86, 1}},
        {"twenty items overflow: cells shrink to the available height",
         {0, 0, 999, 599}, 20, {12, 9, 5, 17, 50, 33, 834, 17, 154, 565, 10}},
        {"no items: no rows", {0, 0, 999, 599}, 0, {12, 9, 5, 17, 50, 47, 834, 17, 154, 18, 0}},
        {"offset narrow area", {100, 50, 699, 449}, 4, {7, 6, 3, 17, 30, 25, 602, 64, 91, 100, 2}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(alphabetBoxLayout(c.area, c.count, fh), c.layout) << c.what;
}

TEST(AlphabetBox, FiveItemsFillColumnZeroFirst)
{
    GraphBench b(1000, 600);
    const std::uint16_t list[] = {2, 4, 6, 8, 10};
    const auto redSecond = [](std::int32_t i) { return i == 1 ? cellRed : cellPlain; };
    const AlphabetBoxLayout a =
        drawAlphabetBox(b.canvas, Rect{0, 0, 999, 599}, 5, list, *b.series, 128, redSecond, fh);
    EXPECT_EQ(a, alphabetBoxLayout(Rect{0, 0, 999, 599}, 5, fh));

    // Cells at x0 = 846 + 74 c, y0 = 26 + 68 r; letters 2 pixels below the cell top.
    struct Run {
        std::string text;
        std::int32_t x, y;
    };
    const Run expected[] = {
        {" Alphabet, 5 items ", 841, 8},
        {" b ", 846, 28}, {" h ", 920, 28}, // row 0: items 0 and 3
        {" d ", 846, 96}, {" j ", 920, 96}, // row 1: items 1 and 4
        {" f ", 846, 164},                  // row 2: item 2; item 5 does not exist
    };
    ASSERT_EQ(b.text.runs.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(b.text.runs[i].text, expected[i].text) << i;
        EXPECT_EQ(b.text.runs[i].x, expected[i].x) << i;
        EXPECT_EQ(b.text.runs[i].y, expected[i].y) << i;
    }
    // Frame over columns 834 … 988, rows 17 … 239.
    EXPECT_EQ(b.at(834, 17), colors::black);
    EXPECT_EQ(b.at(988, 239), colors::black);
    EXPECT_EQ(b.at(989, 17), colors::white);
    EXPECT_EQ(b.at(834, 240), colors::white);
    // The rule is asked by item index: item 1 (row 1, column 0) is red, item 0 is not.
    EXPECT_EQ(b.at(843, 94 + 21 - 1), colors::red);
    EXPECT_EQ(b.at(843, 26 + 21 - 1), colors::white);
    // Row 2 of column 1 stays empty.
    EXPECT_EQ(b.at(920 + 10, 162 + 21 + 10), colors::white);
}

TEST(AlphabetBox, TitleNamesTheCountLongOrShort)
{
    struct Case {
        Rect area;
        std::uint16_t count;
        std::string title;
    };
    const Case cases[] = {
        {{0, 0, 999, 599}, 1, " Alphabet, 1 item "},
        {{0, 0, 999, 599}, 2, " Alphabet, 2 items "},
        {{0, 0, 999, 599}, 5, " Alphabet, 5 items "},
        {{0, 0, 599, 599}, 1, " Alph: 1 "}, // box 91 pixels wide
        {{0, 0, 599, 599}, 5, " Alph: 5 "},
    };
    for (const Case& c : cases) {
        GraphBench b(1000, 600);
        const std::uint16_t list[] = {1, 2, 3, 4, 5};
        drawAlphabetBox(b.canvas, c.area, c.count, list, *b.series, 128, {}, fh);
        ASSERT_FALSE(b.text.runs.empty()) << c.title;
        EXPECT_EQ(b.text.runs[0].text, c.title);
        EXPECT_EQ(b.text.runs.size(), 1u + c.count) << c.title;
    }
}

// ---- pattern tuple boxes -----------------------------------------------------------

// Alphabet box quantities of the 1000 × 600 area: mx 12, my 9, cw 50, ch 47.
const AlphabetBoxLayout viewBox = alphabetBoxLayout(Rect{0, 0, 999, 599}, 5, fh);

TEST(AlphabetBox, PatternBoxSizesShrinkToTheAvailableWidth)
{
    struct Case {
        const char* what;
        bool all; // pattern subsets rather than the one tuple
        std::optional<std::int32_t> available;
        PatternBoxLayout layout; // px, py, pcw, pch, bw, bh, caption
    };
    const TextSize one{15 * 7, 16}, all{16 * 7, 16};
    const Case cases[] = {
        {"one tuple, no limit", false, std::nullopt, {4, 3, 58, 69, 191, 75, one}},
        {"one tuple, wide enough", false, 191, {4, 3, 58, 69, 191, 75, one}},
        {"one tuple, narrowed", false, 150, {4, 3, 44, 69, 149, 75, one}},
        {"one tuple, raised to the caption", false, 100, {4, 3, 27, 69, 125, 75, one}},
        {"all subsets, no limit", true, std::nullopt, {2, 2, 50, 60, 159, 126, all}},
        {"all subsets, narrowed", true, 150, {2, 2, 47, 60, 150, 126, all}},
        {"all subsets, raised to the caption", true, 120, {2, 2, 37, 60, 132, 126, all}},
    };
    for (const Case& c : cases) {
        GraphBench b;
        const std::int32_t row0[] = {1, 2}, row1[] = {3, 4, 5};
        const std::int32_t* rows[] = {row0, row1};
        const std::int32_t sizes[] = {2, 3};
        addSomeSelectedSubsetToSeriesHeader(b.window(), sizes, rows, 2, 2, 3, 2, 3, 1, b.series);
        const std::int32_t members[] = {1, 2, 3};
        setSelectedSubset(b.window(), members, 3, 2, 1, b.series);
        const PatternBoxLayout layout = c.all ? patternTuplesBoxLayout(b.canvas, viewBox, *b.series, c.available, fh)
                                              : patternTupleBoxLayout(b.canvas, viewBox, *b.series, c.available, fh);
        EXPECT_EQ(layout, c.layout) << c.what;
    }
}

TEST(AlphabetBox, PatternTupleBoxDrawsItsMembersInARow)
{
    GraphBench b(400, 500);
    const std::int32_t members[] = {3, 1, 2};
    setSelectedSubset(b.window(), members, 3, 2, 1, b.series);
    const PatternBoxLayout box = patternTupleBoxLayout(b.canvas, viewBox, *b.series, std::nullopt, fh);
    drawPatternTupleBox(b.canvas, box, 100, 300, *b.series, 128, fh);

    // Rows from x = 104 + 62 t, y = 303; letters at (x + 4, y − 3 − 1 + 2); caption over the right end.
    const std::vector<std::pair<std::string, Pixel>> expected = {
        {" c ", {108, 301}}, {" a ", {170, 301}}, {" b ", {232, 301}}, {" pattern tuple ", {176, 288}}};
    ASSERT_EQ(b.text.runs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(b.text.runs[i].text, expected[i].first) << i;
        EXPECT_EQ(b.text.runs[i].x, expected[i].second.first) << i;
        EXPECT_EQ(b.text.runs[i].y, expected[i].second.second) << i;
    }
    // Frame (100, 297, 291, 375).
    EXPECT_EQ(b.at(100, 297), colors::black);
    EXPECT_EQ(b.at(290, 374), colors::black);
    EXPECT_EQ(b.at(291, 297), colors::white);
    EXPECT_EQ(b.at(100, 296), colors::white);
}

TEST(AlphabetBox, PatternTuplesBoxStoresRowRectanglesAndRowModes)
{
    GraphBench b(400, 500);
    const std::int32_t row0[] = {1, 2}, row1[] = {3, 4, 5};
    const std::int32_t* rows[] = {row0, row1};
    const std::int32_t sizes[] = {2, 3};
    addSomeSelectedSubsetToSeriesHeader(b.window(), sizes, rows, 2, 2, 3, 2, 3, 1, b.series);
    const PatternBoxLayout box = patternTuplesBoxLayout(b.canvas, viewBox, *b.series, std::nullopt, fh);
    std::array<Rect, 2> hits{};
    const auto redRow1 = [](std::int32_t k) { return k == 1 ? cellRed : cellPlain; };
    drawPatternTuplesBox(b.canvas, box, 100, 300, *b.series, 128, redRow1, hits.data(), fh);

    EXPECT_EQ(hits[0], (Rect{102, 301, 261, 363}));
    EXPECT_EQ(hits[1], (Rect{102, 363, 261, 425}));
    const std::vector<std::pair<std::string, Pixel>> expected = {
        {" a ", {104, 300}}, {" b ", {156, 300}},                       // row 0 at y 301
        {" c ", {104, 362}}, {" d ", {156, 362}}, {" e ", {208, 362}}, // row 1 at y 363
        {" pattern tuples ", {137, 288}}};
    ASSERT_EQ(b.text.runs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(b.text.runs[i].text, expected[i].first) << i;
        EXPECT_EQ(b.text.runs[i].x, expected[i].second.first) << i;
        EXPECT_EQ(b.text.runs[i].y, expected[i].second.second) << i;
    }
    // Frame (100, 297, 259, 426); the cell blocks stand 3 pixels left of the cells.
    EXPECT_EQ(b.at(100, 297), colors::black);
    EXPECT_EQ(b.at(258, 425), colors::black);
    EXPECT_EQ(b.at(259, 300), colors::white);
    EXPECT_EQ(b.at(101, 360 + 21 - 1), colors::red) << "row 1 red";
    EXPECT_EQ(b.at(101, 298 + 21 - 1), colors::white) << "row 0 plain";
}

// ---- pens and brushes --------------------------------------------------------------

TEST(GraphHelpers, EveryRoutineLeavesTheCallersPenAndBrush)
{
    using Draw = std::function<void(GraphBench&)>;
    const Rect graph{20, 30, 120, 70};
    const std::pair<const char*, Draw> routines[] = {
        {"axis cross", [&](GraphBench& b) { drawAxisCross(b.canvas, graph); }},
        {"series curve", [&](GraphBench& b) { drawSeriesCurve(b.canvas, graph, 128, *b.series); }},
        {"placed pulses", [&](GraphBench& b) { drawPlacedPulses(b.canvas, graph, 128, *b.series, PulseSelector::kept); }},
        {"kept shading", [&](GraphBench& b) { drawKeptShading(b.canvas, graph, 128, *b.series); }},
        {"pulse labels", [&](GraphBench& b) { drawPulseLabels(b.canvas, graph, 2, 0, true, *b.series); }},
        {"detected marks", [&](GraphBench& b) { drawDetectedMarks(b.canvas, graph, *b.series); }},
        {"tuple frames", [&](GraphBench& b) { drawTupleFrames(b.canvas, graph, *b.series); }},
        {"tuple backgrounds", [&](GraphBench& b) { drawTupleBackgrounds(b.canvas, graph, *b.series); }},
        {"red cell", [&](GraphBench& b) { drawPulseCell(b.canvas, b.slots[0], 128, 2, Rect{50, 40, 90, 80}, fh); }},
        {"grey cell", [&](GraphBench& b) { drawPulseCell(b.canvas, b.slots[0], 128, 1, Rect{50, 40, 90, 80}, fh); }},
        {"alphabet box",
         [&](GraphBench& b) {
             const std::uint16_t list[] = {1, 2, 3};
             drawAlphabetBox(b.canvas, Rect{0, 0, 399, 299}, 3, list, *b.series, 128,
                             [](std::int32_t i) { return i; }, fh);
         }},
        {"pattern tuple box",
         [&](GraphBench& b) {
             const PatternBoxLayout box = patternTupleBoxLayout(b.canvas, viewBox, *b.series, std::nullopt, fh);
             drawPatternTupleBox(b.canvas, box, 20, 100, *b.series, 128, fh);
         }},
        {"pattern tuples box",
         [&](GraphBench& b) {
             const PatternBoxLayout box = patternTuplesBoxLayout(b.canvas, viewBox, *b.series, 300, fh);
             drawPatternTuplesBox(b.canvas, box, 20, 100, *b.series, 128, [](std::int32_t) { return cellRed; },
                                  nullptr, fh);
         }},
    };
    const Color callerPen{1, 2, 3};
    const Brush callerBrush{Color{4, 5, 6}, false};
    for (const auto& [name, draw] : routines) {
        GraphBench b;
        b.series->dwSeriesSize = 201;
        b.setPlaced({{10, 1, 2, 15}, {60, 2, 0, 19}});
        b.setDetected({{12, 1, 0, 19}, {62, 2, 3, 12}});
        b.series->wDetTuples = 1;
        b.series->lpTupleFirst[0] = 1;
        b.series->lpTupleLast[0] = 2;
        const std::int32_t row[] = {1, 2};
        const std::int32_t* rows[] = {row};
        const std::int32_t sizes[] = {2};
        addSomeSelectedSubsetToSeriesHeader(b.window(), sizes, rows, 1, 1, 2, 1, 3, 1, b.series);
        b.canvas.selectPen(callerPen);
        b.canvas.selectBrush(callerBrush);
        draw(b);
        EXPECT_EQ(b.canvas.selectPen(colors::black), callerPen) << name;
        EXPECT_EQ(b.canvas.selectBrush(Brush{}), callerBrush) << name;
        EXPECT_TRUE(!b.ink().empty() || !b.text.runs.empty()) << name << " drew something";
    }
}

} // namespace
} // namespace mirokel

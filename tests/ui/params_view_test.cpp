// The series parameters view, headless: a started application opens the view from the
// menu and paints it on a 1280 × 960 surface (characters 7 × 16, lines of 15); clicks,
// moves and releases go to the rectangles and lines that paint stored, and the
// incremental paints draw only what the commands invalidated, over the previous picture.
#include "ui/params_view.h"

#include "app/command_ids.h"
#include "app/startup.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"
#include "ui/mouse.h"
#include "ui/paint.h"
#include "ui/params_view_input.h"

#include "block_text_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace mirokel {

[[maybe_unused]] static void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

[[maybe_unused]] static void PrintTo(const Color& c, std::ostream* os)
{
    *os << "RGB(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

namespace {

constexpr std::int32_t resultView = 6, subsetPanelView = 9, paramsView = 10;
constexpr Color background{235, 240, 225};

struct Point {
    std::int32_t x, y;
};

// Of the default view: x of pulse k, and points on the lines and handles that lie on
// nothing else the press tests.
std::int32_t pulseX(std::int32_t k) { return 329 + (k - 1) * 744 / 29; }
constexpr Point onTmaxLine{354, 647};   // (316, 802) – (393, 488)
constexpr Point onTminLine{579, 329};   // (380, 508) – (778, 149)
constexpr Point onAPlusHandle{548, 750}; // (326, 746) – (771, 754)
constexpr Point onBMinusHandle{548, 255};
constexpr Point nowhere{1000, 600};

// The view of the default series (N 1200, L 20, Tmin 40, Tmax 181, 18 pulses) as the
// first paint lays it out: rcGraph (10, 10, 1114, 947), gaps dx 6 and dy 7, the plot
// (329, 162) – (1072, 843), W 744, H 682, pulse k at 329 + (k − 1)·744 / 29, position p
// at 843 − p·682 / 1180. `seriesCommand` picks the series type first (0: the start-up
// type, fixed tuples).
class ParamsBench {
public:
    explicit ParamsBench(std::uint16_t seriesCommand = 0)
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        if (seriesCommand != 0) onCommand(app, seriesCommand);
        onCommand(app, command::viewSeriesParameters);
        paintAll();
    }
    ~ParamsBench()
    {
        failAllocationAt(0);
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), live) << "shutdown releases every owned object";
    }

    // A paint of the whole surface, as after an exposure.
    void paintAll()
    {
        scripted.services.invalidations.clear();
        text.recorder.runs.clear();
        onPaint(scripted.window(), state, canvas, clock, 1280, 960);
    }
    // The paint that follows the commands: only what they invalidated.
    void paintInvalidated()
    {
        text.recorder.runs.clear();
        scripted.services.paintInvalidated(canvas, [this] { onPaint(scripted.window(), state, canvas, clock, 1280, 960); });
    }

    void press(Point p) { onLButtonDown(app, 0, static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y)); }
    void move(Point p) { onMouseMove(app, static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y)); }
    void release(Point p) { onLButtonUp(app, static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y)); }
    // A drag as the pointer makes it: onto the target (the hover), press, moves, release.
    void drag(Point from, std::initializer_list<Point> moves, Point to)
    {
        move(from);
        press(from);
        for (const Point& p : moves) move(p);
        release(to);
    }

    // The texts the last paint drew with their top-left corner at (x, y).
    std::vector<std::string> textsAt(std::int32_t x, std::int32_t y) const
    {
        std::vector<std::string> found;
        for (const TextRun& run : runs())
            if (run.x == x && run.y == y) found.push_back(run.text);
        return found;
    }
    bool blackIn(const Rect& area) const // right and bottom exclusive
    {
        for (std::int32_t y = area.top; y < area.bottom; ++y)
            for (std::int32_t x = area.left; x < area.right; ++x)
                if (pixel(x, y) == colors::black) return true;
        return false;
    }

    ParamsHeader& params() { return *state.lpParamsHeader; }
    Color pixel(std::int32_t x, std::int32_t y) const { return canvas.getPixel(x, y); }
    const std::vector<TextRun>& runs() const { return text.recorder.runs; }

    const std::int64_t live = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    bool started = false;
    Surface surface{1280, 960};
    test::BlockTextEngine text;
    Canvas canvas{surface, text};
};

// ---- Drawing ----

TEST(ParamsView, DefaultSeriesShowsItsValuesAlignedOnThePulsesLabel)
{
    ParamsBench b;
    ASSERT_TRUE(b.started);
    ASSERT_EQ(b.state.dwViewMode, paramsView);
    EXPECT_EQ(b.params().rcPlot, (Rect{329, 162, 1072, 843}));
    // Each label ends at 22 + the width of " pulses = " (70); its value follows there.
    const struct {
        std::int32_t y;
        std::string label;
        std::int32_t labelX;
        std::string value;
    } lines[] = {{113, " a   = ", 43, "0     "},       {128, " a+ = ", 50, "161     "},
                 {143, " b-  = ", 43, "1019     "},    {158, " b   = ", 43, "1180     "},
                 {188, " Tmin = ", 36, "40 [40]    "}, {203, " Tmax = ", 36, "181     "},
                 {218, " pulses = ", 22, "18     "},   {233, " Mmin = ", 36, "6 [6]     "},
                 {248, " Mmax = ", 36, "30 [30]     "}};
    for (const auto& line : lines) {
        EXPECT_EQ(b.textsAt(line.labelX, line.y), std::vector<std::string>{line.label});
        EXPECT_EQ(b.textsAt(92, line.y), std::vector<std::string>{line.value});
    }
    EXPECT_EQ(b.textsAt(22, 38), std::vector<std::string>{" (380,508) - (778,149) "}) << "the Tmin line's hit line";
    EXPECT_EQ(b.textsAt(22, 83), std::vector<std::string>{" w 744, h 682"});
    // Position labels left of the axis, the first pulse numbers and counts under it.
    EXPECT_EQ(b.textsAt(302, 742), std::vector<std::string>{"161"});
    EXPECT_EQ(b.textsAt(295, 153), std::vector<std::string>{"1180"});
    EXPECT_EQ(b.textsAt(325, 851), std::vector<std::string>{"1"});
    EXPECT_EQ(b.textsAt(453, 867), std::vector<std::string>{"6"}) << "Mmin under pulse 6";
}

TEST(ParamsView, FramesButtonsAndTheTminEntryHaveTheirPlaces)
{
    ParamsBench b;
    EXPECT_EQ(b.pixel(12, 12), background) << "rcGraph filled";
    EXPECT_EQ(b.pixel(100, 600), colors::white) << "outer frame";
    EXPECT_EQ(b.pixel(10, 10), colors::black) << "rcGraph outlined";
    EXPECT_EQ(b.params().rcFrame, (Rect{289, 127, 1102, 891}));
    EXPECT_EQ(b.state.rcParamsCancel, (Rect{16, 905, 100, 934}));
    EXPECT_EQ(b.state.rcParamsOk, (Rect{114, 905, 198, 934}));
    EXPECT_EQ(b.textsAt(22, 861), std::vector<std::string>{" Tmin "});
    EXPECT_TRUE(b.scripted.services.tminEditShown);
    EXPECT_EQ(b.scripted.services.tminEditPlace, (Rect{64, 860, 99, 878})) << "right of \" Tmin \", as wide as \" 9999\"";
    EXPECT_EQ(b.scripted.services.tminEditTyped, "40");
    EXPECT_EQ(b.params().dwRedraw, 0);
}

TEST(ParamsView, BoundLinesLevelsAndMarkerOfTheDefaultSeries)
{
    ParamsBench b;
    const ParamsHeader& p = b.params();
    const ParamsLine expected[] = {{316, 802, 393, 488}, {380, 508, 778, 149}, {316, 855, 714, 496}, {701, 516, 778, 202}};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(p.alnDrawn[i] == expected[i]) << "line " << i << ": " << p.alnDrawn[i].x0 << "," << p.alnDrawn[i].y0
                                                  << " " << p.alnDrawn[i].x1 << "," << p.alnDrawn[i].y1;
    EXPECT_EQ(p.lnTmax.h, 4);
    EXPECT_EQ(b.pixel(316, 802), colors::black);
    EXPECT_EQ(b.pixel(pulseX(18), 500), colors::black) << "marker of 18 pulses";
    EXPECT_EQ(b.pixel(326, 750), colors::black) << "first dot of a+";
    EXPECT_NE(b.pixel(327, 750), colors::black) << "every second pixel";
    EXPECT_EQ(p.rcAPlusHandle, (Rect{326, 746, 771, 754}));
    EXPECT_EQ(p.pulsesSelectedAreas[0], (Rect{445, 835, 469, 851})) << "pick of 6 pulses";
}

// ---- Picks and the incremental paint ----

TEST(ParamsView, PickingMminShortensTheDiagramAndErasesWhatStoodBeyond)
{
    ParamsBench b;
    const Rect pick = b.params().pulsesSelectedAreas[0];
    b.press({pick.left, pick.bottom});
    EXPECT_EQ(b.params().dwPulses, 6);
    EXPECT_EQ(b.params().dwRedraw, 1);
    ASSERT_EQ(b.scripted.services.invalidations,
              (std::vector<RecordedInvalidation>{{{10, 0, 1114, 947}, false}}))
        << "rcGraph raised by 10, without erase";
    b.paintInvalidated();

    EXPECT_EQ(b.pixel(12, 12), background) << "the background was kept, not drawn again";
    const std::int32_t oldX = pulseX(18), newX = pulseX(6);
    EXPECT_FALSE(b.blackIn({oldX, 162, oldX + 1, 843})) << "the old marker";
    EXPECT_EQ(b.pixel(newX, 500), colors::black) << "the new marker";
    for (std::int32_t k = 1; k <= 18; ++k)
        EXPECT_EQ(b.pixel(pulseX(k), 842) == colors::black, k <= 6) << "upward tick of pulse " << k;
    EXPECT_EQ(b.pixel(326, 750), colors::black);
    EXPECT_FALSE(b.blackIn({newX + 6, 750, oldX + 7, 751})) << "the a+ dots beyond the new end";
    EXPECT_FALSE(b.blackIn({newX + 20, 161, oldX + 1, 162})) << "the b level beyond pulse 6 and the Tmin line's end";
    // The pulse numbers 7 … 18 under the axis are cleared; 1 … 6 and the counts stay.
    EXPECT_FALSE(b.blackIn({pulseX(6) + 5, 851, pulseX(18) + 4, 867}));
    EXPECT_TRUE(b.blackIn({pulseX(6) - 10, 851, pulseX(6) + 4, 867}));
    EXPECT_EQ(b.textsAt(92, 218), std::vector<std::string>{"6     "});
    EXPECT_EQ(b.params().dwRedraw, 0);
}

// ---- Drags ----

TEST(ParamsView, DragsOfTheLinesAreRefusedOutsideTheirBounds)
{
    const struct {
        const char* what;
        Point on;
        Point to;
        std::int32_t tmin, tmax; // after the move
        bool dragging;
    } cases[] = {
        {"Tmax line up a little", onTmaxLine, {393, 440}, 40, 216, true},
        {"Tmax line below Tmin", onTmaxLine, {1000, 840}, 40, 181, false},
        {"Tmax line above b-", onTmaxLine, {335, 170}, 40, 181, false},
        {"Tmin line to 50", onTminLine, {559, 393}, 50, 181, true},
        {"Tmin line below the pulse length", onTminLine, {700, 180}, 40, 181, false},
        {"Tmin line above Tmax", onTminLine, {760, 800}, 40, 181, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParamsBench b;
        ParamsHeader& p = b.params();
        b.move(c.on);
        b.press(c.on);
        ASSERT_EQ(p.dwDragTmax + p.dwDragTmin, 1) << "the press starts a drag";
        b.scripted.services.invalidations.clear();
        b.move(c.to);
        EXPECT_EQ(p.dwTmin, c.tmin);
        EXPECT_EQ(p.dwTmax, c.tmax);
        EXPECT_EQ(p.dwDragTmax + p.dwDragTmin, c.dragging ? 1 : 0);
        EXPECT_EQ(b.scripted.services.invalidations.size(), 1u) << "repainted without erase either way";
        // A refused drag has ended: a later move to an admissible point changes nothing.
        b.move(c.on);
        if (!c.dragging) {
            EXPECT_EQ(p.dwTmin + p.dwTmax, 40 + 181);
        }
        b.release(c.on);
        EXPECT_EQ(p.dwDragTmax + p.dwDragTmin, 0);
    }
}

TEST(ParamsView, ReadoutAfterADragShowsTheTminOfTheLastPaintInBrackets)
{
    ParamsBench b;
    b.drag(onTminLine, {{559, 393}}, {559, 393});
    ASSERT_EQ(b.params().dwTmin, 50);
    b.paintInvalidated();
    EXPECT_EQ(b.textsAt(92, 188), std::vector<std::string>{"50 [40]    "});
    EXPECT_EQ(b.textsAt(92, 248), std::vector<std::string>{"30 [24]     "}) << "1180 / 50 + 1 pulses at most";
    EXPECT_FALSE(b.blackIn({579, 327, 580, 332})) << "the old Tmin line was erased";
    EXPECT_EQ(b.params().lnTmin.x1, 778) << "the new line still ends half a step beyond pulse 18";
    b.press(nowhere); // no target: nothing changes, nothing is repainted by the view
    b.paintAll();
    EXPECT_EQ(b.textsAt(92, 188), std::vector<std::string>{"50 [50]    "});
}

TEST(ParamsView, APlusDraggedAboveBIsKeptAndDrawnAboveThePlot)
{
    ParamsBench b;
    b.drag(onAPlusHandle, {{500, 400}}, {500, 112});
    const ParamsHeader& p = b.params();
    EXPECT_EQ(p.dwAPlus, (843 - 112) * 1180 / 682) << "1264, above b";
    EXPECT_EQ(p.dwDragAPlus, 0);
    b.paintInvalidated();
    EXPECT_EQ(p.lnAPlusDots.y0, 113);
    EXPECT_LT(p.lnAPlusDots.y0, p.rcPlot.top);
    EXPECT_EQ(b.pixel(326, 113), colors::black);
    EXPECT_EQ(b.pixel(400, 750), paramsEraseColor) << "the old dots";
    EXPECT_FALSE(b.blackIn({302, 742, 323, 758})) << "the old label 161";
    EXPECT_EQ(b.textsAt(92, 128), std::vector<std::string>{"1264     "});
}

TEST(ParamsView, AdmissibleIntervals)
{
    // b 1180, a 0, pulse length 20, Tmin 40, Tmax 181, b− 1019.
    const struct {
        const char* what;
        bool tmax; // acceptTmax, else acceptTmin
        std::int32_t value, pulses, aPlus;
        bool accepted;
    } cases[] = {
        {"Tmin at the pulse length", false, 20, 18, 161, true},
        {"Tmin below the pulse length", false, 19, 18, 161, false},
        {"Tmin equal to Tmax", false, 181, 6, 161, true},
        {"Tmin above Tmax", false, 182, 6, 161, false},
        {"Tmin leaving room for M pulses", false, 40, 30, 161, true},
        {"Tmin too long for M pulses", false, 41, 30, 161, false},
        {"M below the fewest from a+ to b-", false, 40, 3, 161, false},
        {"a+ at b-: one pulse spans", false, 40, 3, 1019, true},
        {"a+ above b-", false, 40, 1, 1100, true},
        {"Tmax equal to Tmin", true, 40, 18, 161, false},
        {"Tmax just above Tmin", true, 41, 22, 161, true},
        {"Tmax up to b-", true, 1019, 18, 161, true},
        {"Tmax above b-", true, 1020, 18, 161, false},
        {"Tmax too short to span a+ … b- in M pulses", true, 181, 3, 161, false},
        {"Tmax with a+ above b-", true, 181, 3, 1100, true},
        {"Tmax of 0", true, 0, 18, 161, false},
    };
    for (const auto& c : cases) {
        ParamsHeader p;
        p.dwB = 1180;
        p.dwImpulseSize = 20;
        p.dwTmin = 40;
        p.dwTmax = 181;
        p.dwBMinus = 1019;
        p.dwPulses = c.pulses;
        p.dwAPlus = c.aPlus;
        EXPECT_EQ(c.tmax ? acceptTmax(c.value, p) : acceptTmin(c.value, p), c.accepted) << c.what;
    }
}

TEST(ParamsView, LineHitsWithinTheBandAndNeverOnAVerticalLine)
{
    const struct {
        ParamsHitLine line;
        Point point;
        bool hit;
    } cases[] = {
        {{100, 200, 200, 100, 3}, {150, 150}, true},
        {{100, 200, 200, 100, 3}, {150, 153}, true},
        {{100, 200, 200, 100, 3}, {150, 154}, false},
        {{100, 200, 200, 100, 3}, {150, 146}, false},
        {{100, 200, 200, 100, 3}, {100, 200}, true},
        {{100, 200, 200, 100, 3}, {99, 200}, false},
        {{100, 200, 200, 100, 3}, {200, 100}, true},
        {{100, 200, 200, 100, 3}, {201, 100}, false},
        {{100, 50, 100, 150, 3}, {100, 100}, false}, // both ends at x 100
    };
    for (const auto& c : cases) {
        ParamsHeader p;
        p.lnTmax = p.lnTmin = c.line;
        EXPECT_EQ(hitTmaxLine(c.point.x, c.point.y, p), c.hit) << c.point.x << ", " << c.point.y;
        EXPECT_EQ(hitTminLine(c.point.x, c.point.y, p), c.hit);
    }
}

// ---- Hovers ----

TEST(ParamsView, HoverCapturesAndShowsAResizeCursorUntilThePointerLeaves)
{
    const struct {
        const char* what;
        Point inside;
        std::int32_t ParamsHeader::*hover;
        CursorShape shape;
    } cases[] = {
        {"a+ handle", onAPlusHandle, &ParamsHeader::dwHoverAPlus, CursorShape::sizeVertical},
        {"b- handle", onBMinusHandle, &ParamsHeader::dwHoverBMinus, CursorShape::sizeVertical},
        {"Tmin line", onTminLine, &ParamsHeader::dwHoverTmin, CursorShape::sizeDiagonal},
        {"Tmax line", onTmaxLine, &ParamsHeader::dwHoverTmax, CursorShape::sizeDiagonal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParamsBench b;
        RecordingWindowServices& w = b.scripted.services;
        const CursorShape before = c.shape == CursorShape::sizeVertical ? CursorShape::sizeDiagonal : CursorShape::sizeVertical;
        w.cursor = before; // whatever the window showed is what comes back
        b.move(c.inside);
        EXPECT_EQ(b.params().*c.hover, 1);
        EXPECT_TRUE(w.mouseCaptured);
        EXPECT_EQ(w.cursor, c.shape);
        EXPECT_EQ(b.state.hSavedCursor, before);
        b.move(c.inside); // staying inside changes nothing
        EXPECT_EQ(w.cursor, c.shape);
        b.move(nowhere);
        EXPECT_EQ(b.params().*c.hover, 0);
        EXPECT_FALSE(w.mouseCaptured);
        EXPECT_EQ(w.cursor, before);
        EXPECT_TRUE(w.invalidations.empty()) << "hovering repaints nothing";
    }
}

// Enter leaves the view with the pointer where it is: no other view would end the hover
// or the drag, so leaving does.
TEST(ParamsView, LeavingWithEnterEndsAHoverAndADrag)
{
    ParamsBench b(command::unfixedWhole);
    RecordingWindowServices& w = b.scripted.services;
    b.move(onAPlusHandle);
    b.press(onAPlusHandle);
    ASSERT_TRUE(w.mouseCaptured);
    ASSERT_EQ(b.params().dwDragAPlus, 1);
    w.tminEditTyped = "35";
    onTminEditEnter(b.app);
    ASSERT_EQ(b.state.dwViewMode, resultView);
    EXPECT_FALSE(w.mouseCaptured);
    EXPECT_EQ(w.cursor, CursorShape::arrow);
    EXPECT_EQ(b.params().dwHoverAPlus, 0);
    EXPECT_EQ(b.params().dwDragAPlus, 0);
}

// ---- " OK ", " Cancel " and the Tmin entry ----

TEST(ParamsView, OkTakesATypedTminTheBuilderCanUseAndCancelLeavesIt)
{
    enum class Press { ok, enter, cancel };
    const struct {
        const char* typed;
        Press press;
        std::uint16_t tmin; // wTmin afterwards
        const char* refusal; // "" when the view is left
    } cases[] = {
        {"35", Press::ok, 35, ""},
        {"  +35 pulses", Press::ok, 35, ""},
        {"35", Press::enter, 35, ""},
        {"abc", Press::ok, 40, "Tmin must be at least 1."},
        {"0", Press::ok, 40, "Tmin must be at least 1."},
        {"200", Press::enter, 40, "Tmax (181) must not be below Tmin (200)."},
        {"35", Press::cancel, 40, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.press == Press::cancel ? " cancelled" : ""));
        ParamsBench b(command::unfixedWhole);
        b.scripted.services.tminEditTyped = c.typed;
        const std::uint32_t sequence = b.state.streams.dwSequenceState;
        if (c.press == Press::enter) {
            onTminEditEnter(b.app);
        } else {
            const Rect& button = c.press == Press::ok ? b.state.rcParamsOk : b.state.rcParamsCancel;
            b.press({button.left + 5, button.top + 5});
        }
        EXPECT_EQ(b.state.wTmin, c.tmin);
        const bool refused = *c.refusal != '\0';
        if (refused) {
            EXPECT_EQ(b.scripted.messages(), (std::vector<RecordedMessage>{
                                                 {c.refusal, " View series parameters ", MessageIcon::exclamation}}));
            EXPECT_EQ(b.state.dwViewMode, paramsView);
            EXPECT_TRUE(b.scripted.services.tminEditShown);
            EXPECT_EQ(b.state.streams.dwSequenceState, sequence) << "no next data";
            continue;
        }
        EXPECT_TRUE(b.scripted.messages().empty());
        EXPECT_EQ(b.state.dwViewMode, resultView);
        EXPECT_FALSE(b.scripted.services.tminEditShown);
        ASSERT_NE(b.state.lpSeriesHeader, nullptr);
        EXPECT_EQ(b.state.lpSeriesHeader->wTmin, c.tmin) << "the next series was built with it";
        const Rect& column = b.state.rcButtonColumn;
        const RecordedInvalidation columnRepaint{{column.left, column.top, column.right + 1, column.bottom + 1}, true};
        const auto& repaints = b.scripted.services.invalidations;
        EXPECT_EQ(std::count(repaints.begin(), repaints.end(), columnRepaint), c.press == Press::cancel ? 0 : 1)
            << "the button column after OK only";
    }
}

TEST(ParamsView, TupleSeriesWithoutASubsetGoesToThePanelAndTheEntryHidesOutsideTheView)
{
    ParamsBench b; // fixed tuples, nothing composed
    ASSERT_EQ(b.state.dwSubsetSize, 0);
    b.scripted.services.tminEditTyped = "35";
    b.press({b.state.rcParamsOk.left + 5, b.state.rcParamsOk.top + 5});
    EXPECT_EQ(b.state.wTmin, 35);
    EXPECT_EQ(b.state.dwViewMode, subsetPanelView);

    // Left by "Next" instead, the entry does not stay over the next view.
    ParamsBench next(command::unfixedWhole);
    next.press({next.state.rcNextButton.left + 5, next.state.rcNextButton.top + 5});
    ASSERT_EQ(next.state.dwViewMode, resultView);
    next.paintInvalidated();
    EXPECT_FALSE(next.scripted.services.tminEditShown);
}

TEST(ParamsView, SeriesOfOnePulseCountStillDraws)
{
    // Mmax = (200 − 20 + 190) / 190 = 1: the diagram has no step between pulse counts.
    SeriesHeader series;
    series.dwSeriesSize = 200;
    series.wImpulseSize = 20;
    series.wTmin = 190;
    series.wTmax = 200;
    series.wImpulseQuantity = 1;
    ScriptedWindow scripted;
    ParamsHeader* params = getParamsHeader(scripted.window(), &series, nullptr);
    ASSERT_NE(params, nullptr);
    ASSERT_EQ(params->dwMaxPulses, 1);
    AppState state;
    state.rcGraph = {10, 10, 1114, 947};
    state.dwLineHeight = 15;
    state.dwCharWidth = 7;
    Surface surface{1280, 960};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
    drawParamsView(scripted.window(), canvas, state, params);
    EXPECT_EQ(params->ptPulsesMarkBottom.x, params->rcPlot.left) << "the one pulse stands on the axis";
    const Rect& pick = params->pulsesSelectedAreas[0];
    EXPECT_EQ((pick.left + pick.right) / 2, params->rcPlot.left);
    EXPECT_GT(pick.right, pick.left);
    freeParamsHeader(params);
}

} // namespace
} // namespace mirokel

// The subset selection panel, headless: the rectangles its paint stores (cells, strip,
// slots, buttons, reserved rows), the button labels and their order in both panels, the
// slots of the strip, the marked members, the reserved rows with the current one red,
// the one-paint life of dwJustAccepted, the out-of-memory paths and the raised button.
#include "ui/subset_panel.h"

#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "platform/allocation.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace mirokel {

static void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static void PrintTo(const Color& c, std::ostream* os)
{
    *os << "RGB(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

namespace {

constexpr Color panelColor{235, 240, 225};
constexpr Color emptySlotColor{160, 160, 160};
constexpr Color idleRowColor{215, 220, 205};
constexpr Color markedColor{163, 163, 163};
constexpr Color dark{125, 125, 125};
constexpr Color mid{165, 170, 165};
constexpr Rect untouched{-7, -7, -7, -7}; // a rectangle the paint must leave alone

enum class Panel { plain, tuple };

// Layout of rcGraph (10, 10, 1115, 949) with lines of 15 and characters of 7 pixels:
// gaps dx 6 and dy 7, cells 102 × 104 every 108 and 111 pixels, the strip's slots every
// 108 pixels from (22, 275), buttons 112 × 29 on row 393, reserved rows 544 × 97 from
// row 429 every 104 pixels, the second column from x 566.
constexpr std::int32_t slotPitch = 108;
constexpr std::int32_t rowPitch = 104;

// A started application with the panel's storage prepared, painted on a 1280 × 960
// surface with characters of 7 × 16 (line height 15); shutdown must release everything.
class PanelBench {
public:
    PanelBench()
    {
        initialiseStaticState(state);
        started = startApplication(scripted.window(), state);
        state.rcGraph = {10, 10, 1115, 949};
        state.dwLineHeight = 15;
        state.dwCharWidth = 7;
        if (state.lpSeriesHeader != nullptr) state.lpSeriesHeader->wMaxPulses = 10;
        unprepared = liveAllocations();
        prepared = prepareSubsetPanel(scripted.window(), state);
    }
    ~PanelBench()
    {
        failAllocationAt(0);
        shutDownApplication(scripted.window(), state);
        EXPECT_EQ(liveAllocations(), live) << "shutdown releases every owned object";
    }

    std::int32_t paint(Panel panel)
    {
        text.runs.clear();
        return panel == Panel::tuple ? drawTupleSubsetPanel(scripted.window(), canvas, state)
                                     : drawSubsetPanel(scripted.window(), canvas, state);
    }

    void compose(std::initializer_list<std::int32_t> members)
    {
        state.dwSubsetSize = 0;
        for (std::int32_t m : members) {
            state.selectedSubset[state.dwSubsetSize] = m;
            state.adwSubsetMarks[state.dwSubsetSize++] = 0;
        }
    }

    void reserve(std::initializer_list<std::int32_t> members)
    {
        const std::vector<std::int32_t> row(members);
        state.dwReservedCount = reserveSubset(row.data(), static_cast<std::int32_t>(row.size()),
                                              state.selectedSubsetArraySize, state.lpReservedSubsets,
                                              state.dwReservedCount, state.dwReservedCapacity);
    }

    // The texts drawn with their top-left corner at (x, y).
    std::vector<std::string> textsAt(std::int32_t x, std::int32_t y) const
    {
        std::vector<std::string> found;
        for (const TextRun& run : text.runs)
            if (run.x == x && run.y == y) found.push_back(run.text);
        return found;
    }

    // The button labels on the button row, left to right.
    std::vector<std::string> buttonRowLabels() const
    {
        std::vector<TextRun> row;
        for (const TextRun& run : text.runs)
            if (run.y == 399) row.push_back(run);
        std::sort(row.begin(), row.end(), [](const TextRun& a, const TextRun& b) { return a.x < b.x; });
        std::vector<std::string> labels;
        for (const TextRun& run : row) labels.push_back(run.text);
        return labels;
    }

    // The left-of-axis pixel of a cell's shape area: white on a plain glyph, the block's
    // colour on a grey or red one. `area` is the rectangle handed to the glyph.
    Color blockPixel(const Rect& area) const { return pixel(area.left - 1, area.top + 20); }

    Color pixel(std::int32_t x, std::int32_t y) const { return canvas.getPixel(x, y); }

    const std::int64_t live = liveAllocations();
    ScriptedWindow scripted;
    AppState state;
    bool started = false;
    std::int32_t prepared = 0;
    std::int64_t unprepared = 0; // blocks alive before the panel's storage was made
    Surface surface{1280, 960};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
};

// The glyph area of strip slot j: inset by dx on the left.
Rect slotGlyph(std::int32_t j) { return {22 + j * slotPitch + 6, 275, 0, 0}; }

// Frame of reserved row i: five rows in each column.
Rect rowFrame(std::int32_t i)
{
    const std::int32_t x = i < 5 ? 16 : 566;
    const std::int32_t y = 429 + (i % 5) * rowPitch;
    return {x, y, x + 545, y + 98};
}

// The member rectangle j of a reserved row with frame f.
Rect rowMember(const Rect& f, std::int32_t j) { return {f.left + j * 54 + 2, f.top - 2, f.left + j * 54 + 51, f.top + 74}; }

TEST(SubsetPanel, BenchStartsWithTheStoragePrepared)
{
    PanelBench b;
    ASSERT_TRUE(b.started);
    ASSERT_EQ(b.prepared, 1);
    ASSERT_NE(b.state.lpSeriesHeader, nullptr);
    EXPECT_EQ(b.state.lpSeriesHeader->wPulsesListCapacity, 20) << "the cell layout below assumes two rows";
}

// ---- Geometry ----

TEST(SubsetPanel, CellsStripAndSlotsAreStoredInBothPanels)
{
    const struct {
        std::int32_t index;
        Rect cell;
    } cells[] = {{0, {22, 24, 124, 128}}, {9, {994, 24, 1096, 128}}, {10, {22, 135, 124, 239}}, {19, {994, 135, 1096, 239}}};
    for (Panel panel : {Panel::plain, Panel::tuple}) {
        SCOPED_TRACE(panel == Panel::plain ? "plain panel" : "tuple panel");
        PanelBench b;
        ASSERT_EQ(b.paint(panel), 1);
        for (const auto& c : cells) EXPECT_EQ(b.state.arcSubsetCells[c.index], c.cell) << "cell " << c.index;
        EXPECT_EQ(b.state.rcSubsetStrip, (Rect{16, 268, 1109, 386}));
        EXPECT_EQ(b.state.possibleSubsetRect[0], (Rect{22, 275, 124, 379}));
        EXPECT_EQ(b.state.possibleSubsetRect[9], (Rect{994, 275, 1096, 379}));
    }
}

TEST(SubsetPanel, OneRowOfCellsIsTallerWhenTheSeriesHasAtMostTenEtalons)
{
    PanelBench b;
    b.state.lpSeriesHeader->wPulsesListCapacity = 10;
    b.state.wRequiredCount = 10;
    ASSERT_EQ(b.paint(Panel::plain), 1);
    EXPECT_EQ(b.state.arcSubsetCells[9], (Rect{994, 24, 1096, 239})) << "(229 − 2·7) / 1 rows";
    EXPECT_EQ(b.state.rcSubsetStrip, (Rect{16, 268, 1109, 497}));
    b.state.lpSeriesHeader->wPulsesListCapacity = 20;
}

TEST(SubsetPanel, ButtonsOfBothPanelsInLabelOrderWithTheirPlaces)
{
    const struct {
        Panel panel;
        std::int32_t buttons;
        std::vector<Rect> rects; // in label order
        std::vector<std::string> row; // labels left to right
    } cases[] = {
        {Panel::plain,
         4,
         {{16, 393, 128, 422}, {142, 393, 254, 422}, {268, 393, 380, 422}, {394, 393, 506, 422}},
         {" Delete All ", " Delete ", " Cancel ", " OK "}},
        {Panel::tuple,
         6,
         {{16, 393, 128, 422},
          {142, 393, 254, 422},
          {871, 393, 983, 422},
          {997, 393, 1109, 422},
          {268, 393, 380, 422},
          {394, 393, 506, 422}},
         {" Delete All ", " Delete ", " Accept ", " Clear All ", " Cancel ", " OK "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buttons);
        PanelBench b;
        ASSERT_EQ(b.paint(c.panel), 1);
        EXPECT_EQ(b.state.dwPanelButtons, c.buttons);
        for (std::size_t i = 0; i < c.rects.size(); ++i)
            EXPECT_EQ(b.state.ButtonsWhileSelectedSubsetRect[i], c.rects[i]) << "button " << i;
        EXPECT_EQ(b.buttonRowLabels(), c.row);
        EXPECT_EQ(b.textsAt(30, 399), std::vector<std::string>{" Delete All "}) << "label centred in its button";
    }
}

TEST(SubsetPanel, ButtonArrayIsMadeOnceWithEightOrSixEntries)
{
    for (Panel first : {Panel::plain, Panel::tuple}) {
        PanelBench b;
        const std::int64_t before = liveAllocations();
        ASSERT_EQ(b.paint(first), 1);
        EXPECT_EQ(liveAllocations(), before + 1);
        Rect* made = b.state.ButtonsWhileSelectedSubsetRect;
        ASSERT_EQ(b.paint(first == Panel::plain ? Panel::tuple : Panel::plain), 1);
        EXPECT_EQ(b.state.ButtonsWhileSelectedSubsetRect, made) << "a later paint keeps the array";
        EXPECT_EQ(liveAllocations(), before + 1);
        if (first == Panel::plain) {
            EXPECT_EQ(b.state.ButtonsWhileSelectedSubsetRect[6], (Rect{})) << "entries beyond six stay zero";
            EXPECT_EQ(b.state.ButtonsWhileSelectedSubsetRect[7], (Rect{}));
        }
    }
}

// ---- Drawing ----

TEST(SubsetPanel, BackgroundCellAreaAndOnlyThePulsesInUse)
{
    PanelBench b;
    b.state.wRequiredCount = 3;
    b.state.lpRequiredList[0] = 5;
    b.state.lpRequiredList[1] = 2;
    b.state.lpRequiredList[2] = 7;
    ASSERT_EQ(b.paint(Panel::plain), 1);
    EXPECT_EQ(b.pixel(10, 10), colors::black) << "rcGraph outlined";
    EXPECT_EQ(b.pixel(1115, 949), colors::black) << "outline reaches the inclusive corner";
    EXPECT_EQ(b.pixel(12, 12), panelColor);
    EXPECT_EQ(b.pixel(16, 17), colors::black) << "cell area outlined";
    EXPECT_EQ(b.pixel(18, 20), colors::white) << "cell area filled white";
    EXPECT_EQ(b.pixel(22 + 2 * slotPitch, 24), colors::black) << "third cell outlined";
    EXPECT_EQ(b.pixel(22 + 3 * slotPitch, 24), colors::white) << "fourth pulse is not in use";
    EXPECT_EQ(b.textsAt(28, 26), std::vector<std::string>{" e "}) << "glyph of list entry 0, inset by dx";
    EXPECT_EQ(b.textsAt(28 + slotPitch, 26), std::vector<std::string>{" b "});
    EXPECT_EQ(b.textsAt(28 + 2 * slotPitch, 26), std::vector<std::string>{" g "});
    EXPECT_TRUE(b.textsAt(28 + 3 * slotPitch, 26).empty());
}

TEST(SubsetPanel, StripShowsMinOfMaxPulsesAndTenSlots)
{
    const struct {
        std::uint16_t maxPulses;
        std::int32_t slots;
    } cases[] = {{0, 0}, {1, 1}, {4, 4}, {10, 10}, {25, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maxPulses);
        PanelBench b;
        b.state.lpSeriesHeader->wMaxPulses = c.maxPulses;
        std::fill_n(b.state.possibleSubsetRect, 10, untouched);
        ASSERT_EQ(b.paint(Panel::plain), 1);
        EXPECT_EQ(b.pixel(16, 268), colors::black) << "strip outlined";
        for (std::int32_t j = 0; j < 10; ++j) {
            const bool shown = j < c.slots;
            EXPECT_EQ(b.pixel(22 + j * slotPitch, 275), shown ? emptySlotColor : colors::white) << "slot " << j;
            EXPECT_EQ(b.state.possibleSubsetRect[j] == untouched, !shown) << "slot " << j;
        }
    }
}

TEST(SubsetPanel, MembersBeyondTheSeriesSlotsWidenTheStrip)
{
    PanelBench b;
    b.state.lpSeriesHeader->wMaxPulses = 2;
    b.compose({3, 1, 4, 1});
    b.state.adwSubsetMarks[3] = 1;
    std::fill_n(b.state.possibleSubsetRect, 10, untouched);
    ASSERT_EQ(b.paint(Panel::plain), 1);
    EXPECT_EQ(b.state.possibleSubsetRect[3], (Rect{346, 275, 448, 379})) << "the fourth member has a slot to click";
    EXPECT_EQ(b.state.possibleSubsetRect[4], untouched);
    EXPECT_EQ(b.pixel(346, 275), colors::black);
    EXPECT_EQ(b.pixel(22 + 4 * slotPitch, 275), colors::white);
    EXPECT_EQ(b.textsAt(352, 277), std::vector<std::string>{" a "});
    EXPECT_EQ(b.blockPixel(slotGlyph(3)), markedColor) << "and can be marked for deletion";
}

TEST(SubsetPanel, MembersInBlackFramesTheMarkedOnesGrey)
{
    PanelBench b;
    b.compose({2, 9, 2});
    b.state.adwSubsetMarks[1] = 1;
    ASSERT_EQ(b.paint(Panel::plain), 1);
    const struct {
        std::int32_t slot;
        const char* letter;
        Color frame, block;
    } cases[] = {
        {0, " b ", colors::black, colors::white},
        {1, " i ", colors::black, markedColor},
        {2, " b ", colors::black, colors::white},
        {3, nullptr, emptySlotColor, colors::white},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        const Rect glyph = slotGlyph(c.slot);
        EXPECT_EQ(b.pixel(22 + c.slot * slotPitch, 275), c.frame);
        EXPECT_EQ(b.blockPixel(glyph), c.block);
        const std::vector<std::string> letters = b.textsAt(glyph.left, glyph.top + 2);
        EXPECT_EQ(letters, c.letter ? std::vector<std::string>{c.letter} : std::vector<std::string>{});
    }
}

TEST(SubsetPanel, ReservedRowsInTwoColumnsTheCurrentOneRed)
{
    PanelBench b;
    for (std::int32_t i = 0; i < 7; ++i) b.reserve({i + 1, 20 - i});
    b.state.dwCurrentReserved = 6;
    for (std::int32_t i = 0; i < 10; ++i) b.state.possibleSubsetArrayRect[i][10] = untouched;
    ASSERT_EQ(b.paint(Panel::tuple), 1);
    EXPECT_EQ(b.textsAt(16, 444), std::vector<std::string>{" reserved subsets 10 "});
    for (std::int32_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const Rect frame = rowFrame(i);
        const Rect* row = b.state.possibleSubsetArrayRect[i];
        EXPECT_EQ(row[10], frame);
        EXPECT_EQ(row[0], rowMember(frame, 0));
        EXPECT_EQ(row[9], rowMember(frame, 9));
        const bool kept = i < 7;
        EXPECT_EQ(b.pixel(frame.left, frame.top), kept ? colors::black : idleRowColor);
        EXPECT_EQ(b.pixel(frame.right - 1, frame.bottom - 1), kept ? colors::black : idleRowColor);
        EXPECT_EQ(b.pixel(frame.right - 3, frame.bottom - 3), kept ? colors::white : panelColor);
        const Color block = i == 5 ? colors::red : kept ? colors::white : panelColor;
        EXPECT_EQ(b.blockPixel(row[0]), block);
        EXPECT_EQ(b.blockPixel(row[1]), block);
        EXPECT_EQ(b.pixel(row[2].left + 4, row[2].top + 20), kept ? colors::white : panelColor) << "a third member is not kept";
        const std::string first{' ', static_cast<char>('a' + i), ' '};
        EXPECT_EQ(b.textsAt(row[0].left, row[0].top + 2), kept ? std::vector<std::string>{first} : std::vector<std::string>{});
    }
}

TEST(SubsetPanel, ReservedRowsBelongToTheTuplePanelOnly)
{
    PanelBench b;
    b.reserve({1});
    b.state.dwCurrentReserved = 1;
    b.state.possibleSubsetArrayRect[0][10] = untouched;
    ASSERT_EQ(b.paint(Panel::plain), 1);
    EXPECT_EQ(b.state.possibleSubsetArrayRect[0][10], untouched);
    EXPECT_EQ(b.pixel(16, 429), panelColor);
    EXPECT_TRUE(b.textsAt(16, 444).empty());
}

TEST(SubsetPanel, JustAcceptedMarksEveryMemberForOneTuplePaint)
{
    const struct {
        Panel panel;
        std::int32_t marks, flagAfter;
        Color block;
    } cases[] = {{Panel::tuple, 1, 0, markedColor}, {Panel::plain, 0, 1, colors::white}};
    for (const auto& c : cases) {
        PanelBench b;
        SCOPED_TRACE(c.panel == Panel::plain ? "plain panel" : "tuple panel");
        b.compose({4, 5, 6});
        b.state.dwJustAccepted = 1;
        ASSERT_EQ(b.paint(c.panel), 1);
        EXPECT_EQ(b.state.dwJustAccepted, c.flagAfter);
        for (std::int32_t j = 0; j < 3; ++j) {
            EXPECT_EQ(b.state.adwSubsetMarks[j], c.marks) << "member " << j;
            EXPECT_EQ(b.blockPixel(slotGlyph(j)), c.block) << "member " << j;
        }
        EXPECT_EQ(b.state.adwSubsetMarks[3], 0) << "slots beyond the members stay unmarked";
    }
}

TEST(SubsetPanel, TextIsTransparentOnTheButtonsAndOpaqueAfterwards)
{
    PanelBench b;
    ASSERT_EQ(b.paint(Panel::tuple), 1);
    for (const TextRun& run : b.text.runs) {
        if (run.y == 399 || run.text == " reserved subsets 10 ") {
            EXPECT_EQ(run.mode, BackgroundMode::transparent) << run.text;
        }
    }
    EXPECT_EQ(b.canvas.setBackgroundMode(BackgroundMode::opaque), BackgroundMode::opaque);
    EXPECT_EQ(b.canvas.selectPen(colors::black), colors::black) << "pen put back";
    EXPECT_EQ(b.canvas.selectBrush(Brush{}), Brush{}) << "brush put back";
}

// ---- Out of memory ----

TEST(SubsetPanel, NoMemoryForTheButtonsReleasesTheWholeStorage)
{
    for (Panel panel : {Panel::plain, Panel::tuple}) {
        SCOPED_TRACE(panel == Panel::plain ? "plain panel" : "tuple panel");
        PanelBench b;
        b.compose({1, 2});
        b.reserve({3});
        failAllocationAt(1);
        EXPECT_EQ(b.paint(panel), 0);
        failAllocationAt(0);
        ASSERT_EQ(b.scripted.messages().size(), 1u);
        EXPECT_EQ(b.scripted.messages()[0], (RecordedMessage{"Нет памяти для ButtonsWhileSelectedSubsetRect!", ""}));
        EXPECT_EQ(b.state.dwSubsetCapacity, 0);
        EXPECT_EQ(b.state.dwSubsetSize, 0);
        EXPECT_EQ(b.state.dwReservedCapacity, 0);
        EXPECT_EQ(b.state.dwReservedCount, 0);
        EXPECT_EQ(b.state.selectedSubset, nullptr);
        EXPECT_EQ(b.state.lpReservedSubsets, nullptr);
        EXPECT_EQ(b.state.ButtonsWhileSelectedSubsetRect, nullptr);
        EXPECT_EQ(liveAllocations(), b.unprepared) << "nothing of the panel is left";
        EXPECT_EQ(b.pixel(10, 10), colors::white) << "nothing drawn";
        EXPECT_TRUE(b.text.runs.empty());

        EXPECT_EQ(b.paint(panel), 1) << "the next paint prepares the storage again";
        EXPECT_EQ(b.state.dwSubsetCapacity, 10);
        EXPECT_EQ(b.state.dwSubsetSize, 0) << "the composed subset is lost";
    }
}

TEST(SubsetPanel, EveryFailedAllocationOfAFirstPaintShowsItsMessageAndLeavesNothing)
{
    for (Panel panel : {Panel::plain, Panel::tuple}) {
        SCOPED_TRACE(panel == Panel::plain ? "plain panel" : "tuple panel");
        PanelBench b;
        releaseSubsetPanel(b.state);
        const std::int64_t bare = liveAllocations();
        std::vector<std::string> messages;
        std::int32_t k = 1;
        for (; k < 20; ++k) {
            b.scripted.clearMessages();
            failAllocationAt(k);
            const std::int32_t drawn = b.paint(panel);
            failAllocationAt(0);
            if (drawn == 1) break;
            ASSERT_EQ(b.scripted.messages().size(), 1u) << "allocation " << k;
            messages.push_back(b.scripted.messages()[0].text);
            EXPECT_EQ(b.scripted.messages()[0].caption, "");
            EXPECT_EQ(b.state.dwSubsetCapacity, 0) << "allocation " << k;
            EXPECT_EQ(b.state.dwReservedCapacity, 0) << "allocation " << k;
            EXPECT_EQ(liveAllocations(), bare) << "allocation " << k;
        }
        EXPECT_TRUE(b.scripted.messages().empty()) << "the paint after the failures succeeds";
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), "Нет памяти для ButtonsWhileSelectedSubsetRect!") << "the buttons come last";
        for (const std::string& m : messages) EXPECT_EQ(m.rfind("Нет памяти для ", 0), 0u) << m;
    }
}

// ---- Raised button ----

TEST(RaisedButton, DarkTopLeftEdgesBlackBottomRightAndCentredLabel)
{
    Surface surface{300, 200};
    RecordingTextEngine text;
    Canvas canvas{surface, text};
    const Color face{10, 200, 30};
    canvas.selectBrush(Brush{face});
    const Color penBefore{1, 2, 3};
    canvas.selectPen(penBefore);
    drawRaisedButton(canvas, {100, 100, 200, 130}, " OK ");
    const struct {
        std::int32_t x, y;
        Color color;
        const char* what;
    } cases[] = {
        {100, 100, dark, "top-left corner"},
        {150, 100, dark, "top edge"},
        {100, 115, dark, "left edge"},
        {200, 115, colors::black, "right edge"},
        {150, 130, colors::black, "bottom edge"},
        {200, 130, colors::black, "bottom-right corner"},
        {199, 115, dark, "inner right edge"},
        {150, 129, dark, "inner bottom edge"},
        {198, 115, mid, "second right edge"},
        {150, 128, mid, "second bottom edge"},
        {150, 101, colors::white, "inner top edge"},
        {101, 115, colors::white, "inner left edge"},
        {150, 115, face, "face in the caller's brush"},
        {201, 115, colors::white, "nothing beyond the frame"},
    };
    for (const auto& c : cases) EXPECT_EQ(canvas.getPixel(c.x, c.y), c.color) << c.what;
    ASSERT_EQ(text.runs.size(), 1u);
    EXPECT_EQ(text.runs[0].text, " OK ");
    EXPECT_EQ(text.runs[0].x, 100 + (100 - 28) / 2);
    EXPECT_EQ(text.runs[0].y, 100 + (15 - 2) / 2);
    EXPECT_EQ(canvas.selectPen(colors::black), penBefore) << "pen put back";
    EXPECT_EQ(canvas.selectBrush(Brush{}), Brush{face}) << "the caller's brush stays";
}

} // namespace
} // namespace mirokel

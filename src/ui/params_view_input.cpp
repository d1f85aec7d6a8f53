// Presses, moves and releases in the series parameters view, and the rules they apply.
#include "ui/params_view_input.h"

#include "app/command_ids.h"
#include "app/input_checks.h"
#include "app/parameter_dialogs.h"
#include "model/wrapping.h"
#include "ui/mouse.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace mirokel {

namespace {

constexpr std::int32_t resultView = 6, subsetPanelView = 9;
constexpr std::size_t typedTminLimit = 100; // characters of the entry that are read
constexpr const char* tminRefusalCaption = " View series parameters ";

std::int32_t clampTo32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The line's rounded height above its right end at x, (e + 2·(e − d)·(y0 − y1)) / (2e), in
// the 32 bits the view draws with.
bool hitLine(std::int32_t x, std::int32_t y, const ParamsHitLine& line)
{
    const Wrap32 e = Wrap32(line.x1) - line.x0;
    const Wrap32 d = Wrap32(x) - line.x0;
    if (e <= 0 || d < 0 || d > e) return false;
    const Wrap32 yl = (e + 2 * (e - d) * (Wrap32(line.y0) - line.y1)) / (2 * e);
    const Wrap32 above = Wrap32(y) - line.y1;
    return yl - line.h <= above && above <= yl + line.h;
}

// (den + 2·num) / (2·den), rounded; 0 without a positive denominator.
std::int32_t roundedRatio(std::int64_t num, std::int64_t den)
{
    return den > 0 ? clampTo32((den + 2 * num) / (2 * den)) : 0;
}

struct PlotOffsets {
    std::int64_t W, H, dxp, dyp; // plot size and the point's offset from its top-left corner
};

PlotOffsets plotOffsets(std::int32_t x, std::int32_t y, const ParamsHeader& p)
{
    const Rect& r = p.rcPlot;
    return {std::int64_t{r.right} - r.left + 1, std::int64_t{r.bottom} - r.top + 1, std::int64_t{x} - r.left,
            std::int64_t{y} - r.top};
}

// c(T): the fewest pulses that span from a+ to b− with steps of at most T.
std::int64_t fewestPulses(const ParamsHeader& p, std::int64_t t)
{
    const std::int64_t gap = std::int64_t{p.dwBMinus} - p.dwAPlus;
    return gap <= 0 ? 1 : (gap + t - 1) / t + 1;
}

// n(T): the most pulses with steps of at least T.
std::int64_t mostPulses(const ParamsHeader& p, std::int64_t t) { return (std::int64_t{p.dwB} - p.dwA) / t + 1; }

bool pulseCountFits(const ParamsHeader& p, std::int64_t tmax, std::int64_t tmin)
{
    if (tmax <= 0 || tmin <= 0) return false;
    return fewestPulses(p, tmax) <= p.dwPulses && p.dwPulses <= mostPulses(p, tmin);
}

void repaintIncrementally(Application& app, ParamsHeader& p)
{
    p.dwRedraw = 1;
    onCommand(app, command::repaintGraphNoErase);
}

// Entering (state 0, inside): capture and the resize cursor, the replaced one saved.
// Leaving (state 1, outside): the saved cursor back and the capture released.
void followHover(Application& app, std::int32_t& state, bool inside, CursorShape shape)
{
    WindowServices& w = app.window.services;
    if (state == 0 && inside) {
        state = 1;
        w.captureMouse(true);
        app.state.hSavedCursor = w.setCursor(shape);
    } else if (state == 1 && !inside) {
        state = 0;
        w.setCursor(app.state.hSavedCursor);
        w.captureMouse(false);
    }
}

// Both buttons leave the view: the next data is built and processed, or a tuple series
// without a composed subset goes to the subset panel first. Enter may leave it with the
// pointer still over a handle or line, or during a drag: no other view handles moves, so
// the hover is ended here (capture released, cursor back) and so is the drag.
void leaveParamsView(Application& app)
{
    AppState& s = app.state;
    if (ParamsHeader* p = s.lpParamsHeader) {
        p->dwDragAPlus = p->dwDragBMinus = p->dwDragTmin = p->dwDragTmax = 0;
        for (std::int32_t* hover : {&p->dwHoverAPlus, &p->dwHoverBMinus, &p->dwHoverTmin, &p->dwHoverTmax})
            followHover(app, *hover, false, CursorShape::arrow);
    }
    if (isTupleSeriesType(s.wSeriesType) && s.dwSubsetSize == 0) {
        s.dwViewMode = subsetPanelView;
        onCommand(app, command::selectSetOfPulses);
        return;
    }
    s.dwViewMode = resultView;
    onCommand(app, command::nextData);
}

void cancelParamsView(Application& app)
{
    AppState& s = app.state;
    app.window.services.hideTminEdit();
    s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 0;
    leaveParamsView(app);
}

bool pickPulseCount(Application& app, ParamsHeader& p, std::int32_t x, std::int32_t y)
{
    if (p.pulsesSelectedAreas == nullptr) return false;
    const std::int32_t count = std::min(p.dwAreasCount, p.dwAreasCapacity);
    for (std::int32_t i = 0; i < count; ++i) {
        if (!pointInRect(p.pulsesSelectedAreas[i], x, y)) continue;
        p.dwPulses = i + p.dwMinPulses;
        repaintIncrementally(app, p);
        return true;
    }
    return false;
}

} // namespace

bool hitTmaxLine(std::int32_t x, std::int32_t y, const ParamsHeader& params) { return hitLine(x, y, params.lnTmax); }

bool hitTminLine(std::int32_t x, std::int32_t y, const ParamsHeader& params) { return hitLine(x, y, params.lnTmin); }

std::int32_t tmaxFromPoint(std::int32_t x, std::int32_t y, const ParamsHeader& p)
{
    if (p.dwHoverTmax == 0) return 0;
    const PlotOffsets o = plotOffsets(x, y, p);
    const std::int64_t span = std::int64_t{p.dwB} - p.dwA;
    const std::int64_t num = (span * (o.H - o.dyp) - (std::int64_t{p.dwAPlus} - p.dwA) * o.H) * o.W;
    return roundedRatio(num, o.dxp * (std::int64_t{p.dwMaxPulses} - 1) * o.H);
}

std::int32_t tminFromPoint(std::int32_t x, std::int32_t y, const ParamsHeader& p)
{
    if (p.dwHoverTmin == 0) return 0;
    const PlotOffsets o = plotOffsets(x, y, p);
    const std::int64_t span = std::int64_t{p.dwB} - p.dwA;
    const std::int64_t den = ((std::int64_t{p.dwPulses} - 1) * o.W - o.dxp * (std::int64_t{p.dwMaxPulses} - 1)) * o.H;
    return roundedRatio(span * o.dyp * o.W, den);
}

bool acceptTmin(std::int32_t value, const ParamsHeader& p)
{
    return value >= p.dwImpulseSize && value <= p.dwTmax && pulseCountFits(p, p.dwTmax, value);
}

bool acceptTmax(std::int32_t value, const ParamsHeader& p)
{
    return value > p.dwTmin && value <= p.dwBMinus && pulseCountFits(p, value, p.dwTmin);
}

std::int32_t levelFromPoint(std::int32_t y, const ParamsHeader& p)
{
    const std::int64_t height = std::int64_t{p.rcPlot.bottom} - p.rcPlot.top + 1;
    if (height <= 0) return p.dwA;
    return clampTo32(p.dwA + (std::int64_t{p.rcPlot.bottom} - y) * (std::int64_t{p.dwB} - p.dwA) / height);
}

std::uint16_t readTypedTmin(const std::string& text)
{
    const std::string_view field = std::string_view(text).substr(0, typedTminLimit);
    const std::size_t start = field.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string_view::npos) return 0;
    return static_cast<std::uint16_t>(readNumber(std::string(field.substr(start))));
}

void acceptParamsViewTmin(Application& app)
{
    AppState& s = app.state;
    const std::uint16_t tmin = readTypedTmin(app.window.services.tminEditText());
    // The next data builds its series with this Tmin: one the builder cannot use (0
    // divides, one above Tmax places nothing) is refused here as the dialog refuses it.
    const std::string refusal = checkSeriesGeometryInput(s.dwSeriesLengthSetting, tmin, s.wTmax, s.wImpulseSize);
    if (!refusal.empty()) {
        showMessage(app.window, refusal, tminRefusalCaption, MessageIcon::exclamation);
        return;
    }
    s.wTmin = tmin;
    app.window.services.hideTminEdit();
    s.dwRepaintButtonColumn = 1;
    s.dwRepaintLostDataBox = 0;
    leaveParamsView(app);
}

bool onParamsViewPress(Application& app, std::int32_t x, std::int32_t y)
{
    AppState& s = app.state;
    ParamsHeader* params = s.lpParamsHeader;
    if (params == nullptr) return false; // nothing of the view was drawn
    ParamsHeader& p = *params;
    if (pointInRect(s.rcParamsCancel, x, y)) {
        cancelParamsView(app);
        return true;
    }
    if (pointInRect(s.rcParamsOk, x, y)) {
        acceptParamsViewTmin(app);
        return true;
    }
    if (pickPulseCount(app, p, x, y)) return true;
    // A drag starts with nothing sent; the moves repaint.
    if (pointInRect(p.rcAPlusHandle, x, y)) {
        p.dwDragAPlus = 1;
    } else if (pointInRect(p.rcBMinusHandle, x, y)) {
        p.dwDragBMinus = 1;
    } else if (hitTminLine(x, y, p)) {
        p.dwDragTmin = 1;
    } else if (hitTmaxLine(x, y, p)) {
        p.dwDragTmax = 1;
    } else {
        return false;
    }
    return true;
}

void onParamsViewMove(Application& app, std::int32_t x, std::int32_t y)
{
    ParamsHeader* params = app.state.lpParamsHeader;
    if (params == nullptr) return;
    ParamsHeader& p = *params;
    if (p.dwDragAPlus > 0) {
        p.dwAPlus = levelFromPoint(y, p);
    } else if (p.dwDragBMinus > 0) {
        p.dwBMinus = levelFromPoint(y, p);
    } else if (p.dwDragTmin > 0) {
        const std::int32_t v = tminFromPoint(x, y, p);
        if (acceptTmin(v, p)) {
            p.dwTmin = v;
        } else {
            p.dwDragTmin = 0;
        }
    } else if (p.dwDragTmax > 0) {
        const std::int32_t v = tmaxFromPoint(x, y, p);
        if (acceptTmax(v, p)) {
            p.dwTmax = v;
        } else {
            p.dwDragTmax = 0;
        }
    } else {
        followHover(app, p.dwHoverAPlus, pointInRect(p.rcAPlusHandle, x, y), CursorShape::sizeVertical);
        followHover(app, p.dwHoverBMinus, pointInRect(p.rcBMinusHandle, x, y), CursorShape::sizeVertical);
        followHover(app, p.dwHoverTmin, hitTminLine(x, y, p), CursorShape::sizeDiagonal);
        followHover(app, p.dwHoverTmax, hitTmaxLine(x, y, p), CursorShape::sizeDiagonal);
        return;
    }
    repaintIncrementally(app, p);
}

void onParamsViewRelease(Application& app, std::int32_t x, std::int32_t y)
{
    ParamsHeader* params = app.state.lpParamsHeader;
    if (params == nullptr) return;
    ParamsHeader& p = *params;
    if (p.dwDragAPlus > 0) {
        p.dwDragAPlus = 0;
        p.dwAPlus = levelFromPoint(y, p);
    } else if (p.dwDragBMinus > 0) {
        p.dwDragBMinus = 0;
        p.dwBMinus = levelFromPoint(y, p);
    } else if (p.dwDragTmin > 0) {
        p.dwDragTmin = 0;
        const std::int32_t v = tminFromPoint(x, y, p);
        if (acceptTmin(v, p)) p.dwTmin = v;
    } else if (p.dwDragTmax > 0) {
        p.dwDragTmax = 0;
        const std::int32_t v = tmaxFromPoint(x, y, p);
        if (acceptTmax(v, p)) p.dwTmax = v;
    } else {
        return;
    }
    repaintIncrementally(app, p);
}

} // namespace mirokel

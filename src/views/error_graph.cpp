// The error graph of the statistics view; see error_graph.h.
#include "views/error_graph.h"

#include "model/wrapping.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace mirokel {

namespace {

using namespace stat_view;

constexpr std::uint32_t recognitionUpperValue = 500; // u of the recognition selectors

bool usesRestoringNorm(std::int32_t view) { return view == restoringComponentwise || view == restoringSummary; }
bool usesDetectionNorm(std::int32_t view) { return view == detectionComponentwise || view == detectionSummary; }
bool withBounds(std::int32_t view)
{
    return view == recognitionComponentwiseBounds || view == recognitionSummaryBounds;
}

// A double truncated toward zero into 32 bits; values beyond the range stop at its ends
// and NaN gives 0 (the conversion itself would be undefined for them).
std::int32_t truncated(double v)
{
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

std::uint32_t truncatedUnsigned(double v)
{
    if (!(v > 0.0)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(v);
}

std::uint32_t u32(std::int32_t v) { return static_cast<std::uint32_t>(v); }

// The tables as the graph reads them.
struct Tables {
    std::uint16_t points;      // V
    std::uint16_t levels;      // nL
    std::uint16_t reps;        // low 16 bits of repeats
    const std::uint16_t* pulseValues;
    const std::uint16_t* noiseLevels;
    const std::int32_t* const* err;
    const std::int32_t* const* det;
    const std::int32_t* const* rec;
};

Tables tablesOf(const RestErrorHeader& r)
{
    return {r.wVariousPulses, r.wNoiseLevels, static_cast<std::uint16_t>(r.repeats), r.wPulseValues,
            r.lpNoiseLevels,  r.lpErrors,     r.lpDetErrors,                          r.lpRecErrors};
}

// ---- strokes -----------------------------------------------------------------------------

struct Offset {
    std::int32_t dx, dy;
};
constexpr Offset thinStrokes[] = {{0, 0}, {0, 1}};                   // restoring and detection summary
constexpr Offset detectionStrokes[] = {{0, 0}, {0, 1}, {1, 0}};      // detection, componentwise
constexpr Offset thickStrokes[] = {{0, 0}, {1, 0}, {0, 1}};          // recognition and the bounds

std::int32_t columnOf(const ErrorGraphFrame& f, std::int32_t l) { return wrapAdd(f.gx, wrapMul(l, f.xstep)); }
std::int32_t rowOf(const ErrorGraphFrame& f, std::int32_t y) { return wrapAdd(f.gy, y); }

// Each stroke is a polyline from the bottom-left corner through (X(l), gy + y[l]) for l
// from `first` on, all offset by the stroke's pixels; the strokes together thicken it.
void drawCurve(Canvas& canvas, const ErrorGraphFrame& f, const std::vector<std::int32_t>& y, std::size_t first,
               std::span<const Offset> strokes)
{
    for (const Offset& o : strokes) {
        canvas.moveTo(f.gx + o.dx, f.gy + f.gh + o.dy);
        for (std::size_t l = first; l < y.size(); ++l)
            canvas.lineTo(wrapAdd(columnOf(f, static_cast<std::int32_t>(l)), o.dx), wrapAdd(rowOf(f, y[l]), o.dy));
    }
}

// A curve's label one step right of its last point, `raise` pixels higher.
void drawCurveLabel(Canvas& canvas, const ErrorGraphFrame& f, const std::vector<std::int32_t>& y,
                    std::int32_t raise, const std::string& text)
{
    canvas.textOut(columnOf(f, static_cast<std::int32_t>(y.size())), wrapSub(rowOf(f, y.back()), raise), text);
}

// gh − q for a value q in pixels, wrapping as the 32-bit registers do.
std::int32_t below(const ErrorGraphFrame& f, std::int32_t q) { return wrapSub(f.gh, q); }

// ---- frame, grid and axes ------------------------------------------------------------

void drawFrame(Canvas& canvas, const ErrorGraphFrame& f)
{
    for (std::int32_t d = 0; d <= 1; ++d) { // the frame, then one pixel outside it
        canvas.moveTo(f.gx - d, f.gy - d);
        canvas.lineTo(f.gx - d, f.gy + f.gh + d);
        canvas.lineTo(f.gx + f.gw + d, f.gy + f.gh + d);
        canvas.lineTo(f.gx + f.gw + d, f.gy - d);
        canvas.lineTo(f.gx - d, f.gy - d);
    }
}

// Dotted lines at every tenth of the height and at every second noise step.
void drawGrid(Canvas& canvas, const ErrorGraphFrame& f)
{
    for (std::int32_t r = 0; r < f.gh; r += f.ystep)
        for (std::int32_t c = 0; c < f.gw; c += 4)
            canvas.setPixel(f.gx + c, f.gy + f.gh - r, colors::black);
    for (std::int32_t c = 0; c < f.gw; c += 2 * f.xstep)
        for (std::int32_t r = 0; r < f.gh; r += 4)
            canvas.setPixel(f.gx + c, f.gy + f.gh - r, colors::black);
}

// The noise levels of every fourth step under the graph, then the unit "s" (σ in the
// Symbol face) one label further and a label height higher.
void drawNoiseLabels(Canvas& canvas, const ErrorGraphInput& in, const Tables& t)
{
    const ErrorGraphFrame& f = in.frame;
    const std::int32_t aw = in.charWidth;
    const std::int32_t fh = in.lineHeight;
    const std::int32_t back = aw + (aw >> 1) - 1;
    const std::int32_t y = f.gy + f.gh + fh - ((fh + 1) >> 2) - ((fh + 1) >> 3);
    std::int32_t l = 0;
    for (; l < t.levels; l += 4)
        canvas.textOut(columnOf(f, l) - back, y, formatText("%3d", t.noiseLevels[l]));
    canvas.textOut(columnOf(f, l) - back, y - in.labelHeight, "s");
}

// Six values from 0 at the bottom to p / 1000 at the top, at every second grid line.
void drawValueLabels(Canvas& canvas, const ErrorGraphInput& in, const ErrorAxis& axis)
{
    const ErrorGraphFrame& f = in.frame;
    const std::int32_t aw = in.charWidth;
    const bool fine = axis.top < 50; // three decimals below 0.05
    const std::int32_t yl = ((in.labelHeight + 1) >> 1) + 1;
    const std::int32_t xl = 3 * aw + (aw >> 2) + 1 + (fine ? aw : 0);
    for (std::uint32_t i = 0; i <= 5; ++i) {
        const double value = static_cast<double>(i * axis.tick) / 1000.0;
        const auto row = static_cast<std::int32_t>(i) * 2 * f.ystep;
        canvas.textOut(f.gx - xl, f.gy + f.gh - yl - row, formatText(fine ? "%.3f" : "%.2f", value));
    }
}

// ---- normalisers and the upper value -------------------------------------------------------

void fillNormalisers(const ErrorGraphInput& in, const SeriesHeader& s, std::uint16_t points)
{
    if (usesRestoringNorm(in.statView)) {
        const std::int32_t spread = wrapSub(in.figures.energy, in.figures.rmin);
        std::fill_n(in.restoringNorm, points, 2u * s.wMaxPulses * u32(spread));
    }
    if (usesDetectionNorm(in.statView)) {
        const std::int32_t d = std::int32_t{s.wTmax} - s.wImpulseSize;
        std::fill_n(in.detectionNorm, points, u32(d) * u32(d));
    }
}

// Why the selector's measure cannot be drawn, or an empty text.
std::string scaleFault(const ErrorGraphInput& in, const Tables& t)
{
    if (t.levels < 2) return "fewer than 2 noise levels: no graph to draw";
    if (t.points == 0) return "no pulse-count point: no curve to draw";
    if (t.reps == 0 && !usesRestoringNorm(in.statView)) return "no repeats: the error means cannot be formed";
    if (usesRestoringNorm(in.statView) && in.restoringNorm[0] == 0)
        return "2 MaxPulses (E - Rmin) = 0: the restoring error cannot be scaled";
    if (usesDetectionNorm(in.statView) && in.detectionNorm[0] == 0)
        return "(Tmax - L)^2 = 0: the detection error cannot be scaled";
    return {};
}

// Sum over the points of err[l][v] / nrmR[v] (doubles).
double restoringShare(const ErrorGraphInput& in, const Tables& t, std::int32_t l)
{
    double sum = 0.0;
    for (std::int32_t v = 0; v < t.points; ++v)
        sum += static_cast<double>(t.err[l][v]) / static_cast<double>(in.restoringNorm[v]);
    return sum;
}

// Sum over the points of det[l][v], wide enough for every table.
std::int64_t detectionSum(const Tables& t, std::int32_t l)
{
    std::int64_t sum = 0;
    for (std::int32_t v = 0; v < t.points; ++v) sum += t.det[l][v];
    return sum;
}

// The largest entry of column v over the noise steps, compared unsigned.
std::uint32_t columnMaximum(const std::int32_t* const* table, const Tables& t, std::int32_t v)
{
    std::uint32_t m = 0;
    for (std::int32_t l = 0; l < t.levels; ++l) m = std::max(m, u32(table[l][v]));
    return m;
}

std::uint32_t restoringUpperValue(const ErrorGraphInput& in, const Tables& t)
{
    std::uint32_t u = 50;
    for (std::int32_t v = 0; v < t.points; ++v)
        u = std::max(u, (columnMaximum(t.err, t, v) * 1000u) / in.restoringNorm[v]);
    return u;
}

std::uint32_t restoringSummaryUpperValue(const ErrorGraphInput& in, const Tables& t)
{
    double best = restoringShare(in, t, 0);
    for (std::int32_t l = 1; l < t.levels; ++l) best = std::max(best, restoringShare(in, t, l));
    best = std::max(best, 0.079);
    best = std::max(best, 0.49 * t.points);
    return truncatedUnsigned(1000.0 * best / t.points);
}

std::uint32_t detectionUpperValue(const ErrorGraphInput& in, const Tables& t)
{
    double best = 0.3;
    for (std::int32_t v = 0; v < t.points; ++v) {
        // The largest entry as a mean over the repeats, rounded.
        const std::uint32_t mean = (2u * columnMaximum(t.det, t, v) + t.reps) / (2u * t.reps);
        best = std::max(best, std::sqrt(static_cast<double>(mean) / in.detectionNorm[v]));
    }
    return std::max(50u, truncatedUnsigned(1000.0 * best));
}

// V × nrmD × reps, the divisor of the detection summary.
double detectionSummaryDivisor(const ErrorGraphInput& in, const Tables& t)
{
    return static_cast<double>(t.points) * in.detectionNorm[0] * t.reps;
}

std::uint32_t detectionSummaryUpperValue(const ErrorGraphInput& in, const Tables& t)
{
    std::int64_t best = detectionSum(t, 0);
    for (std::int32_t l = 1; l < t.levels; ++l) best = std::max(best, detectionSum(t, l));
    double r = std::sqrt(static_cast<double>(best) / detectionSummaryDivisor(in, t));
    if (!(r >= 0.24)) r = 0.24;
    return std::max(50u, truncatedUnsigned(1000.0 * r));
}

// u, the upper value of the data in thousandths. The recognition selectors, and any
// selector without a measure, use 500.
std::uint32_t upperValue(const ErrorGraphInput& in, const Tables& t)
{
    switch (in.statView) {
    case restoringComponentwise: return restoringUpperValue(in, t);
    case restoringSummary: return restoringSummaryUpperValue(in, t);
    case detectionComponentwise: return detectionUpperValue(in, t);
    case detectionSummary: return detectionSummaryUpperValue(in, t);
    default: return recognitionUpperValue;
    }
}

// ---- curves ----------------------------------------------------------------------------

struct CurveScale {
    std::uint32_t k;
    std::int32_t dotR; // half a label height and one pixel
};

void drawRestoringCurves(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    const ErrorGraphFrame& f = in.frame;
    for (std::int32_t v = 0; v < t.points; ++v) {
        std::vector<std::int32_t> y(t.levels);
        for (std::int32_t l = 0; l < t.levels; ++l) {
            const std::uint32_t q = (c.k * u32(t.err[l][v]) * u32(f.gh)) / in.restoringNorm[v];
            y[l] = below(f, static_cast<std::int32_t>(q));
        }
        drawCurve(canvas, f, y, 0, thinStrokes);
        drawCurveLabel(canvas, f, y, c.dotR, formatText("%d", t.pulseValues[v]));
    }
}

// The mean share over the points; no label.
void drawRestoringSummary(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    const ErrorGraphFrame& f = in.frame;
    std::vector<std::int32_t> y(t.levels);
    for (std::int32_t l = 0; l < t.levels; ++l) {
        const double mean = restoringShare(in, t, l) / t.points;
        y[l] = below(f, truncated(c.k * mean * f.gh));
    }
    drawCurve(canvas, f, y, 0, thinStrokes);
}

void drawDetectionSummary(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    const ErrorGraphFrame& f = in.frame;
    const double divisor = detectionSummaryDivisor(in, t);
    std::vector<std::int32_t> y(t.levels);
    for (std::int32_t l = 0; l < t.levels; ++l) {
        const double rms = std::sqrt(static_cast<double>(detectionSum(t, l)) / divisor);
        y[l] = below(f, truncated(c.k * rms * f.gh));
    }
    drawCurve(canvas, f, y, 0, thinStrokes);
    drawCurveLabel(canvas, f, y, 0, formatText("%d", t.points));
}

void drawRecognitionCurves(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    const ErrorGraphFrame& f = in.frame;
    for (std::int32_t v = 0; v < t.points; ++v) {
        std::vector<std::int32_t> y(t.levels);
        for (std::int32_t l = 0; l < t.levels; ++l)
            y[l] = below(f, static_cast<std::int32_t>((u32(t.rec[l][v]) * c.k * u32(f.gh)) / t.reps));
        drawCurve(canvas, f, y, 0, thickStrokes);
        drawCurveLabel(canvas, f, y, 0, formatText("%d", t.pulseValues[v]));
    }
}

// The errors of all points together, labelled "S" (Σ in the Symbol face).
void drawRecognitionSummary(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    const ErrorGraphFrame& f = in.frame;
    const std::uint32_t divisor = std::uint32_t{t.reps} * t.points;
    std::vector<std::int32_t> y(t.levels);
    for (std::int32_t l = 0; l < t.levels; ++l) {
        std::uint32_t sum = 0;
        for (std::int32_t v = 0; v < t.points; ++v) sum += u32(t.rec[l][v]);
        y[l] = below(f, static_cast<std::int32_t>((sum * c.k * u32(f.gh)) / divisor));
    }
    drawCurve(canvas, f, y, 0, thickStrokes);
    drawCurveLabel(canvas, f, y, 0, "S");
}

// ---- bounds ----------------------------------------------------------------------------

// Half the squared distances the two bounds are formed with, rounded (32-bit signed).
struct BoundDistances {
    std::int32_t d1, d2;
};

BoundDistances boundDistances(const ErrorGraphInput& in, const RestErrorHeader& r)
{
    const EtalonFigures& e = in.figures;
    const std::int32_t d1 = wrapAdd(4, wrapMul(4, wrapSub(e.energy, e.rmin))) / 8;
    const bool tupleRun = r.wSeriesType == 36 || r.wProcessingMode == 40;
    if (tupleRun) return {d1, wrapAdd(8, wrapMul(4, wrapSub(e.energy, e.rmax))) / 16};
    // The energy a cut-off pulse keeps, at least the smallest squared sample.
    std::int32_t kept = wrapAdd(wrapMul(e.energy, r.wMakeEnergy), 50) / 100;
    kept = std::max(kept, static_cast<std::int32_t>(e.smallestSquare));
    return {d1, wrapAdd(8, wrapMul(4, kept)) / 16};
}

// exp(−numerator / σ²); without noise (σ = 0) no error happens: 0.
double decay(std::int32_t numerator, std::uint32_t sigmaSquared)
{
    if (sigmaSquared == 0) return 0.0;
    return std::exp(-static_cast<double>(numerator) / static_cast<double>(sigmaSquared));
}

// P1 (missed chain), then P2 (confused etalons), from step 1 on: step 0 is left out and the
// curves start at the bottom-left corner. P = 0.5 reaches the top of the graph.
void drawBounds(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const RestErrorHeader& r,
                const SeriesHeader& s)
{
    const ErrorGraphFrame& f = in.frame;
    const BoundDistances d = boundDistances(in, r);
    const std::int32_t missed = wrapMul(d.d1, s.wMaxPulses);
    const std::int32_t confused = wrapMul(d.d2, s.wMinPulses);
    std::vector<std::int32_t> p1(t.levels), p2(t.levels);
    for (std::int32_t l = 1; l < t.levels; ++l) {
        const std::uint32_t sigma = t.noiseLevels[l];
        const double first = 0.5 - 0.5 * std::sqrt(1.0 - decay(missed, sigma * sigma));
        const double second = 0.5 * decay(confused, sigma * sigma);
        p1[l] = below(f, wrapMul(2, truncated(f.gh * first)));
        p2[l] = below(f, wrapMul(2, truncated(f.gh * second)));
    }
    drawCurve(canvas, f, p1, 1, thickStrokes);
    drawCurve(canvas, f, p2, 1, thickStrokes);
}

void drawCurves(Canvas& canvas, const ErrorGraphInput& in, const Tables& t, const CurveScale& c)
{
    switch (in.statView) {
    case restoringComponentwise: drawRestoringCurves(canvas, in, t, c); break;
    case restoringSummary: drawRestoringSummary(canvas, in, t, c); break;
    case detectionComponentwise:
        drawDetectionCurves(canvas, t.reps, t.points, t.pulseValues, in.detectionNorm, t.levels, t.det, in.frame,
                            c.dotR, c.k);
        break;
    case detectionSummary: drawDetectionSummary(canvas, in, t, c); break;
    case recognitionComponentwise:
    case recognitionComponentwiseBounds: drawRecognitionCurves(canvas, in, t, c); break;
    case recognitionSummary:
    case recognitionSummaryBounds: drawRecognitionSummary(canvas, in, t, c); break;
    default: break; // no measure, no curve
    }
}

// The line that stands in place of the curves, in the window font (font B would turn its
// Latin letters into Greek ones).
void drawFaultLine(Canvas& canvas, const ErrorGraphInput& in, const std::string& fault)
{
    const FontSpec graphFont = canvas.selectFont(in.textFont);
    const ErrorGraphFrame& f = in.frame;
    canvas.textOut(f.gx + in.charWidth, f.gy + (f.gh >> 1) - in.lineHeight, fault);
    canvas.selectFont(graphFont);
}

} // namespace

ErrorAxis errorAxis(std::uint32_t upperValue, bool fixedUpperBound, double upperBound)
{
    const std::uint32_t u = upperValue;
    std::uint32_t p = 1;
    for (std::uint32_t digits = u; digits != 0; digits /= 10) p *= 10u;
    if (5u * u <= p) p /= 5u;
    if (2u * u <= p) p /= 2u;
    if (2u * u <= p) p /= 2u;
    if (fixedUpperBound && upperBound > 0.0) p = truncatedUnsigned(1000.0 * upperBound);
    return {p, p / 5u, p != 0 ? 1000u / p : 0u};
}

void drawDetectionCurves(Canvas& canvas, std::uint16_t reps, std::uint16_t points, const std::uint16_t* pulseValues,
                         const std::uint32_t* detectionNorm, std::uint16_t noiseLevels,
                         const std::int32_t* const* detErrors, const ErrorGraphFrame& frame, std::int32_t dotR,
                         std::uint32_t k)
{
    for (std::int32_t v = 0; v < points; ++v) {
        std::vector<std::int32_t> y(noiseLevels);
        for (std::int32_t l = 0; l < noiseLevels; ++l) {
            const double share = (static_cast<double>(detErrors[l][v]) / reps) / detectionNorm[v];
            y[l] = below(frame, truncated(k * std::sqrt(share) * frame.gh));
        }
        drawCurve(canvas, frame, y, 0, detectionStrokes);
        drawCurveLabel(canvas, frame, y, dotR, formatText("%d", pulseValues[v]));
    }
}

void drawErrorGraph(Canvas& canvas, const ErrorGraphInput& input, const RestErrorHeader& results,
                    const SeriesHeader& series)
{
    const Tables t = tablesOf(results);
    drawFrame(canvas, input.frame);
    drawGrid(canvas, input.frame);
    fillNormalisers(input, series, t.points);

    std::string fault = scaleFault(input, t);
    const std::uint32_t u = fault.empty() ? upperValue(input, t) : recognitionUpperValue;
    const ErrorAxis axis = errorAxis(u, input.fixedUpperBound, input.upperBound);
    if (fault.empty() && axis.top == 0) fault = "axis top 0 (upper bound below 0.001): the error cannot be scaled";

    drawNoiseLabels(canvas, input, t);
    drawValueLabels(canvas, input, axis);
    if (!fault.empty()) {
        drawFaultLine(canvas, input, fault);
        return;
    }
    const CurveScale scale{axis.k, ((input.labelHeight + 1) >> 1) + 1};
    drawCurves(canvas, input, t, scale);
    if (withBounds(input.statView)) drawBounds(canvas, input, t, results, series);
}

} // namespace mirokel

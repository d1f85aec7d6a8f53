// Checks of typed input.
#include "app/input_checks.h"

#include "model/series_header.h"
#include "platform/window.h"

namespace mirokel {

namespace {

struct Bounds {
    std::int64_t least;
    std::int64_t greatest;
};

// Pulse counts a series of this geometry can hold; the least raised to 1.
Bounds pulseCountBounds(std::int64_t length, std::int64_t tmin, std::int64_t tmax, std::int64_t impulseSize)
{
    const std::int64_t least = (length + impulseSize - 1) / tmax;
    return {least == 0 ? 1 : least, (length - impulseSize + tmin) / tmin};
}

// Whether the geometry gives a usable pulse count: the builder takes the counts of the
// bounds above, and the selectors and the simulation propose the midpoint of the bounds
// with the least not raised to 1, which must not be 0 either.
bool pulseCountFits(std::int64_t length, std::int64_t tmin, std::int64_t tmax, std::int64_t impulseSize)
{
    const Bounds b = pulseCountBounds(length, tmin, tmax, impulseSize);
    const std::int64_t proposed = ((length + impulseSize - 1) / tmax + b.greatest) / 2;
    return b.least <= b.greatest && proposed >= 1;
}

std::string text(const char* format, long long a, long long b = 0, long long c = 0)
{
    return formatText(format, a, b, c);
}

} // namespace

std::string checkSeriesGeometryInput(std::int64_t length, std::int64_t tmin, std::int64_t tmax,
                                     std::int64_t impulseSize)
{
    std::string fault = seriesGeometryFault(impulseSize, tmin, tmax, length);
    if (!fault.empty()) return fault;
    if (!pulseCountFits(length, tmin, tmax, impulseSize))
        return text("No pulse count fits a series of %lld samples with Tmin %lld and Tmax %lld.", length, tmin, tmax);
    return {};
}

std::string checkNoiseLevelInput(std::int64_t level)
{
    if (level < 0 || level > maxNoiseLevelInput)
        return text("The noise level (%lld) must lie between 0 and %lld.", level, maxNoiseLevelInput);
    return {};
}

std::string checkEtalonNumberInput(std::int64_t number, std::int64_t alphabetSize)
{
    if (number < 1 || number > alphabetSize)
        return text("The etalon number (%lld) must lie between 1 and %lld.", number, alphabetSize);
    return {};
}

std::string checkSimulationGridInput(std::int64_t pulsesFrom, std::int64_t pulsesTo, std::int64_t noiseInitial,
                                     std::int64_t noiseSteps, std::int64_t noiseIncrement, std::int64_t repeats,
                                     std::int64_t length, std::int64_t tmin, std::int64_t tmax,
                                     std::int64_t impulseSize)
{
    if (noiseSteps < 2) return "The simulation needs at least 2 noise steps.";
    if (repeats < 1) return "The number of repeats must be at least 1.";
    const std::int64_t highest = noiseInitial + noiseIncrement * (noiseSteps - 1);
    if (noiseInitial < 0 || highest > maxNoiseLevelInput)
        return text("The noise levels run from %lld to %lld; they must lie between 0 and %lld.", noiseInitial, highest,
                    maxNoiseLevelInput);
    if (std::string fault = checkSeriesGeometryInput(length, tmin, tmax, impulseSize); !fault.empty()) return fault;
    const Bounds b = pulseCountBounds(length, tmin, tmax, impulseSize);
    if (pulsesFrom > pulsesTo || pulsesFrom < b.least || pulsesTo > b.greatest)
        return text("The pulse counts must run upward within %lld … %lld for this series.", b.least, b.greatest) +
               text(" (from %lld to %lld was given)", pulsesFrom, pulsesTo);
    return {};
}

std::string checkUpperBoundInput(double bound)
{
    if (!(bound >= 0.001)) return "The upper bound must be at least 0.001.";
    return {};
}

std::string checkInitPositionInput(std::int64_t position)
{
    if (position < 1 || position > 65535) return "The subset init position must be at least 1.";
    return {};
}

} // namespace mirokel

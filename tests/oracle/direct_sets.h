// The position sets the direct unknown-count searches, of chains and of tuples alike, work
// with: an owning handle of a position set, copies combined by union, difference and
// intersection, the ascending visit of a set's positions, the admissible positions of first,
// second to last and last pulses over every possible pulse count of a series (ranges computed
// in 32-bit wrapping arithmetic, an empty one adding nothing), and the three sets the passes
// of accumulated costs run over.
#pragma once

#include "engine/position_set.h"
#include "model/series_header.h"
#include "model/wrapping.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace mirokel::direct {

struct SetRelease {
    void operator()(PositionSet* set) const { freeSet(set); }
};
using SetHandle = std::unique_ptr<PositionSet, SetRelease>;

// A ∪ B, A − B, A ∩ B: a copy of A, then the operation with B.
inline SetHandle unite(const SetHandle& a, const SetHandle& b)
{
    SetHandle result{copySet(nullptr, a.get())};
    uniteSets(result.get(), b.get());
    return result;
}

inline SetHandle subtract(const SetHandle& a, const SetHandle& b)
{
    SetHandle result{copySet(nullptr, a.get())};
    subtractSet(result.get(), b.get());
    return result;
}

inline SetHandle intersect(const SetHandle& a, const SetHandle& b)
{
    SetHandle result{copySet(nullptr, a.get())};
    intersectSets(result.get(), b.get());
    return result;
}

// Visits the positions of a set in ascending order; a set that could not be made is empty.
template <class Visit>
void visitPositions(const SetHandle& set, Visit&& visit)
{
    if (set) forEachPosition(*set, visit);
}

// A range computed in 32-bit signed arithmetic; an empty one adds nothing.
inline void addRange(PositionSet* set, std::int32_t lo, std::int32_t hi)
{
    if (lo > hi) return;
    addInterval(set, static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi));
}

// The admissible positions of first pulses, of second to last pulses and of last pulses,
// over every possible pulse count of the series.
struct Omegas {
    SetHandle minus;
    SetHandle tilda;
    SetHandle plus;
};

inline Omegas buildOmegas(const SeriesHeader& series, std::uint16_t tmin, std::uint16_t tmax)
{
    const std::int32_t N = series.dwSeriesSize;
    const std::int32_t n = series.wImpulseSize;
    const std::int32_t Tn = tmin;
    const std::int32_t Tx = tmax;
    Omegas omegas{SetHandle{resetSet(nullptr, series.wMaxPulses)}, SetHandle{resetSet(nullptr, series.wMaxPulses)},
                  SetHandle{resetSet(nullptr, series.wMaxPulses)}};
    for (std::int32_t l = series.wMinPulses; l <= series.wMaxPulses; ++l) {
        addRange(omegas.minus.get(), std::max(0, wrapSub(N, wrapMul(Tx, l))),
                 std::min(wrapSub(Tx, n), wrapSub(wrapSub(N, n), wrapMul(Tn, l - 1))));
        for (std::int32_t j = 1; j <= l - 1; ++j)
            addRange(omegas.tilda.get(), std::max(wrapMul(j, Tn), wrapSub(N, wrapMul(Tx, l - j))),
                     std::min(wrapSub(wrapMul(j + 1, Tx), n), wrapSub(wrapSub(N, n), wrapMul(Tn, l - 1 - j))));
        addRange(omegas.plus.get(), std::max(wrapMul(l - 1, Tn), wrapSub(N, Tx)),
                 std::min(wrapSub(wrapMul(l, Tx), n), wrapSub(N, n)));
    }
    return omegas;
}

// The three sets the passes of accumulated costs run over.
struct PassSets {
    SetHandle firstOnly;   // omega_minus − omega_tilda
    SetHandle firstOrNext; // omega_minus ∩ omega_tilda
    SetHandle nextOnly;    // omega_tilda − omega_minus
};

inline PassSets buildPassSets(const Omegas& omegas)
{
    return PassSets{subtract(omegas.minus, omegas.tilda), intersect(omegas.minus, omegas.tilda),
                    subtract(omegas.tilda, omegas.minus)};
}

} // namespace mirokel::direct

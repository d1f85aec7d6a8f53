// Sets of sample positions held as sorted lists of closed 16-bit intervals [start, end].
// Intervals are merged only when they share a position: touching intervals stay
// separate. An operation that would need more slots than the set has is refused and
// leaves the set as it was.
#pragma once

#include <cstdint>

namespace mirokel {

struct PositionSet {
    std::uint16_t capacity = 0;     // interval slots
    std::uint16_t count = 0;        // intervals in use
    std::uint16_t* starts = nullptr; // [capacity] first position of each interval
    std::uint16_t* ends = nullptr;   // [capacity] last position of each interval
};

// An empty set with at least `capacity` slots: `set` keeps its storage when it is large
// enough, otherwise gets new slots; a null set is created. Null when memory runs out
// (a set passed in is then released).
PositionSet* resetSet(PositionSet* set, std::uint16_t capacity);

// Each returns 1 on success, 0 when refused (nothing changed) or when set is null.
std::int32_t addInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi);      // set ∪ [lo, hi]
std::int32_t uniteSets(PositionSet* set, const PositionSet* other);                   // addInterval of each interval
std::int32_t subtractInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi); // set − [lo, hi]
std::int32_t subtractSet(PositionSet* set, const PositionSet* other);                 // subtractInterval of each
std::int32_t clipToInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi);   // set ∩ [lo, hi]
std::int32_t intersectSets(PositionSet* set, const PositionSet* other);               // ∪ over other of set ∩ interval

// `destination` reset with the source's capacity and given its intervals; null when the
// source is null or memory runs out.
PositionSet* copySet(PositionSet* destination, const PositionSet* source);

// Releases the set; accepts null.
void freeSet(PositionSet* set);

// Calls visit(first, last) for every interval of the set in ascending order.
template <class Visit>
void forEachInterval(const PositionSet& set, Visit&& visit)
{
    for (std::uint16_t i = 0; i < set.count; ++i) visit(std::int32_t{set.starts[i]}, std::int32_t{set.ends[i]});
}

// Calls visit(position) for every position of the set in ascending order.
template <class Visit>
void forEachPosition(const PositionSet& set, Visit&& visit)
{
    for (std::uint16_t i = 0; i < set.count; ++i)
        for (std::uint32_t m = set.starts[i]; m <= set.ends[i]; ++m) visit(static_cast<std::int32_t>(m));
}

} // namespace mirokel

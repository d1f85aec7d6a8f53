// Interval arithmetic of position sets. Intervals stay sorted and disjoint; every
// operation either completes or leaves the set unchanged.
#include "engine/position_set.h"

#include "platform/allocation.h"

#include <algorithm>
#include <new>

namespace mirokel {

namespace {

void removeIntervals(PositionSet& s, std::uint16_t first, std::uint16_t count)
{
    std::copy(s.starts + first + count, s.starts + s.count, s.starts + first);
    std::copy(s.ends + first + count, s.ends + s.count, s.ends + first);
    s.count = static_cast<std::uint16_t>(s.count - count);
}

void insertInterval(PositionSet& s, std::uint16_t at, std::uint16_t lo, std::uint16_t hi)
{
    std::copy_backward(s.starts + at, s.starts + s.count, s.starts + s.count + 1);
    std::copy_backward(s.ends + at, s.ends + s.count, s.ends + s.count + 1);
    s.starts[at] = lo;
    s.ends[at] = hi;
    ++s.count;
}

// The stored intervals that share a position with [lo, hi]: first … past − 1.
struct Overlap {
    std::uint16_t first;
    std::uint16_t past;
};

Overlap findOverlap(const PositionSet& s, std::uint16_t lo, std::uint16_t hi)
{
    Overlap o{0, 0};
    while (o.first < s.count && s.ends[o.first] < lo) ++o.first;
    o.past = o.first;
    while (o.past < s.count && s.starts[o.past] <= hi) ++o.past;
    return o;
}

bool allocateSlots(PositionSet& s, std::uint16_t capacity)
{
    auto* slots = allocateArray<std::uint16_t>(2 * std::size_t{capacity});
    if (slots == nullptr) return false;
    releaseMemory(s.starts);
    s.starts = slots;
    s.ends = slots + capacity;
    s.capacity = capacity;
    return true;
}

} // namespace

PositionSet* resetSet(PositionSet* set, std::uint16_t capacity)
{
    if (set == nullptr) {
        set = allocateArray<PositionSet>(1);
        if (set == nullptr) return nullptr;
        new (set) PositionSet{};
    }
    if (set->starts == nullptr || set->capacity < capacity) {
        if (!allocateSlots(*set, capacity)) {
            freeSet(set);
            return nullptr;
        }
    }
    std::fill_n(set->starts, set->capacity, std::uint16_t{0});
    std::fill_n(set->ends, set->capacity, std::uint16_t{0});
    set->count = 0;
    return set;
}

std::int32_t addInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi)
{
    if (set == nullptr || lo > hi) return 0;
    PositionSet& s = *set;
    const auto [first, past] = findOverlap(s, lo, hi);
    if (past == first) {
        if (s.count >= s.capacity) return 0;
        insertInterval(s, first, lo, hi);
        return 1;
    }
    const std::uint16_t start = std::min(lo, s.starts[first]);
    const std::uint16_t end = std::max(hi, s.ends[past - 1]);
    removeIntervals(s, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(past - first - 1));
    s.starts[first] = start;
    s.ends[first] = end;
    return 1;
}

std::int32_t uniteSets(PositionSet* set, const PositionSet* other)
{
    if (set == nullptr || other == nullptr) return 0;
    std::int32_t result = 1;
    for (std::uint16_t i = 0; i < other->count; ++i)
        result &= addInterval(set, other->starts[i], other->ends[i]);
    return result;
}

std::int32_t subtractInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi)
{
    if (set == nullptr || lo > hi) return 0;
    PositionSet& s = *set;
    const auto [first, past] = findOverlap(s, lo, hi);
    if (past == first) return 1;
    const bool split = past - first == 1 && s.starts[first] < lo && hi < s.ends[first];
    if (split) {
        if (s.count >= s.capacity) return 0;
        insertInterval(s, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(hi + 1), s.ends[first]);
        s.ends[first] = static_cast<std::uint16_t>(lo - 1);
        return 1;
    }
    // The first overlapping interval may keep a head, the last one a tail; those between go.
    const bool keepHead = s.starts[first] < lo;
    const bool keepTail = hi < s.ends[past - 1];
    if (keepHead) s.ends[first] = static_cast<std::uint16_t>(lo - 1);
    if (keepTail) s.starts[past - 1] = static_cast<std::uint16_t>(hi + 1);
    const auto removedFirst = static_cast<std::uint16_t>(first + (keepHead ? 1 : 0));
    const auto removedPast = static_cast<std::uint16_t>(past - (keepTail ? 1 : 0));
    if (removedPast > removedFirst)
        removeIntervals(s, removedFirst, static_cast<std::uint16_t>(removedPast - removedFirst));
    return 1;
}

std::int32_t subtractSet(PositionSet* set, const PositionSet* other)
{
    if (set == nullptr || other == nullptr) return 0;
    std::int32_t result = 1;
    for (std::uint16_t i = 0; i < other->count; ++i)
        result &= subtractInterval(set, other->starts[i], other->ends[i]);
    return result;
}

std::int32_t clipToInterval(PositionSet* set, std::uint16_t lo, std::uint16_t hi)
{
    if (set == nullptr || lo > hi) return 0;
    PositionSet& s = *set;
    std::uint16_t kept = 0;
    for (std::uint16_t i = 0; i < s.count; ++i) {
        const std::uint16_t start = std::max(s.starts[i], lo);
        const std::uint16_t end = std::min(s.ends[i], hi);
        if (start > end) continue;
        s.starts[kept] = start;
        s.ends[kept] = end;
        ++kept;
    }
    s.count = kept;
    return 1;
}

std::int32_t intersectSets(PositionSet* set, const PositionSet* other)
{
    if (set == nullptr || other == nullptr) return 0;
    PositionSet* result = resetSet(nullptr, set->capacity);
    PositionSet* piece = result != nullptr ? copySet(nullptr, set) : nullptr;
    if (piece == nullptr) {
        freeSet(result);
        return 0;
    }
    // A piece that does not fit into a full result is left out, as uniteSets leaves it.
    std::int32_t united = 1;
    for (std::uint16_t i = 0; i < other->count; ++i) {
        copySet(piece, set); // piece already has the capacity: nothing is allocated
        clipToInterval(piece, other->starts[i], other->ends[i]);
        united &= uniteSets(result, piece);
    }
    std::copy_n(result->starts, result->count, set->starts);
    std::copy_n(result->ends, result->count, set->ends);
    set->count = result->count;
    freeSet(result);
    freeSet(piece);
    return united;
}

PositionSet* copySet(PositionSet* destination, const PositionSet* source)
{
    if (source == nullptr) return nullptr;
    destination = resetSet(destination, source->capacity);
    if (destination == nullptr) return nullptr;
    std::copy_n(source->starts, source->count, destination->starts);
    std::copy_n(source->ends, source->count, destination->ends);
    destination->count = source->count;
    return destination;
}

void freeSet(PositionSet* set)
{
    if (set == nullptr) return;
    releaseMemory(set->starts);
    set->~PositionSet();
    releaseMemory(set);
}

} // namespace mirokel

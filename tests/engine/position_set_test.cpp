// Position sets: the interval operations on worked examples, refusals that must leave a set
// unchanged, the set-to-set operations, reuse of storage, iteration order, unsigned 16-bit
// bounds, and a randomized comparison with a plain set of positions.
#include "engine/position_set.h"

#include "platform/allocation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

using Intervals = std::vector<std::pair<int, int>>;

Intervals intervalsOf(const PositionSet& s)
{
    Intervals result;
    for (std::uint16_t i = 0; i < s.count; ++i) result.emplace_back(s.starts[i], s.ends[i]);
    return result;
}

std::set<int> positionsOf(const PositionSet& s)
{
    std::set<int> result;
    forEachPosition(s, [&](std::int32_t m) { result.insert(m); });
    return result;
}

// Intervals in use are closed, sorted and share no position (touching is allowed).
::testing::AssertionResult isSortedAndDisjoint(const PositionSet& s)
{
    if (s.count > s.capacity)
        return ::testing::AssertionFailure() << s.count << " intervals in " << s.capacity << " slots";
    for (std::uint16_t i = 0; i < s.count; ++i) {
        if (s.starts[i] > s.ends[i])
            return ::testing::AssertionFailure() << "interval " << i << " is [" << s.starts[i] << ", " << s.ends[i]
                                                 << "]";
        if (i > 0 && s.ends[i - 1] >= s.starts[i])
            return ::testing::AssertionFailure() << "intervals " << i - 1 << " and " << i << " overlap or are unsorted";
    }
    return ::testing::AssertionSuccess();
}

class PositionSetTest : public ::testing::Test {
protected:
    ~PositionSetTest() override
    {
        for (PositionSet* s : owned) freeSet(s);
        EXPECT_EQ(liveAllocations(), liveBefore);
    }

    // A set of `capacity` slots holding `intervals` (each must be accepted).
    PositionSet* make(std::uint16_t capacity, const Intervals& intervals = {})
    {
        PositionSet* s = keep(resetSet(nullptr, capacity));
        EXPECT_NE(s, nullptr);
        for (const auto& [lo, hi] : intervals)
            EXPECT_EQ(addInterval(s, static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi)), 1)
                << "building [" << lo << ", " << hi << "]";
        EXPECT_EQ(intervalsOf(*s), intervals);
        return s;
    }

    PositionSet* keep(PositionSet* s)
    {
        if (s != nullptr) owned.push_back(s);
        return s;
    }

    const std::int64_t liveBefore = liveAllocations();
    std::vector<PositionSet*> owned;
};

enum class Operation { add, subtract, clip };

const char* nameOf(Operation op)
{
    switch (op) {
    case Operation::add: return "add";
    case Operation::subtract: return "subtract";
    case Operation::clip: return "clip";
    }
    return "?";
}

std::int32_t apply(Operation op, PositionSet* s, std::uint16_t lo, std::uint16_t hi)
{
    switch (op) {
    case Operation::add: return addInterval(s, lo, hi);
    case Operation::subtract: return subtractInterval(s, lo, hi);
    case Operation::clip: return clipToInterval(s, lo, hi);
    }
    return -1;
}

TEST_F(PositionSetTest, IntervalOperationsOnExamples)
{
    struct Case {
        const char* description;
        std::uint16_t capacity;
        Intervals before;
        Operation op;
        int lo, hi;
        std::int32_t result;
        Intervals after;
    };
    const Case cases[] = {
        {"add overlapping the first interval from below", 4, {{10, 20}, {30, 40}}, Operation::add, 5, 12, 1,
         {{5, 20}, {30, 40}}},
        {"add sharing the end position", 4, {{10, 20}, {30, 40}}, Operation::add, 20, 25, 1, {{10, 25}, {30, 40}}},
        {"add touching the last interval stays separate", 4, {{10, 20}, {30, 40}}, Operation::add, 41, 45, 1,
         {{10, 20}, {30, 40}, {41, 45}}},
        {"add touching the first interval from below stays separate", 4, {{10, 20}}, Operation::add, 5, 9, 1,
         {{5, 9}, {10, 20}}},
        {"add filling a gap exactly is an insertion", 4, {{10, 20}, {30, 40}}, Operation::add, 21, 29, 1,
         {{10, 20}, {21, 29}, {30, 40}}},
        {"add needing a slot in a full set is refused", 2, {{10, 20}, {30, 40}}, Operation::add, 21, 29, 0,
         {{10, 20}, {30, 40}}},
        {"add merging in a full set needs no slot", 2, {{10, 20}, {30, 40}}, Operation::add, 15, 35, 1, {{10, 40}}},
        {"add swallowing two intervals", 4, {{6, 12}, {18, 24}, {31, 32}}, Operation::add, 1, 21, 1,
         {{1, 24}, {31, 32}}},
        {"add inside an interval changes nothing", 2, {{10, 20}}, Operation::add, 12, 14, 1, {{10, 20}}},
        {"add with lo > hi is refused", 4, {{10, 20}}, Operation::add, 30, 25, 0, {{10, 20}}},
        {"add a single position to an empty set", 1, {}, Operation::add, 7, 7, 1, {{7, 7}}},

        {"subtract the tail of an interval", 2, {{23, 32}}, Operation::subtract, 32, 53, 1, {{23, 31}}},
        {"subtract the head of an interval in a full set", 1, {{10, 20}}, Operation::subtract, 5, 12, 1,
         {{13, 20}}},
        {"subtract splitting with a free slot", 3, {{10, 20}}, Operation::subtract, 12, 15, 1, {{10, 11}, {16, 20}}},
        {"subtract splitting in a full set is refused", 2, {{10, 20}, {30, 40}}, Operation::subtract, 12, 15, 0,
         {{10, 20}, {30, 40}}},
        {"subtract across several intervals keeps head and tail", 3, {{10, 20}, {30, 40}, {50, 60}},
         Operation::subtract, 15, 55, 1, {{10, 14}, {56, 60}}},
        {"subtract exactly one interval removes it", 3, {{10, 20}, {30, 40}, {50, 60}}, Operation::subtract, 30, 40,
         1, {{10, 20}, {50, 60}}},
        {"subtract in a gap changes nothing", 2, {{10, 20}, {30, 40}}, Operation::subtract, 21, 29, 1,
         {{10, 20}, {30, 40}}},
        {"subtract everything", 3, {{10, 20}, {30, 40}}, Operation::subtract, 0, 100, 1, {}},
        {"subtract with lo > hi is refused", 2, {{10, 20}}, Operation::subtract, 15, 12, 0, {{10, 20}}},

        {"clip keeps a single position and a whole interval", 3, {{9, 14}, {40, 55}, {57, 59}}, Operation::clip, 55,
         61, 1, {{55, 55}, {57, 59}}},
        {"clip cuts intervals on both sides", 3, {{9, 14}, {40, 55}, {57, 59}}, Operation::clip, 12, 58, 1,
         {{12, 14}, {40, 55}, {57, 58}}},
        {"clip to a gap empties the set", 3, {{9, 14}, {40, 55}}, Operation::clip, 20, 30, 1, {}},
        {"clip with lo > hi is refused", 3, {{9, 14}, {40, 55}}, Operation::clip, 50, 10, 0, {{9, 14}, {40, 55}}},

        // Bounds compared as signed 16-bit values would sort 40000 and above before 100.
        {"add above 32767 sorts after small positions", 3, {{100, 200}}, Operation::add, 40000, 65535, 1,
         {{100, 200}, {40000, 65535}}},
        {"add between small and large positions", 3, {{100, 200}, {40000, 65535}}, Operation::add, 30000, 39999, 1,
         {{100, 200}, {30000, 39999}, {40000, 65535}}},
        {"subtract the top position 65535", 2, {{40000, 65535}}, Operation::subtract, 65535, 65535, 1,
         {{40000, 65534}}},
        {"subtract position 0", 2, {{0, 5}}, Operation::subtract, 0, 0, 1, {{1, 5}}},
        {"subtract from 32767 up", 2, {{100, 65535}}, Operation::subtract, 32767, 65535, 1, {{100, 32766}}},
        {"clip to the upper half", 3, {{100, 200}, {30000, 50000}}, Operation::clip, 32768, 65535, 1,
         {{32768, 50000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        PositionSet* s = make(c.capacity, c.before);
        EXPECT_EQ(apply(c.op, s, static_cast<std::uint16_t>(c.lo), static_cast<std::uint16_t>(c.hi)), c.result)
            << nameOf(c.op) << " [" << c.lo << ", " << c.hi << "]";
        EXPECT_EQ(intervalsOf(*s), c.after);
        EXPECT_EQ(s->capacity, c.capacity);
        EXPECT_TRUE(isSortedAndDisjoint(*s));
    }
}

TEST_F(PositionSetTest, NullSetIsRefusedEverywhere)
{
    PositionSet* s = make(2, {{1, 2}});
    EXPECT_EQ(addInterval(nullptr, 1, 2), 0);
    EXPECT_EQ(subtractInterval(nullptr, 1, 2), 0);
    EXPECT_EQ(clipToInterval(nullptr, 1, 2), 0);
    EXPECT_EQ(uniteSets(nullptr, s), 0);
    EXPECT_EQ(subtractSet(nullptr, s), 0);
    EXPECT_EQ(intersectSets(nullptr, s), 0);
    freeSet(nullptr);
}

TEST_F(PositionSetTest, UniteSetsAddsEveryIntervalInOrder)
{
    PositionSet* s = make(6, {{10, 20}, {30, 40}, {60, 70}});
    const PositionSet* other = make(4, {{0, 4}, {18, 32}, {41, 50}, {100, 120}});
    EXPECT_EQ(uniteSets(s, other), 1);
    EXPECT_EQ(intervalsOf(*s), (Intervals{{0, 4}, {10, 40}, {41, 50}, {60, 70}, {100, 120}}));
    EXPECT_EQ(intervalsOf(*other), (Intervals{{0, 4}, {18, 32}, {41, 50}, {100, 120}})) << "other unchanged";
}

// Each interval of the other set is added on its own: one that needs a slot of a full set
// is refused, later ones that merge still go in.
TEST_F(PositionSetTest, UniteSetsIntoAFullSetAddsWhatFits)
{
    PositionSet* s = make(2, {{10, 20}, {30, 40}});
    const PositionSet* other = make(3, {{0, 4}, {15, 25}, {38, 45}});
    EXPECT_EQ(uniteSets(s, other), 0);
    EXPECT_EQ(intervalsOf(*s), (Intervals{{10, 25}, {30, 45}}));
}

TEST_F(PositionSetTest, SubtractSetRemovesEveryIntervalInOrder)
{
    PositionSet* s = make(4, {{0, 50}, {60, 80}});
    const PositionSet* other = make(3, {{10, 20}, {45, 65}, {80, 90}});
    EXPECT_EQ(subtractSet(s, other), 1);
    EXPECT_EQ(intervalsOf(*s), (Intervals{{0, 9}, {21, 44}, {66, 79}}));
}

TEST_F(PositionSetTest, IntersectSetsKeepsThePositionsInBoth)
{
    PositionSet* s = make(4, {{0, 10}, {20, 30}, {40, 50}});
    const PositionSet* other = make(3, {{5, 25}, {45, 60}, {70, 80}});
    EXPECT_EQ(intersectSets(s, other), 1);
    EXPECT_EQ(intervalsOf(*s), (Intervals{{5, 10}, {20, 25}, {45, 50}}));

    const PositionSet* empty = make(2);
    EXPECT_EQ(intersectSets(s, empty), 1);
    EXPECT_EQ(s->count, 0);
}

// Pieces cut from one interval by two touching intervals of the other set stay separate.
TEST_F(PositionSetTest, IntersectSetsWithTouchingIntervalsKeepsThemSeparate)
{
    PositionSet* s = make(3, {{0, 100}});
    const PositionSet* other = make(2, {{10, 19}, {20, 30}});
    EXPECT_EQ(intersectSets(s, other), 1);
    EXPECT_EQ(intervalsOf(*s), (Intervals{{10, 19}, {20, 30}}));
}

TEST_F(PositionSetTest, CopySetGivesTheSourceIntervals)
{
    const PositionSet* source = make(5, {{3, 4}, {10, 20}});

    PositionSet* fresh = keep(copySet(nullptr, source));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->capacity, 5);
    EXPECT_EQ(intervalsOf(*fresh), (Intervals{{3, 4}, {10, 20}}));
    EXPECT_NE(fresh->starts, source->starts) << "own storage";

    PositionSet* larger = make(8, {{100, 200}, {300, 400}, {500, 600}});
    const std::uint16_t* storage = larger->starts;
    EXPECT_EQ(copySet(larger, source), larger);
    EXPECT_EQ(larger->capacity, 8) << "a larger destination keeps its capacity";
    EXPECT_EQ(larger->starts, storage);
    EXPECT_EQ(intervalsOf(*larger), (Intervals{{3, 4}, {10, 20}}));

    PositionSet* smaller = make(1, {{7, 7}});
    EXPECT_EQ(copySet(smaller, source), smaller);
    EXPECT_GE(smaller->capacity, 5);
    EXPECT_EQ(intervalsOf(*smaller), (Intervals{{3, 4}, {10, 20}}));

    EXPECT_EQ(copySet(nullptr, nullptr), nullptr);
    PositionSet* untouched = make(2, {{1, 1}});
    EXPECT_EQ(copySet(untouched, nullptr), nullptr);
}

TEST_F(PositionSetTest, ResetSetKeepsLargeEnoughStorageAndZeroesEverySlot)
{
    // Slots past the count keep stale bounds after a clip; a reset must zero them too.
    PositionSet* s = make(6, {{1, 2}, {4, 5}, {7, 8}, {10, 11}, {13, 14}, {16, 17}});
    ASSERT_EQ(clipToInterval(s, 0, 5), 1);
    ASSERT_EQ(s->count, 2);
    const std::uint16_t* storage = s->starts;
    const std::int64_t attempts = allocationAttempts();
    EXPECT_EQ(resetSet(s, 4), s);
    EXPECT_EQ(allocationAttempts(), attempts) << "nothing is allocated";
    EXPECT_EQ(s->starts, storage);
    EXPECT_EQ(s->capacity, 6);
    EXPECT_EQ(s->count, 0);
    for (std::uint16_t i = 0; i < s->capacity; ++i) {
        EXPECT_EQ(s->starts[i], 0) << "slot " << i;
        EXPECT_EQ(s->ends[i], 0) << "slot " << i;
    }

    ASSERT_EQ(addInterval(s, 9, 9), 1);
    EXPECT_EQ(resetSet(s, 10), s) << "the record itself is kept";
    EXPECT_EQ(s->capacity, 10);
    EXPECT_EQ(s->count, 0);
    for (std::uint16_t i = 0; i < s->capacity; ++i) {
        EXPECT_EQ(s->starts[i], 0) << "slot " << i;
        EXPECT_EQ(s->ends[i], 0) << "slot " << i;
    }
    // All ten slots are usable.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(addInterval(s, static_cast<std::uint16_t>(10 * i), static_cast<std::uint16_t>(10 * i + 1)), 1) << i;
    EXPECT_EQ(s->count, 10);
    EXPECT_EQ(addInterval(s, 200, 201), 0);
}

TEST_F(PositionSetTest, ForEachPositionVisitsAscendingUpTo65535)
{
    const PositionSet* s = make(4, {{0, 2}, {9, 9}, {32767, 32768}, {65533, 65535}});
    std::vector<std::int32_t> visited;
    forEachPosition(*s, [&](std::int32_t m) { visited.push_back(m); });
    EXPECT_EQ(visited, (std::vector<std::int32_t>{0, 1, 2, 9, 32767, 32768, 65533, 65534, 65535}));

    const PositionSet* whole = make(1, {{0, 65535}});
    std::int64_t visits = 0;
    std::int32_t last = -1;
    bool ascending = true;
    forEachPosition(*whole, [&](std::int32_t m) {
        ascending = ascending && m == last + 1;
        last = m;
        ++visits;
    });
    EXPECT_EQ(visits, 65536);
    EXPECT_TRUE(ascending);
}

// Random sequences of operations on small sets, compared with a plain set of positions.
// Whenever an operation succeeds the set must denote exactly the model's positions; a
// refused single-interval operation must leave the intervals as they were, and may only
// happen for a full set.
TEST(PositionSetProperty, RandomOperationsMatchAPlainSetOfPositions)
{
    constexpr int positions = 48;
    constexpr int sequences = 1500;
    constexpr int steps = 30;
    const std::int64_t liveBefore = liveAllocations();
    std::mt19937 random(20240611);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto randomInterval = [&] {
        const int lo = uniform(0, positions - 1);
        return std::pair<int, int>{lo, std::min(positions - 1, lo + uniform(0, 10))};
    };
    // Another set of a few intervals with room for all of them.
    auto randomOther = [&](std::set<int>& modelOther) {
        PositionSet* other = resetSet(nullptr, 16);
        for (int n = uniform(0, 3); n > 0; --n) {
            const auto [lo, hi] = randomInterval();
            addInterval(other, static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi));
        }
        modelOther = positionsOf(*other);
        return other;
    };

    int refusals = 0, successes = 0;
    for (int sequence = 0; sequence < sequences && !::testing::Test::HasFatalFailure(); ++sequence) {
        const auto capacity = static_cast<std::uint16_t>(uniform(1, 8));
        PositionSet* s = resetSet(nullptr, capacity);
        ASSERT_NE(s, nullptr);
        std::set<int> model;
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE("sequence " + std::to_string(sequence) + " step " + std::to_string(step) + " capacity " +
                         std::to_string(capacity));
            const Intervals before = intervalsOf(*s);
            const int kind = uniform(0, 5);
            std::int32_t result = 0;
            std::set<int> expected = model;
            bool singleInterval = true;
            if (kind <= 2) {
                const auto [lo, hi] = randomInterval();
                const auto op = kind == 0 ? Operation::add : kind == 1 ? Operation::subtract : Operation::clip;
                result = apply(op, s, static_cast<std::uint16_t>(lo), static_cast<std::uint16_t>(hi));
                for (int m = 0; m < positions; ++m) {
                    const bool inside = lo <= m && m <= hi;
                    if (op == Operation::add && inside) expected.insert(m);
                    if (op == Operation::subtract && inside) expected.erase(m);
                    if (op == Operation::clip && !inside) expected.erase(m);
                }
                if (op == Operation::clip) {
                    ASSERT_EQ(result, 1) << "clipping never needs a slot";
                }
            } else {
                singleInterval = false;
                std::set<int> modelOther;
                PositionSet* other = randomOther(modelOther);
                ASSERT_NE(other, nullptr);
                for (int m = 0; m < positions; ++m) {
                    const bool inOther = modelOther.count(m) > 0;
                    if (kind == 3 && inOther) expected.insert(m);
                    if (kind == 4 && inOther) expected.erase(m);
                    if (kind == 5 && !inOther) expected.erase(m);
                }
                result = kind == 3 ? uniteSets(s, other) : kind == 4 ? subtractSet(s, other) : intersectSets(s, other);
                freeSet(other);
            }
            ASSERT_TRUE(isSortedAndDisjoint(*s));
            ASSERT_EQ(s->capacity, capacity);
            if (result == 1) {
                ++successes;
                ASSERT_EQ(positionsOf(*s), expected);
                model = expected;
            } else {
                ++refusals;
                if (singleInterval) {
                    ASSERT_EQ(intervalsOf(*s), before) << "a refused operation changes nothing";
                    ASSERT_EQ(before.size(), capacity) << "only a full set refuses";
                }
                model = positionsOf(*s); // a partly applied set operation: carry on from what it left
            }
        }
        freeSet(s);
    }
    // The sequences exercise both outcomes.
    EXPECT_GT(refusals, 100);
    EXPECT_GT(successes, 10 * refusals);
    EXPECT_EQ(liveAllocations(), liveBefore);
}

} // namespace
} // namespace mirokel

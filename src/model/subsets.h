// The two lists that steer which etalons a series is made of: the required list (the
// etalons in use, from which "Processing Next Data" draws) and the subsets written into
// the series record (the selected tuple forced into the series and the pattern tuples
// that tuple recognition compares against).
#pragma once

#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

// Releases oldList (may be null) and returns a new list 1, 2, …, count, or null after a
// failed allocation (message shown). count: 1 … 20.
std::uint16_t* getRequiredList(Window& window, std::uint16_t count, std::uint16_t* oldList);

// Releases a list from getRequiredList; accepts null.
void freeRequiredList(std::uint16_t* list);

// Stores one subset of `count` etalon numbers (only the low 16 bits of each member) as the
// series' selected subset; copies at most wMaxPulses entries but records the full count.
// Nothing happens with a null series. Returns 1.
std::int32_t setSelectedSubset(Window& window, const std::int32_t* members, std::uint16_t count,
                               std::uint16_t employment, std::uint16_t initPosition, SeriesHeader* series);

// Stores `count` pattern subsets (sizes[i] entries of rows[i] each) and makes subset
// `current` (1-based; 0 or above count means the last) the selected subset. Pattern
// storage of rowsCapacity rows × rowCapacity entries is reused while large enough.
// count ≤ 0 returns 0 and changes nothing; a null series returns 1; a failed allocation
// shows its message and returns 0.
std::int32_t addSomeSelectedSubsetToSeriesHeader(Window& window, const std::int32_t* sizes,
                                                 const std::int32_t* const* rows, std::int32_t count,
                                                 std::int32_t rowsCapacity, std::int32_t rowCapacity,
                                                 std::int32_t current, std::uint16_t employment,
                                                 std::uint16_t initPosition, SeriesHeader* series);

} // namespace mirokel

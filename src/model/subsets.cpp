// The required list and the subsets of the series record.
#include "model/subsets.h"

#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

constexpr const char* patternCaption = " addSomeSelectedSubsetToSeriesHeader ";

void releasePatternStorage(SeriesHeader& s)
{
    releaseMemory(s.selectedSubsetSize);
    releaseMemory(static_cast<void*>(s.selectedSubsetList));
    s.selectedSubsetSize = nullptr;
    s.selectedSubsetList = nullptr;
}

// Makes sure the pattern block and its row pointers exist for rowsCapacity rows of
// rowCapacity entries. False after a failed allocation (message shown).
bool preparePatternStorage(Window& window, SeriesHeader& s, std::int32_t rowsCapacity, std::int32_t rowCapacity)
{
    if (s.wSubsetsCapacity < rowsCapacity || s.wSubsetCapacity < rowCapacity) releasePatternStorage(s);
    if (s.selectedSubsetSize == nullptr) {
        s.selectedSubsetSize =
            allocateArray<std::int16_t>(static_cast<std::size_t>(rowsCapacity) * static_cast<std::size_t>(rowCapacity + 1));
        if (s.selectedSubsetSize == nullptr) {
            showMessage(window, "Нет памяти для lpSeriesHeader->selectedSubsetSize!", patternCaption);
            return false;
        }
    }
    if (s.selectedSubsetList == nullptr) {
        s.selectedSubsetList = allocateArray<std::int16_t*>(static_cast<std::size_t>(rowsCapacity));
        if (s.selectedSubsetList == nullptr) {
            releaseMemory(s.selectedSubsetSize);
            s.selectedSubsetSize = nullptr;
            showMessage(window, "Нет памяти для lpSeriesHeader->selectedSubsetList!", patternCaption);
            return false;
        }
        for (std::int32_t i = 0; i < rowsCapacity; ++i)
            s.selectedSubsetList[i] = s.selectedSubsetSize + rowsCapacity + static_cast<std::ptrdiff_t>(i) * rowCapacity;
        s.wSubsetsCapacity = static_cast<std::uint16_t>(rowsCapacity);
        s.wSubsetCapacity = static_cast<std::uint16_t>(rowCapacity);
    }
    return true;
}

// Copies the members into lpSelectedSubset, stopping at wMaxPulses entries.
void copySelectedSubset(SeriesHeader& s, const std::int32_t* members, std::int32_t count)
{
    for (std::int32_t i = 0; i < count && i != s.wMaxPulses; ++i)
        s.lpSelectedSubset[i] = static_cast<std::int16_t>(members[i]);
}

} // namespace

std::uint16_t* getRequiredList(Window& window, std::uint16_t count, std::uint16_t* oldList)
{
    freeRequiredList(oldList);
    auto* list = allocateArray<std::uint16_t>(count);
    if (list == nullptr) {
        showMessage(window, "Нет памяти для newList!", " getRequiredList ");
        return nullptr;
    }
    for (std::uint16_t i = 0; i < count; ++i) list[i] = static_cast<std::uint16_t>(i + 1);
    return list;
}

void freeRequiredList(std::uint16_t* list) { releaseMemory(list); }

std::int32_t setSelectedSubset(Window& /*window*/, const std::int32_t* members, std::uint16_t count,
                               std::uint16_t employment, std::uint16_t initPosition, SeriesHeader* series)
{
    if (series == nullptr) return 1;
    copySelectedSubset(*series, members, count);
    series->wSelectedSubsetSize = count;
    series->wSubsetEmployment = employment;
    series->wSubsetInitPosition = initPosition;
    return 1;
}

std::int32_t addSomeSelectedSubsetToSeriesHeader(Window& window, const std::int32_t* sizes,
                                                 const std::int32_t* const* rows, std::int32_t count,
                                                 std::int32_t rowsCapacity, std::int32_t rowCapacity,
                                                 std::int32_t current, std::uint16_t employment,
                                                 std::uint16_t initPosition, SeriesHeader* series)
{
    if (count <= 0) return 0;
    if (series == nullptr) return 1;
    // More subsets or longer ones than the storage asked for would be written past it.
    rowsCapacity = std::max(rowsCapacity, count);
    for (std::int32_t i = 0; i < count; ++i) rowCapacity = std::max(rowCapacity, sizes[i]);
    if (!preparePatternStorage(window, *series, rowsCapacity, rowCapacity)) return 0;

    SeriesHeader& s = *series;
    s.wSubsetsCount = static_cast<std::uint16_t>(count);
    for (std::int32_t i = 0; i < count; ++i) {
        s.selectedSubsetSize[i] = static_cast<std::int16_t>(sizes[i]);
        for (std::int32_t j = 0; j < sizes[i]; ++j) s.selectedSubsetList[i][j] = static_cast<std::int16_t>(rows[i][j]);
    }
    std::int32_t c = current - 1;
    if (c < 0 || c >= count) c = count - 1;
    copySelectedSubset(s, rows[c], sizes[c]);
    s.wSelectedSubsetSize = static_cast<std::uint16_t>(sizes[c]);
    s.wSubsetEmployment = employment;
    s.wSubsetInitPosition = initPosition;
    return 1;
}

} // namespace mirokel

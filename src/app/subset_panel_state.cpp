// Storage and commits of the subset selection panel.
#include "app/subset_panel_state.h"

#include "model/subsets.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

// Allocates every block of the panel; the message of the first that fails, or null.
const char* allocatePanel(AppState& s)
{
    const std::size_t members = subsetMembersMax;
    s.dwSubsetCapacity = subsetMembersMax;
    s.possibleSubsetRect = allocateArray<Rect>(members);
    if (s.possibleSubsetRect == nullptr) return "Нет памяти для possibleSubsetRect!";
    s.selectedSubset = allocateArray<std::int32_t>(2 * members);
    if (s.selectedSubset == nullptr) return "Нет памяти для selectedSubset!";
    s.adwSubsetMarks = s.selectedSubset + members;
    s.dwSubsetSize = 0;
    if (s.dwReservedCapacity == 0) {
        s.dwReservedCount = 0;
        s.dwReservedCapacity = dwReservedSubsetsMax;
        s.selectedSubsetArraySize = allocateArray<std::int32_t>(static_cast<std::size_t>(s.dwReservedCapacity));
        if (s.selectedSubsetArraySize == nullptr) return "Нет памяти для selectedSubsetArraySize!";
    }
    const auto rows = static_cast<std::size_t>(s.dwReservedCapacity);
    const std::size_t rowLength = members + 1;
    s.possibleSubsetArrayRect = allocateArray<Rect*>(rows);
    if (s.possibleSubsetArrayRect == nullptr) return "Нет памяти для possibleSubsetArrayRect!";
    Rect* rectBlock = allocateArray<Rect>(rows * (members + 2));
    if (rectBlock == nullptr) return "Нет памяти для possibleSubsetRect!";
    s.lpReservedSubsets = allocateArray<std::int32_t*>(rows);
    if (s.lpReservedSubsets == nullptr) {
        releaseMemory(rectBlock);
        return "Нет памяти для selectedSubset!";
    }
    std::int32_t* memberBlock = allocateArray<std::int32_t>(rows * (members + 2));
    if (memberBlock == nullptr) {
        releaseMemory(rectBlock);
        return "Нет памяти для selectedSubset!";
    }
    for (std::size_t i = 0; i < rows; ++i) {
        s.possibleSubsetArrayRect[i] = rectBlock + i * rowLength;
        s.lpReservedSubsets[i] = memberBlock + i * rowLength;
    }
    s.lpReservedListRect = rectBlock + rows * rowLength;
    return nullptr;
}

} // namespace

std::int32_t prepareSubsetPanel(Window& window, AppState& s)
{
    if (s.dwSubsetCapacity == subsetMembersMax) return 1;
    releaseSubsetPanel(s);
    if (const char* failure = allocatePanel(s)) {
        releaseSubsetPanel(s);
        showMessage(window, failure, "");
        return 0;
    }
    return 1;
}

void releaseSubsetPanel(AppState& s)
{
    releaseMemory(s.possibleSubsetRect);
    releaseMemory(s.selectedSubset);
    releaseMemory(s.selectedSubsetArraySize);
    if (s.possibleSubsetArrayRect != nullptr) releaseMemory(s.possibleSubsetArrayRect[0]);
    releaseMemory(static_cast<void*>(s.possibleSubsetArrayRect));
    if (s.lpReservedSubsets != nullptr) releaseMemory(s.lpReservedSubsets[0]);
    releaseMemory(static_cast<void*>(s.lpReservedSubsets));
    releaseMemory(s.ButtonsWhileSelectedSubsetRect);
    s.possibleSubsetRect = nullptr;
    s.selectedSubset = s.adwSubsetMarks = s.selectedSubsetArraySize = nullptr;
    s.possibleSubsetArrayRect = nullptr;
    s.lpReservedSubsets = nullptr;
    s.lpReservedListRect = nullptr;
    s.ButtonsWhileSelectedSubsetRect = nullptr;
    s.dwSubsetCapacity = s.dwSubsetSize = 0;
    s.dwReservedCapacity = s.dwReservedCount = 0;
}

std::int32_t reserveSubset(const std::int32_t* members, std::int32_t size, std::int32_t* sizes,
                           std::int32_t* const* rows, std::int32_t count, std::int32_t capacity)
{
    if (count >= capacity) return count;
    std::copy_n(members, size, rows[count]);
    sizes[count] = size;
    return count + 1;
}

void handSubsetsToSeries(Window& window, AppState& s)
{
    if (s.wProcessingMode != processing_mode::tupleRecognition) {
        setSelectedSubset(window, s.selectedSubset, static_cast<std::uint16_t>(s.dwSubsetSize), s.wSubsetEmployment,
                          s.wSubsetInitPosition, s.lpSeriesHeader);
    } else {
        addSomeSelectedSubsetToSeriesHeader(window, s.selectedSubsetArraySize, s.lpReservedSubsets, s.dwReservedCount,
                                            s.dwReservedCapacity, s.dwSubsetCapacity, s.dwCurrentReserved,
                                            s.wSubsetEmployment, s.wSubsetInitPosition, s.lpSeriesHeader);
    }
}

bool commitSubsetPanel(Window& window, AppState& s)
{
    const bool tuples = s.wProcessingMode == processing_mode::tupleRecognition;
    if (tuples ? s.dwReservedCount <= 0 : s.dwSubsetSize <= 0) return false;
    handSubsetsToSeries(window, s);
    return true;
}

} // namespace mirokel

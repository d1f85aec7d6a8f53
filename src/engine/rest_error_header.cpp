// Lifecycle of the simulation result store: sizing with reuse of its three blocks,
// preparation of a run's grid, and the run's labels.
#include "engine/rest_error_header.h"

#include "engine/chains_header.h"
#include "platform/allocation.h"

#include <algorithm>
#include <new>

namespace mirokel {

namespace {

constexpr const char* getCaption = " getRestErrHeader ";
constexpr const char* nullHeaderText = "Не определен lpErrorHeader!";
constexpr std::size_t tableKinds = 3; // lpErrors, lpDetErrors, lpRecErrors

// The block of lpNoiseLevels followed by wPulseValues.
void releaseLevelValues(RestErrorHeader& h)
{
    releaseMemory(h.lpNoiseLevels);
    h.lpNoiseLevels = h.wPulseValues = nullptr;
}

// The block of the three tables' row arrays.
void releaseRowPointers(RestErrorHeader& h)
{
    releaseMemory(static_cast<void*>(h.lpErrors));
    h.lpErrors = h.lpDetErrors = h.lpRecErrors = nullptr;
}

// The block of table values; the rows keep pointing into it until they are set again.
void releaseTableValues(RestErrorHeader& h)
{
    releaseMemory(h.lpTableBlock);
    h.lpTableBlock = nullptr;
}

// Releases every block that a request of P points and L levels does not fit.
void releaseBlocksTooSmall(RestErrorHeader& h, std::uint16_t pulsePoints, std::uint16_t noiseLevels)
{
    const std::uint32_t reservedPulses = h.wReservedPulses;
    const std::uint32_t reservedLevels = h.wReservedLevels;
    if (std::uint32_t{pulsePoints} * noiseLevels > reservedPulses * reservedLevels) releaseTableValues(h);
    if (std::uint32_t{pulsePoints} + noiseLevels > reservedPulses + reservedLevels) releaseLevelValues(h);
    if (noiseLevels > reservedLevels) {
        releaseLevelValues(h);
        releaseTableValues(h);
        releaseRowPointers(h);
    }
}

// Allocates the blocks that are missing for P points and L levels. Returns the message of
// the allocation that failed, or null.
const char* buildMissingBlocks(RestErrorHeader& h, std::uint16_t pulsePoints, std::uint16_t noiseLevels)
{
    if (h.lpNoiseLevels == nullptr) {
        h.lpNoiseLevels = allocateArray<std::uint16_t>(std::size_t{pulsePoints} + noiseLevels);
        if (h.lpNoiseLevels == nullptr) return "Нет памяти для newRestErrorHeader->lpNoiseLevel!";
        h.wPulseValues = h.lpNoiseLevels + noiseLevels;
        h.wReservedLevels = noiseLevels;
        h.wReservedPulses = pulsePoints;
    }
    if (h.lpErrors == nullptr) {
        h.lpErrors = allocateArray<std::int32_t*>(tableKinds * noiseLevels);
        if (h.lpErrors == nullptr) return "Нет памяти для newRestErrorHeader->lpErrors!";
    }
    if (h.lpTableBlock == nullptr) {
        h.lpTableBlock = allocateArray<std::int32_t>(tableKinds * noiseLevels * pulsePoints);
        if (h.lpTableBlock == nullptr) return "Нет памяти для newRestErrorHeader->lpErrors[]!";
    }
    return nullptr;
}

// Points the rows of the three tables into the table block for P points and L levels.
// A kept block was built for at least as many values, but possibly for other P and L:
// rows laid out for its old P would overlap when P grows, so they are laid out afresh.
void layOutRows(RestErrorHeader& h, std::uint16_t pulsePoints, std::uint16_t noiseLevels)
{
    h.lpDetErrors = h.lpErrors + noiseLevels;
    h.lpRecErrors = h.lpDetErrors + noiseLevels;
    std::int32_t** const tables[tableKinds] = {h.lpErrors, h.lpDetErrors, h.lpRecErrors};
    for (std::size_t t = 0; t < tableKinds; ++t)
        for (std::size_t i = 0; i < noiseLevels; ++i)
            tables[t][i] = h.lpTableBlock + (t * noiseLevels + i) * pulsePoints;
}

} // namespace

RestErrorHeader* getRestErrHeader(Window& window, std::uint16_t pulsePoints, std::uint16_t noiseLevels,
                                  std::int32_t repeats, RestErrorHeader* header)
{
    if (header == nullptr) {
        header = allocateArray<RestErrorHeader>(1);
        if (header == nullptr) {
            showMessage(window, "Нет памяти для newRestErrorHeader!", getCaption);
            return nullptr;
        }
        new (header) RestErrorHeader{};
    }
    // A new header has no blocks, so it always gets all three, even for zero sizes.
    releaseBlocksTooSmall(*header, pulsePoints, noiseLevels);
    if (const char* failure = buildMissingBlocks(*header, pulsePoints, noiseLevels)) {
        freeRestErrHeader(window, header);
        showMessage(window, failure, getCaption);
        return nullptr;
    }
    layOutRows(*header, pulsePoints, noiseLevels);
    header->wNoiseLevels = noiseLevels;
    header->wVariousPulses = pulsePoints;
    header->repeats = repeats;
    std::fill_n(header->lpNoiseLevels, std::size_t{pulsePoints} + noiseLevels, std::uint16_t{0});
    std::fill_n(header->lpTableBlock, tableKinds * noiseLevels * pulsePoints, 0);
    return header;
}

std::int32_t initRestErrHeader(Window& window, std::uint16_t pulsePoints, std::uint16_t firstPulses,
                               std::uint16_t pulsesIncrement, std::uint16_t noiseLevels, std::uint16_t firstNoise,
                               std::uint16_t noiseIncrement, std::int32_t repeats, RestErrorHeader* header)
{
    constexpr const char* caption = " initRestErrHeader ";
    if (header == nullptr) {
        showMessage(window, nullHeaderText, caption);
        return 0;
    }
    if (pulsePoints > header->wReservedPulses) {
        showMessage(window, "Неверно задан wVariousPulsesNumber!", caption);
        return 0;
    }
    if (noiseLevels > header->wReservedLevels) {
        showMessage(window, "Неверно задан wNoiseLevels!", caption);
        return 0;
    }
    header->wVariousPulses = pulsePoints;
    header->wNoiseLevels = noiseLevels;
    header->repeats = repeats;
    header->ifComplete = 0;
    for (std::uint32_t j = 0; j < pulsePoints; ++j)
        header->wPulseValues[j] = static_cast<std::uint16_t>(firstPulses + pulsesIncrement * j);
    for (std::uint32_t i = 0; i < noiseLevels; ++i)
        header->lpNoiseLevels[i] = static_cast<std::uint16_t>(firstNoise + noiseIncrement * i);
    for (std::size_t i = 0; i < noiseLevels; ++i) std::fill_n(header->lpErrors[i], pulsePoints, 0);
    return 1;
}

std::int32_t addInitRestErrHeader(Window& window, std::uint16_t seriesType, std::uint16_t processingMode,
                                  std::uint16_t makeEnergy, std::uint16_t procEnergy, RestErrorHeader* header)
{
    if (header == nullptr) {
        showMessage(window, nullHeaderText, " addInitRestErrHeader ");
        return 0;
    }
    writeRunLabels(*header, seriesType, processingMode, restErrorTaskLabel(processingMode), makeEnergy, procEnergy);
    return 1;
}

std::int32_t freeRestErrHeader(Window& /*window*/, RestErrorHeader* header)
{
    if (header == nullptr) return 1;
    releaseLevelValues(*header);
    releaseRowPointers(*header);
    releaseTableValues(*header);
    header->~RestErrorHeader();
    releaseMemory(header);
    return 1;
}

const char* restErrorTaskLabel(std::uint16_t processingMode)
{
    switch (processingMode) {
    case 1: case 36: return "detection";
    case 2: case 40: return "recognition";
    case 4: return "joint detection and identification";
    case 8: case 16: return "joint detection and estimation";
    case 32: return "blind detection";
    default: return nullptr;
    }
}

} // namespace mirokel

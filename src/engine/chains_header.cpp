// Lifecycle of the chains record and the ranking of pretenders.
#include "engine/chains_header.h"

#include "platform/allocation.h"

#include <algorithm>
#include <new>

namespace mirokel {

namespace {

constexpr const char* chainsCaption = " getChainsHeader ";
constexpr std::size_t rowKinds = 4; // etalons, positions, cut starts, cut ends

void releaseStorage(ChainsHeader& h)
{
    releaseMemory(h.distance);
    releaseMemory(static_cast<void*>(h.pulsesList));
    releaseMemory(h.lpRowBlock);
    h.distance = h.lpChainSizes = nullptr;
    h.pulsesList = h.lpChainPositions = h.lpChainCutStart = h.lpChainCutEnd = nullptr;
    h.lpRowBlock = nullptr;
}

// Replaces the three blocks by ones for maxSize pretenders of maxPulses pulses. Returns
// the message of the allocation that failed, or null.
const char* rebuildStorage(ChainsHeader& h, std::uint16_t maxSize, std::uint16_t maxPulses)
{
    releaseStorage(h);
    h.distance = allocateArray<std::int32_t>(2 * std::size_t{maxSize});
    if (h.distance == nullptr) return "Нет памяти для newChainsHeader->distance!";
    h.lpChainSizes = h.distance + maxSize;
    h.pulsesList = allocateArray<std::int16_t*>(rowKinds * maxSize);
    if (h.pulsesList == nullptr) return "Нет памяти для newChainsHeader->pulsesList!";
    h.lpRowBlock = allocateArray<std::int16_t>(rowKinds * maxSize * maxPulses);
    if (h.lpRowBlock == nullptr) return "Нет памяти для newChainsHeader->pulsesList[0]!";
    h.lpChainPositions = h.pulsesList + maxSize;
    h.lpChainCutStart = h.lpChainPositions + maxSize;
    h.lpChainCutEnd = h.lpChainCutStart + maxSize;
    for (std::size_t r = 0; r < rowKinds * maxSize; ++r) h.pulsesList[r] = h.lpRowBlock + r * maxPulses;
    h.wMaxSize = maxSize;
    h.wMaxPulses = maxPulses;
    return nullptr;
}

// Moves pretender `from` into slot `to` with its measure, size and used row entries.
void movePretender(ChainsHeader& h, std::size_t from, std::size_t to)
{
    h.distance[to] = h.distance[from];
    h.lpChainSizes[to] = h.lpChainSizes[from];
    const auto used = static_cast<std::size_t>(std::clamp<std::int32_t>(h.lpChainSizes[from], 0, h.wMaxPulses));
    for (std::int16_t** rows : {h.pulsesList, h.lpChainPositions, h.lpChainCutStart, h.lpChainCutEnd})
        std::copy_n(rows[from], used, rows[to]);
}

} // namespace

ChainsHeader* getChainsHeader(Window& window, std::uint16_t maxSize, std::uint16_t maxPulses, ChainsHeader* header)
{
    const bool fresh = header == nullptr;
    if (fresh) {
        header = allocateArray<ChainsHeader>(1);
        if (header == nullptr) {
            showMessage(window, "Нет памяти для newChainsHeader!", chainsCaption);
            return nullptr;
        }
        new (header) ChainsHeader{};
    }
    // A new header always gets its storage, even for zero sizes.
    if (fresh || maxSize > header->wMaxSize || maxPulses > header->wMaxPulses) {
        if (const char* failure = rebuildStorage(*header, maxSize, maxPulses)) {
            freeChainsHeader(window, header);
            showMessage(window, failure, chainsCaption);
            return nullptr;
        }
    }
    header->wPretenders = 0;
    header->wQuanPulses = 0;
    header->wSeekingPulsesQuantity = 0;
    std::fill_n(header->distance, 2 * std::size_t{maxSize}, 0);
    std::fill_n(header->lpRowBlock, rowKinds * maxSize * maxPulses, std::int16_t{0});
    return header;
}

std::int32_t addToChainsHeader(Window& window, std::uint16_t seriesType, std::uint16_t processingMode,
                               std::uint16_t makeEnergy, std::uint16_t procEnergy, ChainsHeader* header)
{
    if (header == nullptr) {
        showMessage(window, "Не определен lpChainsHeader!", " addToChainsHeader ");
        return 0;
    }
    writeRunLabels(*header, seriesType, processingMode, chainsTaskLabel(processingMode), makeEnergy, procEnergy);
    return 1;
}

std::int32_t freeChainsHeader(Window& /*window*/, ChainsHeader* header)
{
    if (header == nullptr) return 1;
    releaseStorage(*header);
    header->~ChainsHeader();
    releaseMemory(header);
    return 1;
}

const char* seriesTypeLabel(std::uint16_t seriesType)
{
    switch (seriesType) {
    case 1: return "known number of whole pulses";
    case 2: return "known number of cut-off pulses";
    case 4: return "unknown number of whole pulses";
    case 8: return "unknown number of cut-off pulses";
    case 36: return "known number of whole pulses tuples";
    case 40: return "unknown number of whole pulses tuples";
    default: return nullptr;
    }
}

const char* chainsTaskLabel(std::uint16_t processingMode)
{
    switch (processingMode) {
    case 1: case 32: case 36: return "detection";
    case 2: case 40: return "recognition";
    case 4: return "joint detection and identification";
    default: return nullptr;
    }
}

void startChainsRun(ChainsHeader& h, std::uint16_t quanPulses, std::uint16_t seekingPulses,
                    std::uint16_t clearedPulses)
{
    h.wPretenders = 0;
    h.wQuanPulses = quanPulses;
    h.wSeekingPulsesQuantity = seekingPulses;
    const std::size_t cleared = std::min(clearedPulses, h.wMaxPulses);
    for (std::size_t i = 0; i < h.wMaxSize; ++i) {
        h.distance[i] = 0;
        for (std::int16_t** rows : {h.pulsesList, h.lpChainPositions, h.lpChainCutStart, h.lpChainCutEnd})
            std::fill_n(rows[i], cleared, std::int16_t{0});
    }
}

std::int32_t insertPretender(ChainsHeader& h, std::int32_t d, const ChainPulses& chain)
{
    std::size_t slot = 0;
    while (slot < h.wPretenders && !(d < h.distance[slot])) ++slot;
    if (slot >= h.wMaxSize) return -1;
    const std::size_t last = std::min<std::size_t>(h.wPretenders, h.wMaxSize - 1u);
    for (std::size_t j = last; j > slot; --j) movePretender(h, j - 1, j);

    const auto size = static_cast<std::size_t>(std::clamp<std::int32_t>(chain.size, 0, h.wMaxPulses));
    h.distance[slot] = d;
    h.lpChainSizes[slot] = static_cast<std::int32_t>(size);
    std::copy_n(chain.etalons, size, h.pulsesList[slot]);
    std::copy_n(chain.positions, size, h.lpChainPositions[slot]);
    std::copy_n(chain.cutStart, size, h.lpChainCutStart[slot]);
    std::copy_n(chain.cutEnd, size, h.lpChainCutEnd[slot]);
    if (h.wPretenders < h.wMaxSize) ++h.wPretenders;
    return static_cast<std::int32_t>(slot);
}

bool wouldAcceptPretender(const ChainsHeader& h, std::int32_t d)
{
    if (h.wMaxSize == 0) return false;
    return h.wPretenders < h.wMaxSize || d < h.distance[h.wMaxSize - 1];
}

void publishPretender0(const ChainsHeader& h, SeriesHeader& series)
{
    // Never more pulses than the rows or the series' arrays hold.
    const std::uint16_t count =
        h.wMaxSize == 0 ? 0 : std::min({h.wSeekingPulsesQuantity, h.wMaxPulses, series.wPulsesCapacity});
    series.wDetPulses = count;
    std::copy_n(h.lpChainPositions[0], count, series.lpDetPositions);
    std::copy_n(h.pulsesList[0], count, series.lpDetEtalonNumbers);
    std::copy_n(h.lpChainCutStart[0], count, series.lpDetFirstSamples);
    std::copy_n(h.lpChainCutEnd[0], count, series.lpDetLastSamples);
}

} // namespace mirokel

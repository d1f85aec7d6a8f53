// The ranked list of candidate chains (pretenders) of the last processing run, with the
// run's labels. Every search starts a run, offers its chains, and publishes the best one
// into the detected pulses of the series record.
#pragma once

#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>

namespace mirokel {

struct ChainsHeader {
    std::uint16_t wMaxSize = 0;               // pretenders the header can hold
    std::uint16_t wPretenders = 0;            // pretenders held now, 0 … wMaxSize
    std::uint16_t wMaxPulses = 0;             // capacity of every chain row, pulses
    std::uint16_t wQuanPulses = 0;            // pulse count the last run was told (0: not told)
    std::uint16_t wSeekingPulsesQuantity = 0; // pulses of pretender 0
    std::int32_t* distance = nullptr;         // [wMaxSize] measure of each pretender; lower is better
    std::int32_t* lpChainSizes = nullptr;     // [wMaxSize] pulses of each pretender
    std::int16_t** pulsesList = nullptr;      // [wMaxSize] rows: etalon number of each pulse
    std::int16_t** lpChainPositions = nullptr; // [wMaxSize] rows: start of each pulse
    std::int16_t** lpChainCutStart = nullptr;  // [wMaxSize] rows: first matched etalon sample
    std::int16_t** lpChainCutEnd = nullptr;    // [wMaxSize] rows: last matched etalon sample
    std::uint16_t wProcessed = 0;             // 0 in a new header, 2 once labelled
    std::uint16_t wSeriesType = 0;            // series type of the run
    std::uint16_t wProcessingMode = 0;        // processing mode of the run
    const char* lpTaskName = nullptr;         // label of the processing mode, or null
    const char* lpSeriesName = nullptr;       // label of the series type, or null
    std::uint16_t wMakeEnergy = 0;            // saved energy level for making, percent
    std::uint16_t wProcEnergy = 0;            // saved energy level for processing, percent
    std::int16_t* lpRowBlock = nullptr;       // the block all rows point into (owned)
};

// One chain offered to the ranking: `size` pulses, each with its etalon number, start and cut.
struct ChainPulses {
    const std::int16_t* etalons;
    const std::int16_t* positions;
    const std::int16_t* cutStart;
    const std::int16_t* cutEnd;
    std::int32_t size;
};

// Returns `header` (or a new one when null) with room for maxSize pretenders of maxPulses
// pulses, counters cleared and the requested part of the storage zeroed. A header large
// enough in both dimensions keeps its storage. After a failed allocation: message, the
// header (also one passed in) released, null.
ChainsHeader* getChainsHeader(Window& window, std::uint16_t maxSize, std::uint16_t maxPulses, ChainsHeader* header);

// Sets the labels of the run; 0 with a message when the header is null, else 1.
std::int32_t addToChainsHeader(Window& window, std::uint16_t seriesType, std::uint16_t processingMode,
                               std::uint16_t makeEnergy, std::uint16_t procEnergy, ChainsHeader* header);

// Releases the header and its storage; accepts null. Returns 1.
std::int32_t freeChainsHeader(Window& window, ChainsHeader* header);

// Stores the labels of a run in a record that carries them (the chains record, the error
// tables): wProcessed 2, the series type and mode with their labels, the energy levels.
template <class Record>
void writeRunLabels(Record& record, std::uint16_t seriesType, std::uint16_t processingMode, const char* taskName,
                    std::uint16_t makeEnergy, std::uint16_t procEnergy);

// Label texts of a series type and of a processing mode (null when there is none).
const char* seriesTypeLabel(std::uint16_t seriesType);
const char* chainsTaskLabel(std::uint16_t processingMode);

// Start of a run: no pretenders, wQuanPulses = quanPulses, wSeekingPulsesQuantity =
// seekingPulses, every distance 0 and the first clearedPulses entries of every row 0.
void startChainsRun(ChainsHeader& header, std::uint16_t quanPulses, std::uint16_t seekingPulses,
                    std::uint16_t clearedPulses);

// Offers a chain with measure d. It goes behind every stored pretender of equal measure;
// when the header is full the worst one drops out, or the chain itself when it is not
// better than any. Returns the slot it took, or −1 when it was dropped. Chains longer
// than the rows are cut to wMaxPulses pulses.
std::int32_t insertPretender(ChainsHeader& header, std::int32_t d, const ChainPulses& chain);

// Whether a chain with measure d would take a slot: not when the header is full and d is
// not below the worst stored measure. Lets a search skip building chains that would drop out.
bool wouldAcceptPretender(const ChainsHeader& header, std::int32_t d);

// Writes pretender 0 into the detected pulses of the series: wDetPulses =
// wSeekingPulsesQuantity, and that many positions, etalon numbers and cuts.
void publishPretender0(const ChainsHeader& header, SeriesHeader& series);

template <class Record>
void writeRunLabels(Record& record, std::uint16_t seriesType, std::uint16_t processingMode, const char* taskName,
                    std::uint16_t makeEnergy, std::uint16_t procEnergy)
{
    record.wProcessed = 2;
    record.wSeriesType = seriesType;
    record.lpSeriesName = seriesTypeLabel(seriesType);
    record.wProcessingMode = processingMode;
    record.lpTaskName = taskName;
    record.wMakeEnergy = makeEnergy;
    record.wProcEnergy = procEnergy;
}

} // namespace mirokel

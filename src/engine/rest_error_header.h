// The result store of a statistical simulation: for every noise level and pulse-count
// point the error measures accumulated over the repeats, with the labels of the run.
// Tables are indexed [level index][point index].
#pragma once

#include "platform/window.h"

#include <cstdint>

namespace mirokel {

struct RestErrorHeader {
    std::uint16_t wReservedPulses = 0;     // capacity of wPulseValues, pulse-count points
    std::uint16_t wVariousPulses = 0;      // pulse-count points in use, P ≤ wReservedPulses
    std::uint16_t wReservedLevels = 0;     // capacity of lpNoiseLevels, noise levels
    std::uint16_t wNoiseLevels = 0;        // noise levels in use, L ≤ wReservedLevels
    std::int32_t repeats = 0;              // repeats per (level, point) pair
    std::uint16_t* wPulseValues = nullptr; // [wReservedPulses] pulse count of each point
    std::uint16_t* lpNoiseLevels = nullptr; // [wReservedLevels] noise level of each level index;
                                           // start of the block that also holds wPulseValues (owned)
    std::int32_t** lpErrors = nullptr;     // [L] rows of [P]: restoring error; start of the
                                           // row-pointer block of all three tables (owned)
    std::int32_t** lpDetErrors = nullptr;  // [L] rows of [P]: detection error
    std::int32_t** lpRecErrors = nullptr;  // [L] rows of [P]: recognition error count
    std::uint16_t wProcessed = 0;          // 0 in a new header, 2 once labelled
    std::uint16_t wSeriesType = 0;         // series type of the simulated run
    std::uint16_t wProcessingMode = 0;     // processing mode of the simulated run
    const char* lpTaskName = nullptr;      // label of the processing mode, or null
    const char* lpSeriesName = nullptr;    // label of the series type, or null
    std::uint16_t wMakeEnergy = 0;         // saved energy level for making, percent
    std::uint16_t wProcEnergy = 0;         // saved energy level for processing, percent
    std::uint16_t ifComplete = 0;          // 1 once a simulation has filled the tables
    std::int32_t* lpTableBlock = nullptr;  // the block all table rows point into (owned)
};

// Returns `header` (or a new one when null) sized for `pulsePoints` (P) pulse-count points
// and `noiseLevels` (L) noise levels, with wVariousPulses = P, wNoiseLevels = L, `repeats`
// stored and the first P + L 16-bit values and 3 × L × P table values zeroed. Each block is
// kept while the request fits it: the tables while P × L ≤ wReservedPulses × wReservedLevels,
// the 16-bit values while P + L ≤ wReservedPulses + wReservedLevels, all three blocks while
// L ≤ wReservedLevels. Table t (lpErrors, lpDetErrors, lpRecErrors), row i starts at value
// (t × L + i) × P of the table block, with L and P of the call that built it. After a failed
// allocation: message, the header (also one passed in) released, null.
RestErrorHeader* getRestErrHeader(Window& window, std::uint16_t pulsePoints, std::uint16_t noiseLevels,
                                  std::int32_t repeats, RestErrorHeader* header);

// Prepares a simulation of `pulsePoints` points (pulse counts firstPulses + pulsesIncrement × j)
// and `noiseLevels` levels (firstNoise + noiseIncrement × i), each value cut to 16 bits:
// counts stored, ifComplete = 0, lpErrors cleared (the other tables are left as they are).
// Returns 0 with a message, the header unchanged, when it is null or either count exceeds
// its capacity; else 1.
std::int32_t initRestErrHeader(Window& window, std::uint16_t pulsePoints, std::uint16_t firstPulses,
                               std::uint16_t pulsesIncrement, std::uint16_t noiseLevels, std::uint16_t firstNoise,
                               std::uint16_t noiseIncrement, std::int32_t repeats, RestErrorHeader* header);

// Sets the labels of the simulated run and wProcessed = 2; 0 with a message when the
// header is null, else 1.
std::int32_t addInitRestErrHeader(Window& window, std::uint16_t seriesType, std::uint16_t processingMode,
                                  std::uint16_t makeEnergy, std::uint16_t procEnergy, RestErrorHeader* header);

// Releases the header and its three blocks; accepts null. Returns 1.
std::int32_t freeRestErrHeader(Window& window, RestErrorHeader* header);

// Label of a processing mode in a simulation result (null when there is none). Unlike the
// chains record, mode 32 is "blind detection" and modes 8 and 16 have a label.
const char* restErrorTaskLabel(std::uint16_t processingMode);

} // namespace mirokel

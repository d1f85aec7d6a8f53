// The record of one synthetic series: samples without and with noise, the true and the
// detected pulses, the admissible start range of each pulse, the subset forced into the
// series, the pattern subsets and the detected tuples. Storage only grows: rebuilding a
// series of the same or a smaller size allocates nothing.
#pragma once

#include "model/alphabet.h"
#include "platform/window.h"

#include <cstdint>
#include <string>

namespace mirokel {

struct SeriesHeader {
    std::uint32_t dwMaxSeriesSize = 0;     // samples allocated in each sample array
    std::int32_t dwSeriesSize = 0;         // samples in the series, N
    std::uint16_t wTmin = 0;               // shortest distance between pulse starts, samples
    std::uint16_t wTmax = 0;               // longest distance between pulse starts, samples
    std::int16_t* lpPureData = nullptr;    // N samples without noise
    std::int16_t* lpNoisyData = nullptr;   // N samples with noise (what processing sees)
    std::uint16_t wImpulseSize = 0;        // etalon length L, samples
    std::uint16_t wImpulseQuantity = 0;    // pulses in the series, P
    std::uint16_t wMaxPulses = 0;          // greatest pulse count for this length
    std::uint16_t wMinPulses = 0;          // least pulse count for this length, at least 1
    std::int16_t wNoiseLevel = 0;          // standard deviation of the added noise (0 until noised)
    std::int16_t wAmplitude = 0;           // amplitude the series was built with
    std::int16_t* lpPositions = nullptr;       // per pulse: start sample
    std::int16_t* lpDetPositions = nullptr;    // per pulse: start of the detected pulse; −1 after a build
    std::int16_t* lpMinPositions = nullptr;    // per pulse: lowest start the builder allowed
    std::int16_t* lpMaxPositions = nullptr;    // per pulse: highest start the builder allowed
    const PulseHeader* lpFirstEtalon = nullptr; // etalon of pulse 0 (not owned)
    std::int16_t* lpEtalonNumbers = nullptr;    // per pulse: etalon number, 1-based
    std::int16_t* lpDetEtalonNumbers = nullptr; // per pulse: detected etalon number; 0 after a build
    std::uint16_t wPulsesListCapacity = 0;  // entries allocated in lpPulsesList
    std::uint16_t wPulsesListSize = 0;      // alphabet size the series was built with
    std::uint16_t wPulsesCapacity = 0;      // entries allocated in each per-pulse array
    const PulseHeader** lpPulsesList = nullptr; // owned array; entry i points at alphabet slot i
    std::uint16_t wDetPulses = 0;           // detected pulses, written by processing
    std::int16_t wFirstSample = 0;          // 0 after a build
    std::int16_t wLastSample = 0;           // L − 1 after a build
    std::int16_t* lpFirstSamples = nullptr;    // per pulse: first kept etalon sample (inclusive)
    std::int16_t* lpLastSamples = nullptr;     // per pulse: last kept etalon sample (inclusive)
    std::int16_t* lpDetFirstSamples = nullptr; // per detected pulse: first sample; 0 after a build
    std::int16_t* lpDetLastSamples = nullptr;  // per detected pulse: last sample; 0 after a build
    std::int16_t* lpSelectedSubset = nullptr;  // wPulsesCapacity entries: etalon numbers of the forced subset
    std::uint16_t wSelectedSubsetSize = 0;  // entries used in lpSelectedSubset; 0 means no subset
    std::uint16_t wSubsetEmployment = 0;    // 1 single random, 2 single fixed, 3 multiple random, 4 complete, 5 shifted complete
    std::uint16_t wSubsetInitPosition = 0;  // 1-based pulse index where placement starts
    std::uint16_t wDetTuples = 0;           // detected tuples, written by the tuple routines
    std::int16_t* lpTupleFirst = nullptr;   // per tuple: first detected pulse (1-based)
    std::int16_t* lpTupleLast = nullptr;    // per tuple: last detected pulse
    std::uint16_t wSubsetsCapacity = 0;     // pattern subset rows allocated
    std::uint16_t wSubsetsCount = 0;        // pattern subsets stored
    std::uint16_t wSubsetCapacity = 0;      // entries allocated per pattern subset row
    std::int16_t wDetSubset = 0;            // result word of tuple recognition
    std::int16_t* selectedSubsetSize = nullptr;   // owned block: sizes of the pattern subsets, then the rows
    std::int16_t** selectedSubsetList = nullptr;  // owned array of row pointers into that block
};

// Number of 16-bit arrays of one entry per pulse that share the sample block.
constexpr std::uint32_t perPulseArrays = 13;

// Pulse-count bounds of a series: the least count, (N + L − 1) / tmax, and the greatest,
// (N − L + tmin) / tmin, 32-bit unsigned divisions kept in 16 bits. The least count is
// raised from 0 to 1 here, as the builder does for its own copy.
struct PulseCountBounds {
    std::uint16_t minPulses;
    std::uint16_t maxPulses;
};
PulseCountBounds seriesPulseCountBounds(std::uint32_t seriesSize, std::uint16_t impulseSize,
                                        std::uint16_t tmin, std::uint16_t tmax);

constexpr std::int32_t maxSeriesLength = 32767; // pulse positions are stored in 16 bits

// What keeps a series of this geometry from being built, or an empty text: L at least 1,
// tmin 1 … tmax, tmax at least L, seriesSize L … 32767.
std::string seriesGeometryFault(std::int64_t impulseSize, std::int64_t tmin, std::int64_t tmax,
                                std::int64_t seriesSize);

// Whether a series of this geometry can be built. When not, shows a message naming the
// fault with the given caption and returns false.
bool checkSeriesGeometry(Window& window, std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                         std::int32_t seriesSize, const char* caption);

// Returns `series` (or a new record when null), enlarged where the sizes ask for more.
// On an allocation failure shows the message, releases the record passed in and returns
// null. Refused geometry shows a message and returns `series` unchanged.
SeriesHeader* getCutOffSeriesHeader(Window& window, std::uint16_t alphabetSize, std::uint16_t impulseSize,
                                    std::uint16_t tmin, std::uint16_t tmax, std::uint32_t seriesSize,
                                    SeriesHeader* series);

// Releases the record and everything it owns; accepts null.
void freeSeriesHeader(SeriesHeader* series);

// Makes `target` (or a new record when null) a copy of `source`: every field, sample,
// per-pulse entry, the pulses list and the pattern subsets. Storage that is too small is
// enlarged. Null after a failed allocation (message shown, the record passed in released).
SeriesHeader* copySeriesHeader(Window& window, const SeriesHeader& source, SeriesHeader* target);

} // namespace mirokel

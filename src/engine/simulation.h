// The statistical simulation: for every noise level and pulse count of the error tables
// it builds fresh series, processes them with the routine the series type and processing
// mode select, compares the results with the truth and stores the mean errors.
//
// The grid's series are split in order into one share per worker. A walk through the grid
// that counts the draws of every series without building it gives each worker the
// random streams at the start of its share; the worker then builds and processes its
// series in its own copy of the series record with its own chains record. Errors are
// integer sums, so the tables, the series left in the record and the streams at the end
// are those of one sequential run, for every number of threads.
#pragma once

#include "engine/rest_error_header.h"
#include "model/alphabet.h"
#include "model/random_streams.h"
#include "model/series_header.h"
#include "platform/clock.h"
#include "platform/window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace mirokel {

// The errors of a run summed over the repeats of every grid point, cells [noise step]
// [pulse point] in rows of the grid's pulse points: integer sums, so that the sums of
// shares of a grid add up to those of the whole grid.
struct SimulationSums {
    std::vector<std::int64_t> restoring;
    std::vector<std::int64_t> detection;
    std::vector<std::int32_t> misrecognised;
};

// The tables of `errors` from the sums of its grid: the mean restoring error rounded, the
// detection error sum over 128, and the count of misrecognised tuples.
void storeErrorTables(RestErrorHeader& errors, const SimulationSums& sums);

// How a run reports and how it can be stopped.
struct SimulationControl {
    std::uint32_t threads = 1; // worker threads processing the series; 1 processes on the calling thread
    // Series done out of P × L × repeats; called on the calling thread.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
    const std::atomic<bool>* cancel = nullptr; // polled between series
    // Called with each series once it is built and noised, and its place in the grid's
    // order, on the thread that builds it (for inspection in tests and diagnostics).
    std::function<void(std::int64_t index, const SeriesHeader& series)> built;
    // Share K of N (1-based) of the grid's series in their order: only those are built
    // and processed, each from the streams a run of the whole grid would have there. The
    // tables then hold that share's errors alone.
    std::int64_t shareIndex = 1;
    std::int64_t shareCount = 1;
    SimulationSums* sums = nullptr; // when given, receives the sums of a completed run
};

// How far a run got: the series processed out of the grid's P × L × repeats (0 of 0 when
// it stopped before its first series).
struct SimulationReach {
    std::int64_t processed = 0;
    std::int64_t total = 0;
};

// What the run reads besides its arguments, and where it records its times and its reach.
struct SimulationContext {
    RandomStreams& streams;       // placement, cuts and noise continue where they stand
    std::int16_t amplitude;       // wAmplitude
    std::uint16_t proceeding;     // wSubsetProceeding, for the tuple routines
    Clock& clock;
    std::int64_t& startTime;      // dwSimStartTime
    std::int64_t& endTime;        // dwSimEndTime
    SimulationControl control;
    SimulationReach reach{};
};

// Runs the simulation over the grid prepared in `errors`. listCount, list: the etalons in
// use; makeEnergy, procEnergy: the saved energy levels for making and processing;
// series: the record the series are built in, large enough for every grid point; it is
// left holding the last series built and processed. Returns 1 after a complete run, 0
// when it stopped (message shown) or was cancelled (the tables are then unchanged).
std::int32_t statCutoffDavrune(Window& window, RestErrorHeader* errors, std::uint16_t alphabetSize,
                               std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                               const std::uint16_t* list, std::uint16_t seriesType, std::uint16_t processingMode,
                               std::uint16_t makeEnergy, std::uint16_t procEnergy, SeriesHeader* series,
                               SimulationContext& context);

// Σ over the samples of (pure sample − reconstruction)², 32-bit: the reconstruction puts
// the matched part of every detected pulse at its position (later pulses over earlier
// ones, zeros outside the matched part) and zeros elsewhere. A pulse with an etalon
// number outside the series' alphabet reconstructs zeros.
std::int32_t restoringError(Window& window, const SeriesHeader& series);

// 128·H / K rounded, with H the squared distances of the first min(K, found) detected
// starts from the true ones; 64-bit.
std::int64_t detectionError(const SeriesHeader& series, std::int32_t pulses, std::int32_t found);

} // namespace mirokel

// Which routine processes a series: chosen by the processing mode and the series type,
// alike in the processing commands and in the statistical simulation.
#pragma once

#include "engine/chains_header.h"
#include "model/alphabet.h"
#include "model/series_header.h"
#include "platform/window.h"

#include <cstdint>
#include <span>

namespace mirokel {

enum class ProcessingRoutine {
    detectUnknownCount,
    detectKnownCount,
    recognizeUnknownCount,
    recognizeKnownCount,
    detectTuplesUnknownCount,
    detectTuplesKnownCount,
    recognizeTuplesUnknownCount,
    recognizeTuplesKnownCount,
};

// Mode 2 recognises, 36 detects tuples, 40 recognises tuples, every other mode detects;
// series types 4 and 8 (and 40 for the tuple modes) have an unknown pulse count.
ProcessingRoutine routineFor(std::uint16_t processingMode, std::uint16_t seriesType);

const char* routineName(ProcessingRoutine routine);

// Everything any routine may need; each reads its own part.
struct ProcessingInputs {
    std::span<const PulseHeader> alphabet;
    std::uint16_t listCount = 0;             // etalons of the chain searches
    const std::uint16_t* list = nullptr;
    std::int32_t tupleSize = 0;              // the tuple of tuple detection
    const std::int32_t* tuple = nullptr;
    std::int32_t tupleCount = 0;             // the candidates of tuple recognition
    const std::int32_t* tupleSizes = nullptr;
    const std::int32_t* const* tuples = nullptr;
    std::uint16_t proceeding = 1;            // subset proceeding of the tuple routines
    std::uint16_t tmin = 0;
    std::uint16_t tmax = 0;
    std::uint16_t procEnergy = 100;
    std::int32_t* debugRepeat = nullptr;     // the "Debugging repeat" flag, or null for none
};

// Runs the routine and returns its value (recognised etalon or tuple, or 1/0).
std::int32_t runProcessingRoutine(ProcessingRoutine routine, Window& window, const ProcessingInputs& inputs,
                                  ChainsHeader* header, SeriesHeader* series);

} // namespace mirokel

// The one table of processing routines and the call of each.
#include "engine/processing_routine.h"

#include "engine/chain_searches.h"
#include "engine/tuple_searches.h"

namespace mirokel {

ProcessingRoutine routineFor(std::uint16_t processingMode, std::uint16_t seriesType)
{
    const bool unknownCount = seriesType == 4 || seriesType == 8;
    const bool unknownTupleCount = unknownCount || seriesType == 40;
    switch (processingMode) {
    case 2:
        return unknownCount ? ProcessingRoutine::recognizeUnknownCount : ProcessingRoutine::recognizeKnownCount;
    case 36:
        return unknownTupleCount ? ProcessingRoutine::detectTuplesUnknownCount
                                 : ProcessingRoutine::detectTuplesKnownCount;
    case 40:
        return unknownTupleCount ? ProcessingRoutine::recognizeTuplesUnknownCount
                                 : ProcessingRoutine::recognizeTuplesKnownCount;
    default:
        return unknownCount ? ProcessingRoutine::detectUnknownCount : ProcessingRoutine::detectKnownCount;
    }
}

const char* routineName(ProcessingRoutine routine)
{
    switch (routine) {
    case ProcessingRoutine::detectUnknownCount: return "detectUnknownCount";
    case ProcessingRoutine::detectKnownCount: return "detectKnownCount";
    case ProcessingRoutine::recognizeUnknownCount: return "recognizeUnknownCount";
    case ProcessingRoutine::recognizeKnownCount: return "recognizeKnownCount";
    case ProcessingRoutine::detectTuplesUnknownCount: return "detectTuplesUnknownCount";
    case ProcessingRoutine::detectTuplesKnownCount: return "detectTuplesKnownCount";
    case ProcessingRoutine::recognizeTuplesUnknownCount: return "recognizeTuplesUnknownCount";
    case ProcessingRoutine::recognizeTuplesKnownCount: return "recognizeTuplesKnownCount";
    }
    return "";
}

std::int32_t runProcessingRoutine(ProcessingRoutine routine, Window& window, const ProcessingInputs& in,
                                  ChainsHeader* header, SeriesHeader* series)
{
    std::int32_t noDebugging = 0;
    std::int32_t& debugRepeat = in.debugRepeat != nullptr ? *in.debugRepeat : noDebugging;
    switch (routine) {
    case ProcessingRoutine::detectUnknownCount:
        return detectUnknownCount(window, in.alphabet, in.listCount, in.list, in.tmin, in.tmax, in.procEnergy, header,
                                  series);
    case ProcessingRoutine::detectKnownCount:
        return detectKnownCount(window, in.alphabet, in.listCount, in.list, in.tmin, in.tmax, in.procEnergy, header,
                                series);
    case ProcessingRoutine::recognizeUnknownCount:
        return recognizeUnknownCount(window, in.alphabet, in.listCount, in.list, in.tmin, in.tmax, in.procEnergy,
                                     header, series);
    case ProcessingRoutine::recognizeKnownCount:
        return recognizeKnownCount(window, in.alphabet, in.listCount, in.list, in.tmin, in.tmax, in.procEnergy,
                                   header, series);
    case ProcessingRoutine::detectTuplesUnknownCount:
        return detectTuplesUnknownCount(window, in.alphabet, in.tupleSize, in.tuple, in.proceeding, in.tmin, in.tmax,
                                        in.procEnergy, header, series, debugRepeat);
    case ProcessingRoutine::detectTuplesKnownCount:
        return detectTuplesKnownCount(window, in.alphabet, in.tupleSize, in.tuple, in.proceeding, in.tmin, in.tmax,
                                      in.procEnergy, header, series);
    case ProcessingRoutine::recognizeTuplesUnknownCount:
        return recognizeTuplesUnknownCount(window, in.alphabet, in.tupleSizes, in.tuples, in.tupleCount,
                                           in.proceeding, in.tmin, in.tmax, in.procEnergy, header, series,
                                           debugRepeat);
    case ProcessingRoutine::recognizeTuplesKnownCount:
        return recognizeTuplesKnownCount(window, in.alphabet, in.tupleSizes, in.tuples, in.tupleCount, in.proceeding,
                                         in.tmin, in.tmax, in.procEnergy, header, series);
    }
    return 0;
}

} // namespace mirokel

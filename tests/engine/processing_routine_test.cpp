// The routines of the processing table on a series where no chain exists: none of them
// claims a detected pulse.
#include "engine/processing_routine.h"

#include "search_bench.h"

#include <gtest/gtest.h>

#include <array>

namespace mirokel {
namespace {

using test::SearchBench;

// A series of 1200 samples built with intervals of 40 … 181, searched with intervals of
// exactly 1190 samples: no chain at these distances spans the series. The series first
// holds the detection of a search that succeeded, so that stale counts would show.
TEST(ProcessingRoutines, NoChainMeansNoDetectedPulse)
{
    const std::array<std::int32_t, 3> tuple{3, 7, 5};
    const std::array<std::int32_t, 2> sizes{3, 3};
    const std::array<std::int32_t, 3> other{5, 9, 11};
    const std::int32_t* const candidates[] = {tuple.data(), other.data()};
    const std::uint16_t list[] = {3, 5, 7};
    for (const ProcessingRoutine routine :
         {ProcessingRoutine::detectKnownCount, ProcessingRoutine::recognizeKnownCount,
          ProcessingRoutine::detectTuplesKnownCount, ProcessingRoutine::recognizeTuplesKnownCount,
          ProcessingRoutine::detectUnknownCount, ProcessingRoutine::recognizeUnknownCount,
          ProcessingRoutine::detectTuplesUnknownCount, ProcessingRoutine::recognizeTuplesUnknownCount}) {
        SCOPED_TRACE(routineName(routine));
        SearchBench bench;
        bench.build({}, {3, 7, 5});
        ProcessingInputs in;
        in.alphabet = bench.slots;
        in.listCount = 3;
        in.list = list;
        in.tupleSize = 3;
        in.tuple = tuple.data();
        in.tupleCount = 2;
        in.tupleSizes = sizes.data();
        in.tuples = candidates;
        in.tmin = 40;
        in.tmax = 181;
        runProcessingRoutine(routine, bench.window(), in, bench.chains, bench.series);
        ASSERT_GT(bench.series->wDetPulses, 0);

        in.tmin = in.tmax = 1190;
        runProcessingRoutine(routine, bench.window(), in, bench.chains, bench.series);
        EXPECT_EQ(bench.series->wDetPulses, 0);
        EXPECT_EQ(bench.series->wDetTuples, 0);
    }
}

} // namespace
} // namespace mirokel

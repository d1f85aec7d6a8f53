// The statistical simulation driver and its error measures.
#include "engine/simulation.h"

#include "engine/chains_header.h"
#include "engine/processing_routine.h"
#include "model/series_builder.h"
#include "model/wrapping.h"
#include "platform/allocation.h"

#include <algorithm>
#include <chrono>
#include <array>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace mirokel {

namespace {

constexpr const char* chainsCaption = " About ChainsHeader ";
constexpr const char* subsetCaption = " About selectedSubset ";
constexpr const char* driverCaption = " About statCutoffDavrune ";

// ---- Error measures ----------------------------------------------------------------------

// The reconstructed sample of detected pulse i at offset j of its window.
std::int32_t reconstructedSample(const SeriesHeader& s, std::int32_t i, std::int32_t j)
{
    const std::int32_t number = s.lpDetEtalonNumbers[i];
    if (number < 1 || number > s.wPulsesListSize || s.lpPulsesList == nullptr) return 0;
    const PulseHeader* etalon = s.lpPulsesList[number - 1];
    if (etalon == nullptr || etalon->lpData == nullptr || j >= etalon->wLength) return 0;
    return j >= s.lpDetFirstSamples[i] && j <= s.lpDetLastSamples[i] ? etalon->lpData[j] : 0;
}

// ---- The run's private storage ----------------------------------------------------------

// The etalon of every pulse of the series built, with the counter that picks it from
// the list in use.
struct EtalonSequence {
    std::uint16_t* counters = nullptr;
    std::uint16_t* etalons = nullptr;
    std::int32_t size = 0;

    ~EtalonSequence() { releaseMemory(counters); }

    bool allocate(std::int32_t pulses)
    {
        counters = allocateArray<std::uint16_t>(2 * static_cast<std::size_t>(pulses));
        if (counters == nullptr) return false;
        etalons = counters + pulses;
        size = pulses;
        return true;
    }

    void reset(const std::uint16_t* list)
    {
        std::fill_n(counters, size, std::uint16_t{1});
        std::fill_n(etalons, size, list[0]);
    }

    void takeEtalons(const std::uint16_t* list)
    {
        for (std::int32_t i = 0; i < size; ++i) etalons[i] = list[counters[i] - 1];
    }

    // All counters one step on, from n back to 1.
    void advanceAll(std::int32_t n)
    {
        for (std::int32_t i = 0; i < size; ++i) counters[i] = static_cast<std::uint16_t>(counters[i] % n + 1);
    }

    // The counters as an odometer: the first one step on, a counter passing n returns to
    // 1 and carries into the next.
    void advanceOdometer(std::int32_t n)
    {
        for (std::int32_t i = 0; i < size; ++i) {
            if (counters[i] < n) {
                ++counters[i];
                return;
            }
            counters[i] = 1;
        }
    }
};

// The tuples of a tuple series as 32-bit numbers: the detection tuple and, for tuple
// recognition, every candidate in rows of the longest candidate's length.
struct SimulationTuples {
    std::int32_t* values = nullptr;     // the detection tuple, then the candidate rows
    std::int32_t** rows = nullptr;      // candidate rows, followed by the candidates' sizes
    std::int32_t* sizes = nullptr;
    std::int32_t detectionSize = 0;
    std::int32_t count = 0;

    ~SimulationTuples()
    {
        releaseMemory(values);
        releaseMemory(static_cast<void*>(rows));
    }

    // Copies the tuples out of the series; false after a message.
    bool prepare(Window& window, const SeriesHeader& s, bool candidates)
    {
        detectionSize = s.wSelectedSubsetSize;
        if (detectionSize == 0 || (candidates && s.wSubsetsCount == 0)) {
            showMessage(window, "Error: selected Subset is absence!", subsetCaption);
            return false;
        }
        std::int32_t rowLength = 0;
        if (candidates) {
            count = s.wSubsetsCount;
            for (std::int32_t t = 0; t < count; ++t) rowLength = std::max<std::int32_t>(rowLength, s.selectedSubsetSize[t]);
            rows = allocateArray<std::int32_t*>(2 * static_cast<std::size_t>(count));
            if (rows == nullptr) {
                showMessage(window, "Ошибка selectedSubsetList!", subsetCaption);
                return false;
            }
        }
        values = allocateArray<std::int32_t>(static_cast<std::size_t>(detectionSize) +
                                             static_cast<std::size_t>(count) * static_cast<std::size_t>(rowLength));
        if (values == nullptr) {
            showMessage(window, "Ошибка selectedSubset!", subsetCaption);
            return false;
        }
        // Entries beyond the stored ones of a subset longer than the series read as 0.
        for (std::int32_t i = 0; i < detectionSize && i < s.wPulsesCapacity; ++i) values[i] = s.lpSelectedSubset[i];
        sizes = reinterpret_cast<std::int32_t*>(rows + count);
        for (std::int32_t t = 0; t < count; ++t) {
            rows[t] = values + detectionSize + static_cast<std::size_t>(t) * static_cast<std::size_t>(rowLength);
            sizes[t] = s.selectedSubsetSize[t];
            std::copy_n(s.selectedSubsetList[t], sizes[t], rows[t]);
        }
        return true;
    }

    // Makes candidate e (1-based) the series' selected subset.
    void select(SeriesHeader& s, std::int32_t e) const
    {
        const std::int32_t size = sizes[e - 1];
        for (std::int32_t i = 0; i < size && i < s.wPulsesCapacity; ++i)
            s.lpSelectedSubset[i] = static_cast<std::int16_t>(rows[e - 1][i]);
        s.wSelectedSubsetSize = static_cast<std::uint16_t>(size);
    }
};

// One series of the grid: where it lies and what processing it needs besides the series.
struct SeriesJob {
    std::int32_t point = 0;   // pulse-count point j
    std::int32_t level = 0;   // noise level index k
    std::int32_t pulses = 0;  // K
    std::int32_t trueTuple = 0;
    std::int64_t index = 0;   // place in the order of the grid
    std::array<std::uint16_t, alphabetSlots> list{}; // etalons of the chain searches
    std::uint16_t listCount = 0;
};

// The errors summed over the repeats of every grid point: [level][point], integers, so
// that the sums of the workers' shares add up to those of one sequential run.
struct ErrorSums {
    std::int64_t* restoring = nullptr; // then the detection sums in the same block
    std::int64_t* detection = nullptr;
    std::int32_t* misrecognised = nullptr;
    std::size_t points = 0;

    ~ErrorSums()
    {
        releaseMemory(restoring);
        releaseMemory(misrecognised);
    }

    bool allocate(std::int32_t levels, std::int32_t pointCount)
    {
        points = static_cast<std::size_t>(pointCount);
        const std::size_t cells = static_cast<std::size_t>(levels) * points;
        restoring = allocateArray<std::int64_t>(2 * cells);
        misrecognised = allocateArray<std::int32_t>(cells);
        detection = restoring != nullptr ? restoring + cells : nullptr;
        return restoring != nullptr && misrecognised != nullptr;
    }

    std::size_t cell(const SeriesJob& job) const
    {
        return static_cast<std::size_t>(job.level) * points + static_cast<std::size_t>(job.point);
    }
};

// A worker's part of the grid: the series begin … end − 1 in the order of the grid, built
// in its own record with its own streams and etalon sequence, and processed with its own
// chains record.
struct Worker {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    RandomStreams streams;
    SeriesHeader* series = nullptr;
    ChainsHeader* chains = nullptr;
    EtalonSequence sequence;
    ErrorSums sums;
    std::thread thread;
};

constexpr std::size_t maxWorkers = 64;

// ---- The run ------------------------------------------------------------------------------

class SimulationRun {
public:
    SimulationRun(Window& window, RestErrorHeader& errors, std::uint16_t alphabetSize,
                  std::span<const PulseHeader> alphabet, std::uint16_t listCount, const std::uint16_t* list,
                  std::uint16_t seriesType, std::uint16_t processingMode, std::uint16_t makeEnergy,
                  std::uint16_t procEnergy, SeriesHeader& series, SimulationContext& context)
        : window(window), errors(errors), alphabetSize(alphabetSize), alphabet(alphabet), listCount(listCount),
          list(list), seriesType(seriesType), mode(processingMode), makeEnergy(makeEnergy), procEnergy(procEnergy),
          s(series), context(context), routine(routineFor(processingMode, seriesType))
    {
    }

    ~SimulationRun()
    {
        stopping.store(true);
        for (std::size_t w = 0; w < workerCount; ++w) {
            if (workers[w].thread.joinable()) workers[w].thread.join();
            freeChainsHeader(window, workers[w].chains);
            freeSeriesHeader(workers[w].series);
        }
    }

    std::int32_t run();

private:
    bool checkInputs();
    bool prepare();
    bool prepareWorkers();
    template <class Visit>
    bool forEachSeries(SeriesHeader& series, EtalonSequence& sequence, Visit visit) const;
    void startPoint(SeriesHeader& series, EtalonSequence& sequence, std::int32_t pulses, std::int32_t& period,
                    std::int32_t& trueTuple) const;
    void stepSequence(SeriesHeader& series, EtalonSequence& sequence, std::int32_t repeat, std::int32_t pulses,
                      std::int32_t period, std::int64_t& nextChange, std::int32_t& trueTuple) const;
    void work(Worker& worker);
    void workGuarded(Worker& worker);
    bool buildSeries(Worker& worker, const SeriesJob& job);
    void takeList(SeriesJob& job, const EtalonSequence& sequence) const;
    void process(Worker& worker, const SeriesJob& job);
    bool runWorkers();
    bool stopped() const;
    void reportProgress(bool final);
    void storeTables();

    Window& window;
    RestErrorHeader& errors;
    std::uint16_t alphabetSize;
    std::span<const PulseHeader> alphabet;
    std::uint16_t listCount;
    const std::uint16_t* list;
    std::uint16_t seriesType;
    std::uint16_t mode;
    std::uint16_t makeEnergy;
    std::uint16_t procEnergy;
    SeriesHeader& s;
    SimulationContext& context;
    ProcessingRoutine routine;

    SimulationTuples tuples;
    std::uint16_t repeats = 0;
    std::int64_t total = 0;     // series of the grid
    std::int64_t shareSize = 0; // series of the share this run computes
    std::int64_t lastReported = -1;

    std::array<Worker, maxWorkers> workers;
    std::size_t workerCount = 0;
    std::atomic<std::int64_t> processed{0};
    std::atomic<std::int32_t> finished{0}; // workers done with their share
    std::atomic<bool> stopping{false};     // a worker failed: the others stop too
    std::atomic<bool> failed{false};
    std::atomic<bool> exhausted{false};    // a worker ran out of memory outside the records
};

bool SimulationRun::checkInputs()
{
    if (listCount == 0 || list == nullptr) {
        showMessage(window, "The list of etalons in use is empty.", "statCutoffDavrune", MessageIcon::exclamation);
        return false;
    }
    // Every grid point must fit the record as it is, so that no build reallocates it.
    const std::uint16_t length = alphabet[list[0] - 1u].wLength;
    const PulseCountBounds bounds =
        seriesPulseCountBounds(static_cast<std::uint32_t>(s.dwSeriesSize), length, s.wTmin, s.wTmax);
    const bool fits = s.lpPureData != nullptr && bounds.maxPulses <= s.wPulsesCapacity &&
                      static_cast<std::uint32_t>(s.dwSeriesSize) <= s.dwMaxSeriesSize &&
                      alphabetSize <= s.wPulsesListCapacity;
    if (fits) return true;
    showMessage(window, "The series record is too small for the simulated series.", "statCutoffDavrune",
                MessageIcon::exclamation);
    return false;
}

bool SimulationRun::prepare()
{
    repeats = static_cast<std::uint16_t>(errors.repeats);
    total = std::int64_t{errors.wVariousPulses} * errors.wNoiseLevels * repeats;
    if (!prepareWorkers()) return false;
    addInitRestErrHeader(window, seriesType, mode, makeEnergy, procEnergy, &errors);
    // The tuple modes need their tuples whatever the series type: a series-type command
    // leaves the processing mode as it was, so mode 40 may meet a plain series.
    const bool tupleMode = mode == 36 || mode == 40;
    return !tupleMode || tuples.prepare(window, s, mode == 40);
}

// Each worker gets its chains record, its copy of the series record, its etalon sequence
// and its sums, all before the run; there are no more workers than series.
bool SimulationRun::prepareWorkers()
{
    const std::int64_t shares = std::max<std::int64_t>(1, context.control.shareCount);
    const std::int64_t index = std::clamp<std::int64_t>(context.control.shareIndex, 1, shares);
    const std::int64_t shareBegin = total * (index - 1) / shares;
    const std::int64_t share = total * index / shares - shareBegin;
    const std::int64_t wanted = std::clamp<std::int64_t>(context.control.threads, 1, maxWorkers);
    workerCount = static_cast<std::size_t>(std::max<std::int64_t>(1, std::min(wanted, share)));
    shareSize = share;
    for (std::size_t w = 0; w < workerCount; ++w) {
        Worker& worker = workers[w];
        worker.chains = getChainsHeader(window, 10, s.wMaxPulses, nullptr);
        if (worker.chains == nullptr) {
            showMessage(window, "Error getChainsHeader!", chainsCaption);
            return false;
        }
        addToChainsHeader(window, seriesType, mode, makeEnergy, procEnergy, worker.chains);
        worker.series = copySeriesHeader(window, s, nullptr);
        if (worker.series == nullptr) return false;
        if (!worker.sequence.allocate(s.wMaxPulses)) {
            showMessage(window, "Ошибка lpEtalonNumbersList!", driverCaption);
            return false;
        }
        if (!worker.sums.allocate(errors.wNoiseLevels, errors.wVariousPulses)) {
            showMessage(window, "Нет памяти для ErrorSums!", driverCaption);
            return false;
        }
        worker.begin = shareBegin + share * static_cast<std::int64_t>(w) / static_cast<std::int64_t>(workerCount);
        worker.end = shareBegin + share * static_cast<std::int64_t>(w + 1) / static_cast<std::int64_t>(workerCount);
        worker.streams = context.streams;
    }
    return true;
}

std::int32_t SimulationRun::run()
{
    context.reach = {};
    if (!checkInputs() || !prepare()) return 0;
    const std::uint16_t selectedAtEntry = s.wSelectedSubsetSize;
    context.startTime = context.endTime = context.clock.secondsNow();
    context.reach.total = shareSize;
    const bool complete = runWorkers();
    context.reach.processed = processed.load();
    s.wSelectedSubsetSize = selectedAtEntry;
    if (!complete) return 0;
    // The record and the streams are left as the last series of the grid left them.
    const Worker& last = workers[workerCount - 1];
    if (shareSize > 0) copySeriesHeader(window, *last.series, &s); // same capacities: nothing is allocated
    s.wSelectedSubsetSize = selectedAtEntry;
    context.streams = last.streams;
    context.endTime = context.clock.secondsNow();
    reportProgress(true);
    try {
        storeTables();
    } catch (const std::bad_alloc&) {
        showMessage(window, "Нет памяти для statCutoffDavrune!", driverCaption);
        return 0;
    }
    errors.ifComplete = 1;
    return 1;
}

// Visits every series of the grid in order, with the etalon sequence and the tuple of
// `series` stepped as the repeats go; stops when `visit` returns false.
template <class Visit>
bool SimulationRun::forEachSeries(SeriesHeader& series, EtalonSequence& steps, Visit visit) const
{
    std::int64_t index = 0;
    for (std::int32_t j = 0; j < errors.wVariousPulses; ++j) {
        const std::int32_t pulses = errors.wPulseValues[j];
        for (std::int32_t k = 0; k < errors.wNoiseLevels; ++k) {
            std::int32_t period = 0;
            std::int32_t trueTuple = 1;
            startPoint(series, steps, pulses, period, trueTuple);
            std::int64_t nextChange = period;
            for (std::int32_t r = 0; r < repeats; ++r, ++index) {
                stepSequence(series, steps, r, pulses, period, nextChange, trueTuple);
                if (!visit(SeriesJob{j, k, pulses, trueTuple, index, {}, 0})) return false;
            }
        }
    }
    return true;
}

// The change period and the subset of the series at the start of a grid point.
void SimulationRun::startPoint(SeriesHeader& series, EtalonSequence& steps, std::int32_t pulses,
                               std::int32_t& period, std::int32_t& trueTuple) const
{
    const std::int32_t u = repeats;
    switch (mode) {
    case 1: series.wSelectedSubsetSize = 0; break;
    case 2:
        period = (listCount + 2 * u) / (2 * listCount);
        series.wSelectedSubsetSize = 0;
        break;
    case 36: period = u; break;
    case 40:
        trueTuple = 1;
        period = (tuples.count + 2 * u) / (2 * tuples.count);
        tuples.select(series, 1);
        break;
    default: period = wrapMul(u, pulses) >> (pulses % 32); break;
    }
    steps.reset(list);
}

// Recognition steps every pulse through the list every period; joint detection turns the
// counters as an odometer; tuple recognition steps through the candidates.
void SimulationRun::stepSequence(SeriesHeader& series, EtalonSequence& steps, std::int32_t repeat,
                                 std::int32_t pulses, std::int32_t period, std::int64_t& nextChange,
                                 std::int32_t& trueTuple) const
{
    if (mode == 2 && repeat >= nextChange) {
        steps.advanceAll(listCount);
        steps.takeEtalons(list);
        nextChange += period;
    } else if (mode == 4 && std::int64_t{repeat} * pulses >= nextChange) {
        nextChange += period;
        steps.advanceOdometer(listCount);
        steps.takeEtalons(list);
    } else if (mode == 40 && repeat >= nextChange) {
        trueTuple = trueTuple % tuples.count + 1;
        tuples.select(series, trueTuple);
        nextChange += period;
    }
}

// Known-count detection gets the list in use; the other chain searches the first n
// etalons of the sequence the series was built from, as the build left it (its subset
// placed), never past its end.
void SimulationRun::takeList(SeriesJob& job, const EtalonSequence& steps) const
{
    const bool fromSequence = routine == ProcessingRoutine::detectUnknownCount ||
                              routine == ProcessingRoutine::recognizeUnknownCount ||
                              routine == ProcessingRoutine::recognizeKnownCount;
    job.listCount = static_cast<std::uint16_t>(
        std::min<std::int32_t>(listCount, fromSequence ? steps.size : std::int32_t{listCount}));
    std::copy_n(fromSequence ? steps.etalons : list, job.listCount, job.list.begin());
}

bool SimulationRun::stopped() const
{
    return stopping.load() || (context.control.cancel != nullptr && context.control.cancel->load());
}

// Builds and processes the worker's share. The series before it are walked through
// without being built, their draws and subset placements counted, so that the share
// starts from the streams and the sequence a sequential run would have. A series the
// builder refuses (its message is shown) stops every worker.
void SimulationRun::work(Worker& worker)
{
    const bool alone = workerCount == 1;
    const std::uint64_t noiseDraws = 12 * static_cast<std::uint64_t>(s.dwSeriesSize);
    const std::span<std::uint16_t> etalons(worker.sequence.etalons, static_cast<std::size_t>(worker.sequence.size));
    forEachSeries(*worker.series, worker.sequence, [&](SeriesJob job) {
        if (job.index < worker.begin) {
            skipSeriesBuild(*worker.series, alphabetSize, static_cast<std::uint16_t>(job.pulses), etalons,
                            worker.streams);
            worker.streams.wNoiseSeed = advance15(worker.streams.wNoiseSeed, noiseDraws);
            return true;
        }
        if (job.index >= worker.end || stopped()) return false;
        if (!buildSeries(worker, job)) {
            failed.store(true);
            stopping.store(true);
            return false;
        }
        takeList(job, worker.sequence);
        process(worker, job);
        if (alone) reportProgress(false);
        return true;
    });
}

// A worker whose messages or searches run out of memory stops the run; nothing escapes
// its thread.
void SimulationRun::workGuarded(Worker& worker)
{
    try {
        work(worker);
    } catch (const std::exception&) {
        exhausted.store(true);
        failed.store(true);
        stopping.store(true);
    }
}

// Builds and noises the job's series in the worker's record. A series the builder refuses
// (its message is shown) stops the run.
bool SimulationRun::buildSeries(Worker& worker, const SeriesJob& job)
{
    SeriesHeader& series = *worker.series;
    const std::span<std::uint16_t> etalons(worker.sequence.etalons, static_cast<std::size_t>(worker.sequence.size));
    const std::uint16_t length = alphabet[list[0] - 1u].wLength;
    getCutOffSeriesHeader(window, alphabetSize, length, series.wTmin, series.wTmax,
                          static_cast<std::uint32_t>(series.dwSeriesSize), &series);
    if (makeExtSeries(window, alphabetSize, alphabet, length, series.wTmin, series.wTmax, series.dwSeriesSize,
                      static_cast<std::uint16_t>(job.pulses), etalons, context.amplitude, makeEnergy, series,
                      worker.streams) == 0)
        return false;
    addNoise(window, static_cast<std::int16_t>(errors.lpNoiseLevels[job.level]), context.amplitude, &series,
             worker.streams.wNoiseSeed);
    if (context.control.built) context.control.built(job.index, series);
    return true;
}

void SimulationRun::process(Worker& worker, const SeriesJob& job)
{
    SeriesHeader& series = *worker.series;
    ProcessingInputs inputs;
    inputs.alphabet = alphabet;
    inputs.listCount = job.listCount;
    inputs.list = job.list.data();
    inputs.tupleSize = tuples.detectionSize;
    inputs.tuple = tuples.values;
    inputs.tupleCount = tuples.count;
    inputs.tupleSizes = tuples.sizes;
    inputs.tuples = tuples.rows;
    inputs.proceeding = context.proceeding;
    inputs.tmin = series.wTmin;
    inputs.tmax = series.wTmax;
    inputs.procEnergy = procEnergy;
    const std::int32_t result = runProcessingRoutine(routine, window, inputs, worker.chains, &series);
    const std::size_t cell = worker.sums.cell(job);
    worker.sums.restoring[cell] += restoringError(window, series);
    worker.sums.detection[cell] += detectionError(series, job.pulses, worker.chains->wSeekingPulsesQuantity);
    worker.sums.misrecognised[cell] += mode == 40 && result != job.trueTuple ? 1 : 0;
    processed.fetch_add(1);
}

// One worker runs on the calling thread; several run on threads of their own while the
// calling thread reports progress every 100 ms (a message box a worker asks the window
// for is shown meanwhile). A thread that cannot be started stops the run. True when every
// series was processed.
bool SimulationRun::runWorkers()
{
    bool started = true;
    if (workerCount == 1) {
        workGuarded(workers[0]);
    } else {
        for (std::size_t w = 0; w < workerCount && started; ++w) {
            try {
                workers[w].thread = std::thread([this, &worker = workers[w]] {
                    workGuarded(worker);
                    finished.fetch_add(1);
                });
            } catch (const std::system_error&) {
                started = false;
                stopping.store(true);
                finished.fetch_add(static_cast<std::int32_t>(workerCount - w));
            }
        }
        while (finished.load() < static_cast<std::int32_t>(workerCount)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (context.control.progress) context.control.progress(processed.load(), shareSize);
        }
        for (std::size_t w = 0; w < workerCount; ++w)
            if (workers[w].thread.joinable()) workers[w].thread.join();
    }
    if (!started) showMessage(window, "The simulation's worker threads could not be started.", driverCaption);
    if (exhausted.load()) showMessage(window, "Нет памяти для statCutoffDavrune!", driverCaption);
    return started && !failed.load() && !stopped() && processed.load() == shareSize;
}

// Reports about every thousandth of the run, and once at its end.
void SimulationRun::reportProgress(bool final)
{
    if (!context.control.progress) return;
    const std::int64_t now = final ? shareSize : processed.load();
    const std::int64_t step = std::max<std::int64_t>(1, shareSize / 1000);
    if (!final && now - lastReported < step) return;
    lastReported = now;
    context.control.progress(now, shareSize);
}

// The workers' sums added up, into the tables and the caller's sums.
void SimulationRun::storeTables()
{
    const std::size_t cells = static_cast<std::size_t>(errors.wNoiseLevels) * static_cast<std::size_t>(errors.wVariousPulses);
    SimulationSums local;
    SimulationSums& sums = context.control.sums != nullptr ? *context.control.sums : local;
    sums.restoring.assign(cells, 0);
    sums.detection.assign(cells, 0);
    sums.misrecognised.assign(cells, 0);
    for (std::size_t cell = 0; cell < cells; ++cell) {
        for (std::size_t w = 0; w < workerCount; ++w) {
            sums.restoring[cell] += workers[w].sums.restoring[cell];
            sums.detection[cell] += workers[w].sums.detection[cell];
            sums.misrecognised[cell] += workers[w].sums.misrecognised[cell];
        }
    }
    storeErrorTables(errors, sums);
}

} // namespace

void storeErrorTables(RestErrorHeader& errors, const SimulationSums& sums)
{
    const std::int64_t u = static_cast<std::uint16_t>(errors.repeats);
    for (std::int32_t k = 0; k < errors.wNoiseLevels; ++k) {
        for (std::int32_t j = 0; j < errors.wVariousPulses; ++j) {
            const std::size_t cell = static_cast<std::size_t>(k) * static_cast<std::size_t>(errors.wVariousPulses) +
                                     static_cast<std::size_t>(j);
            if (cell >= sums.restoring.size() || cell >= sums.detection.size() || cell >= sums.misrecognised.size())
                return;
            errors.lpErrors[k][j] = u == 0 ? 0 : static_cast<std::int32_t>((2 * sums.restoring[cell] + u) / (2 * u));
            errors.lpDetErrors[k][j] = static_cast<std::int32_t>(sums.detection[cell] / 128);
            errors.lpRecErrors[k][j] = sums.misrecognised[cell];
        }
    }
}

std::int32_t restoringError(Window& /*window*/, const SeriesHeader& s)
{
    const std::int32_t size = s.dwSeriesSize;
    const std::int32_t n = s.wImpulseSize;
    const std::int32_t pulses = std::min<std::int32_t>(s.wDetPulses, s.wPulsesCapacity);
    // Every sample counts its pure square; a sample a detected pulse reconstructs counts
    // its difference instead. The sample belongs to the last pulse whose window holds it.
    // With increasing starts (what the searches give) that is the pulse's window up to the
    // next start, since the next window reaches further; otherwise every later window is
    // asked.
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k < size; ++k) sum = wrapAdd(sum, wrapMul(s.lpPureData[k], s.lpPureData[k]));
    bool increasing = true;
    for (std::int32_t i = 1; i < pulses && increasing; ++i) increasing = s.lpDetPositions[i - 1] < s.lpDetPositions[i];
    for (std::int32_t i = 0; i < pulses; ++i) {
        const std::int32_t start = s.lpDetPositions[i];
        const std::int32_t owned =
            increasing && i + 1 < pulses ? std::min<std::int32_t>(n, s.lpDetPositions[i + 1] - start) : n;
        for (std::int32_t j = 0; j < owned; ++j) {
            const std::int32_t k = start + j;
            if (k < 0 || k >= size) continue;
            bool mine = true;
            for (std::int32_t later = i + 1; later < pulses && mine && !increasing; ++later)
                mine = !(s.lpDetPositions[later] <= k && k < s.lpDetPositions[later] + n);
            if (!mine) continue;
            const std::int32_t pure = s.lpPureData[k];
            const std::int32_t difference = pure - reconstructedSample(s, i, j);
            sum = wrapAdd(sum, wrapSub(wrapMul(difference, difference), wrapMul(pure, pure)));
        }
    }
    return sum;
}

std::int64_t detectionError(const SeriesHeader& s, std::int32_t pulses, std::int32_t found)
{
    if (pulses <= 0) return 0;
    const std::int32_t compared = std::min({pulses, found, std::int32_t{s.wPulsesCapacity}});
    std::int64_t h = 0;
    for (std::int32_t m = 0; m < compared; ++m) {
        const std::int64_t d = std::int64_t{s.lpPositions[m]} - s.lpDetPositions[m];
        h += d * d;
    }
    return (pulses + 256 * h) / (2 * std::int64_t{pulses});
}

std::int32_t statCutoffDavrune(Window& window, RestErrorHeader* errors, std::uint16_t alphabetSize,
                               std::span<const PulseHeader> alphabet, std::uint16_t listCount,
                               const std::uint16_t* list, std::uint16_t seriesType, std::uint16_t processingMode,
                               std::uint16_t makeEnergy, std::uint16_t procEnergy, SeriesHeader* series,
                               SimulationContext& context)
{
    if (errors == nullptr) {
        showMessage(window, "Absence of RestoreErrorHeader!", "statCutoffDavrune");
        return 0;
    }
    if (series == nullptr) {
        showMessage(window, "Absence of the series record!", "statCutoffDavrune");
        return 0;
    }
    SimulationRun run(window, *errors, alphabetSize, alphabet, listCount, list, seriesType, processingMode,
                      makeEnergy, procEnergy, *series, context);
    return run.run();
}

} // namespace mirokel

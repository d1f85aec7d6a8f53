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
#include <condition_variable>
#include <deque>
#include <mutex>
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

// What processing one series needs besides the series.
struct SeriesJob {
    std::int32_t point = 0;   // pulse-count point j
    std::int32_t level = 0;   // noise level index k
    std::int32_t pulses = 0;  // K
    std::int32_t trueTuple = 0;
    std::int64_t index = 0;   // place in the order of building
    std::array<std::uint16_t, alphabetSlots> list{}; // etalons of the chain searches
    std::uint16_t listCount = 0;
};

// The errors summed over the repeats of every grid point.
struct ErrorSums {
    std::vector<std::int64_t> restoring;
    std::vector<std::int64_t> detection;
    std::vector<std::int32_t> misrecognised;
    std::int32_t points = 0;
    std::mutex lock;

    void reset(std::int32_t levels, std::int32_t pointCount)
    {
        points = pointCount;
        const auto cells = static_cast<std::size_t>(levels) * static_cast<std::size_t>(pointCount);
        restoring.assign(cells, 0);
        detection.assign(cells, 0);
        misrecognised.assign(cells, 0);
    }

    void add(const SeriesJob& job, std::int32_t g, std::int64_t i, bool wrong)
    {
        const std::lock_guard<std::mutex> guard(lock);
        const auto cell = static_cast<std::size_t>(job.level) * static_cast<std::size_t>(points) +
                          static_cast<std::size_t>(job.point);
        restoring[cell] += g;
        detection[cell] += i;
        misrecognised[cell] += wrong ? 1 : 0;
    }
};

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
        freeChainsHeader(window, chains);
        for (Worker& worker : workers) freeChainsHeader(window, worker.chains);
        for (SeriesHeader* buffer : buffers) freeSeriesHeader(buffer);
    }

    std::int32_t run();

private:
    struct Worker {
        ChainsHeader* chains = nullptr;
        std::thread thread;
    };

    bool checkInputs();
    bool prepare();
    bool prepareWorkers();
    bool buildAll();
    void startPoint(std::int32_t pulses, std::int32_t& period, std::int32_t& trueTuple);
    void stepSequence(std::int32_t repeat, std::int32_t pulses, std::int32_t period, std::int64_t& nextChange,
                      std::int32_t& trueTuple);
    bool buildSeries(std::int32_t pulses, std::int32_t level);
    SeriesJob jobFor(std::int32_t point, std::int32_t level, std::int32_t pulses, std::int32_t trueTuple);
    void process(SeriesHeader& series, ChainsHeader* header, const SeriesJob& job);
    void hand(const SeriesJob& job);
    template <class Ready>
    void waitReporting(std::unique_lock<std::mutex>& guard, Ready ready);
    void work(Worker& worker);
    void finishWorkers();
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

    ChainsHeader* chains = nullptr;
    EtalonSequence sequence;
    SimulationTuples tuples;
    ErrorSums sums;
    std::uint16_t repeats = 0;
    std::int64_t total = 0;
    std::int64_t built = 0;
    std::int64_t lastReported = -1;

    // Worker threads and the series buffers they process.
    std::vector<Worker> workers;
    std::vector<SeriesHeader*> buffers;
    std::vector<std::size_t> freeBuffers;
    std::deque<std::pair<std::size_t, SeriesJob>> ready;
    std::size_t lastBuffer = SIZE_MAX;
    bool closing = false;
    std::atomic<std::int64_t> done{0};      // series handled, processed or skipped after a cancel
    std::atomic<std::int64_t> processed{0}; // series processed
    std::mutex lock;
    std::condition_variable changed;
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
    chains = getChainsHeader(window, 10, s.wMaxPulses, nullptr);
    if (chains == nullptr) {
        showMessage(window, "Error getChainsHeader!", chainsCaption);
        return false;
    }
    addToChainsHeader(window, seriesType, mode, makeEnergy, procEnergy, chains);
    addInitRestErrHeader(window, seriesType, mode, makeEnergy, procEnergy, &errors);
    if (!sequence.allocate(s.wMaxPulses)) {
        showMessage(window, "Ошибка lpEtalonNumbersList!", driverCaption);
        return false;
    }
    // The tuple modes need their tuples whatever the series type: a series-type command
    // leaves the processing mode as it was, so mode 40 may meet a plain series.
    const bool tupleMode = mode == 36 || mode == 40;
    if (tupleMode && !tuples.prepare(window, s, mode == 40)) return false;
    return context.control.threads <= 1 || prepareWorkers();
}

// One chains record per worker and two series buffers per worker, all before the run.
bool SimulationRun::prepareWorkers()
{
    const std::uint32_t count = std::min<std::uint32_t>(context.control.threads, 64);
    workers.resize(count);
    for (Worker& worker : workers) {
        worker.chains = getChainsHeader(window, 10, s.wMaxPulses, nullptr);
        if (worker.chains == nullptr) {
            showMessage(window, "Error getChainsHeader!", chainsCaption);
            return false;
        }
        addToChainsHeader(window, seriesType, mode, makeEnergy, procEnergy, worker.chains);
    }
    for (std::uint32_t b = 0; b < 2 * count; ++b) {
        buffers.push_back(copySeriesHeader(window, s, nullptr));
        if (buffers.back() == nullptr) return false;
        freeBuffers.push_back(b);
    }
    return true;
}

std::int32_t SimulationRun::run()
{
    context.reach = {};
    if (!checkInputs() || !prepare()) return 0;
    const std::uint16_t selectedAtEntry = s.wSelectedSubsetSize;
    context.startTime = context.endTime = context.clock.secondsNow();
    repeats = static_cast<std::uint16_t>(errors.repeats);
    total = std::int64_t{errors.wVariousPulses} * errors.wNoiseLevels * repeats;
    context.reach.total = total;
    sums.reset(errors.wNoiseLevels, errors.wVariousPulses);
    for (Worker& worker : workers) worker.thread = std::thread([this, &worker] { work(worker); });
    const bool complete = buildAll();
    finishWorkers();
    context.reach.processed = processed.load();
    if (complete && lastBuffer != SIZE_MAX) copySeriesHeader(window, *buffers[lastBuffer], &s);
    s.wSelectedSubsetSize = selectedAtEntry;
    if (!complete) return 0;
    context.endTime = context.clock.secondsNow();
    reportProgress(true);
    storeTables();
    errors.ifComplete = 1;
    return 1;
}

// Builds every series of the grid in order, processing each here or handing it to a worker.
bool SimulationRun::buildAll()
{
    for (std::int32_t j = 0; j < errors.wVariousPulses; ++j) {
        const std::int32_t pulses = errors.wPulseValues[j];
        for (std::int32_t k = 0; k < errors.wNoiseLevels; ++k) {
            std::int32_t period = 0;
            std::int32_t trueTuple = 1;
            startPoint(pulses, period, trueTuple);
            std::int64_t nextChange = period;
            for (std::int32_t r = 0; r < repeats; ++r) {
                if (context.control.cancel != nullptr && context.control.cancel->load()) return false;
                stepSequence(r, pulses, period, nextChange, trueTuple);
                if (!buildSeries(pulses, k)) return false;
                const SeriesJob job = jobFor(j, k, pulses, trueTuple);
                if (workers.empty()) {
                    process(s, chains, job);
                    done.fetch_add(1);
                } else {
                    hand(job);
                }
                reportProgress(false);
            }
        }
    }
    return true;
}

// The change period and the subset of the series at the start of a grid point.
void SimulationRun::startPoint(std::int32_t pulses, std::int32_t& period, std::int32_t& trueTuple)
{
    const std::int32_t u = repeats;
    switch (mode) {
    case 1: s.wSelectedSubsetSize = 0; break;
    case 2:
        period = (listCount + 2 * u) / (2 * listCount);
        s.wSelectedSubsetSize = 0;
        break;
    case 36: period = u; break;
    case 40:
        trueTuple = 1;
        period = (tuples.count + 2 * u) / (2 * tuples.count);
        tuples.select(s, 1);
        break;
    default: period = wrapMul(u, pulses) >> (pulses % 32); break;
    }
    sequence.reset(list);
}

// Recognition steps every pulse through the list every period; joint detection turns the
// counters as an odometer; tuple recognition steps through the candidates.
void SimulationRun::stepSequence(std::int32_t repeat, std::int32_t pulses, std::int32_t period,
                                 std::int64_t& nextChange, std::int32_t& trueTuple)
{
    if (mode == 2 && repeat >= nextChange) {
        sequence.advanceAll(listCount);
        sequence.takeEtalons(list);
        nextChange += period;
    } else if (mode == 4 && std::int64_t{repeat} * pulses >= nextChange) {
        nextChange += period;
        sequence.advanceOdometer(listCount);
        sequence.takeEtalons(list);
    } else if (mode == 40 && repeat >= nextChange) {
        trueTuple = trueTuple % tuples.count + 1;
        tuples.select(s, trueTuple);
        nextChange += period;
    }
}

// Builds and noises the next series in the record. A series the builder refuses (its
// message is shown) stops the run.
bool SimulationRun::buildSeries(std::int32_t pulses, std::int32_t level)
{
    const std::span<std::uint16_t> etalons(sequence.etalons, static_cast<std::size_t>(sequence.size));
    const std::uint16_t length = alphabet[list[0] - 1u].wLength;
    getCutOffSeriesHeader(window, alphabetSize, length, s.wTmin, s.wTmax, static_cast<std::uint32_t>(s.dwSeriesSize),
                          &s);
    if (makeExtSeries(window, alphabetSize, alphabet, length, s.wTmin, s.wTmax, s.dwSeriesSize,
                      static_cast<std::uint16_t>(pulses), etalons, context.amplitude, makeEnergy, s,
                      context.streams) == 0)
        return false;
    addNoise(window, static_cast<std::int16_t>(errors.lpNoiseLevels[level]), context.amplitude, &s,
             context.streams.wNoiseSeed);
    return true;
}

SeriesJob SimulationRun::jobFor(std::int32_t point, std::int32_t level, std::int32_t pulses, std::int32_t trueTuple)
{
    SeriesJob job;
    job.point = point;
    job.level = level;
    job.pulses = pulses;
    job.trueTuple = trueTuple;
    job.index = built++;
    // Known-count detection gets the list in use; the other chain searches the first n
    // etalons of the sequence the series was built from (never past its end).
    const bool fromSequence = routine == ProcessingRoutine::detectUnknownCount ||
                              routine == ProcessingRoutine::recognizeUnknownCount ||
                              routine == ProcessingRoutine::recognizeKnownCount;
    job.listCount = static_cast<std::uint16_t>(
        std::min<std::int32_t>(listCount, fromSequence ? sequence.size : std::int32_t{listCount}));
    std::copy_n(fromSequence ? sequence.etalons : list, job.listCount, job.list.begin());
    return job;
}

void SimulationRun::process(SeriesHeader& series, ChainsHeader* header, const SeriesJob& job)
{
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
    const std::int32_t result = runProcessingRoutine(routine, window, inputs, header, &series);
    const std::int32_t g = restoringError(window, series);
    const std::int64_t i = detectionError(series, job.pulses, header->wSeekingPulsesQuantity);
    sums.add(job, g, i, mode == 40 && result != job.trueTuple);
    processed.fetch_add(1);
}

// Copies the built series into a free buffer and queues it for the workers.
// Waits on the calling thread until `ready` holds, reporting progress every 100 ms
// meanwhile: the caller's window stays responsive, and a message box a worker asks the
// window for (it waits for the calling thread) gets shown instead of blocking both.
template <class Ready>
void SimulationRun::waitReporting(std::unique_lock<std::mutex>& guard, Ready ready)
{
    while (!changed.wait_for(guard, std::chrono::milliseconds(100), ready)) {
        if (!context.control.progress) continue;
        guard.unlock();
        context.control.progress(done.load(), total);
        guard.lock();
    }
}

void SimulationRun::hand(const SeriesJob& job)
{
    std::unique_lock<std::mutex> guard(lock);
    waitReporting(guard, [this] { return !freeBuffers.empty(); });
    const std::size_t b = freeBuffers.back();
    freeBuffers.pop_back();
    guard.unlock();
    copySeriesHeader(window, s, buffers[b]); // same capacities: nothing is allocated
    guard.lock();
    ready.emplace_back(b, job);
    changed.notify_all();
}

void SimulationRun::work(Worker& worker)
{
    for (;;) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return closing || !ready.empty(); });
        if (ready.empty()) return;
        const auto [b, job] = ready.front();
        ready.pop_front();
        guard.unlock();
        if (!(context.control.cancel != nullptr && context.control.cancel->load()))
            process(*buffers[b], worker.chains, job);
        guard.lock();
        // The last series stays in its buffer for the record to take over.
        if (job.index == total - 1) {
            lastBuffer = b;
        } else {
            freeBuffers.push_back(b);
        }
        done.fetch_add(1);
        changed.notify_all();
    }
}

void SimulationRun::finishWorkers()
{
    {
        std::unique_lock<std::mutex> guard(lock);
        closing = true;
        changed.notify_all();
        waitReporting(guard, [this] { return done.load() == built; });
    }
    for (Worker& worker : workers)
        if (worker.thread.joinable()) worker.thread.join();
}

// Reports about every thousandth of the run, and once at its end.
void SimulationRun::reportProgress(bool final)
{
    if (!context.control.progress) return;
    const std::int64_t now = final ? total : done.load();
    const std::int64_t step = std::max<std::int64_t>(1, total / 1000);
    if (!final && now - lastReported < step) return;
    lastReported = now;
    context.control.progress(now, total);
}

// The mean restoring error rounded, the detection error sum over 128, and the count of
// misrecognised tuples, 64-bit before they are stored.
void SimulationRun::storeTables()
{
    const std::int64_t u = repeats;
    for (std::int32_t k = 0; k < errors.wNoiseLevels; ++k) {
        for (std::int32_t j = 0; j < errors.wVariousPulses; ++j) {
            const auto cell = static_cast<std::size_t>(k) * static_cast<std::size_t>(sums.points) +
                              static_cast<std::size_t>(j);
            errors.lpErrors[k][j] = u == 0 ? 0 : static_cast<std::int32_t>((2 * sums.restoring[cell] + u) / (2 * u));
            errors.lpDetErrors[k][j] = static_cast<std::int32_t>(sums.detection[cell] / 128);
            errors.lpRecErrors[k][j] = sums.misrecognised[cell];
        }
    }
}

} // namespace

std::int32_t restoringError(Window& /*window*/, const SeriesHeader& s)
{
    const std::int32_t size = s.dwSeriesSize;
    const std::int32_t n = s.wImpulseSize;
    const std::int32_t pulses = std::min<std::int32_t>(s.wDetPulses, s.wPulsesCapacity);
    // Every sample counts its pure square; a sample a detected pulse reconstructs counts
    // its difference instead. The sample belongs to the last pulse whose window holds it.
    std::int32_t sum = 0;
    for (std::int32_t k = 0; k < size; ++k) sum = wrapAdd(sum, wrapMul(s.lpPureData[k], s.lpPureData[k]));
    for (std::int32_t i = 0; i < pulses; ++i) {
        const std::int32_t start = s.lpDetPositions[i];
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t k = start + j;
            if (k < 0 || k >= size) continue;
            bool owned = true;
            for (std::int32_t later = i + 1; later < pulses && owned; ++later)
                owned = !(s.lpDetPositions[later] <= k && k < s.lpDetPositions[later] + n);
            if (!owned) continue;
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

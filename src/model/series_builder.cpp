// Building a series: bounds check, header, forced subset, per-pulse reset, placement of
// an anchor pulse and then of the pulses after and before it, noise.
#include "model/series_builder.h"

#include "model/wrapping.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

// ---- The forced subset -----------------------------------------------------------------

// Writes the selected subset into the pulse sequence as its employment says.
class SubsetPlacement {
public:
    SubsetPlacement(const SeriesHeader& series, std::span<std::uint16_t> sequence, std::int32_t pulses)
        : series(series), sequence(sequence), pulses(pulses), size(series.wSelectedSubsetSize),
          pos(std::int32_t{series.wSubsetInitPosition} - 1)
    {
    }

    void place(RandomStreams& streams)
    {
        // Placement from a 0th pulse would start before the sequence: nothing is placed.
        if (size == 0 || pos < 0) return;
        const std::int32_t room = pulses - pos - size + 1;
        switch (series.wSubsetEmployment) {
        case 1: // single random
            if (room > 0) pos += (next15(streams.wSeedSubsetShift) >> 1) % room;
            copyFrom(0);
            break;
        case 2: // single fixed
            copyFrom(0);
            break;
        case 3: // multiple random
            do {
                if (room > 0) pos += (next15(streams.wSeedSubsetRepeat) >> 1) % room;
                copyFrom(0);
            } while (pos < pulses);
            break;
        case 4: // complete
            while (pos < pulses) copyFrom(0);
            break;
        case 5: // shifted complete
            copyFrom((next15(streams.wSeedSubsetShift) >> 1) % size);
            while (pos < pulses) copyFrom(0);
            break;
        default: break;
        }
    }

private:
    // One copy of entries first … size − 1, stopping when the pulses run out.
    void copyFrom(std::int32_t first)
    {
        for (std::int32_t k = first; k < size && pos < pulses; ++k, ++pos)
            sequence[static_cast<std::size_t>(pos)] = static_cast<std::uint16_t>(entry(k));
    }

    // The subset keeps its full size when it is longer than the stored entries; the
    // missing ones read as 0, which the per-pulse reset turns into etalon 1.
    std::int16_t entry(std::int32_t k) const { return k < series.wPulsesCapacity ? series.lpSelectedSubset[k] : 0; }

    const SeriesHeader& series;
    std::span<std::uint16_t> sequence;
    std::int32_t pulses;
    std::int32_t size;
    std::int32_t pos;
};

// ---- Placement of the pulses -----------------------------------------------------------

// The four bounds on the start of pulse k: lo1 = k·tmin and hi2 = N − L − tmin·(P − k − 1)
// keep every pulse inside the series at least tmin apart; hi1 = N − tmax·(P − k) and
// lo2 = (k + 1)·tmax − L keep the gaps at both ends no longer than tmax.
struct StartBounds {
    std::int32_t lo1, hi1, lo2, hi2;

    std::int32_t minPos() const { return std::max(lo1, hi1); }
    std::int32_t maxPos() const { return std::min(lo2, hi2); }
};

class PulsePlacer {
public:
    PulsePlacer(SeriesHeader& series, std::span<const PulseHeader> alphabet, std::span<const std::uint16_t> sequence,
                std::int32_t impulseSize, std::int32_t energyLevel, std::int32_t* partialEnergy, RandomStreams& streams)
        : series(series), alphabet(alphabet), sequence(sequence), length(impulseSize), energyLevel(energyLevel),
          energy(partialEnergy), streams(streams)
    {
    }

    void placeAll(std::int32_t seriesSize, std::int32_t pulses, std::int32_t tmin, std::int32_t tmax)
    {
        std::int32_t anchor = (next15(streams.wSeedPlacement) >> 2) % pulses;
        anchor = std::clamp(anchor, 0, pulses - 1);
        const StartBounds anchorBounds{anchor * tmin, seriesSize - tmax * (pulses - anchor),
                                       (anchor + 1) * tmax - length, seriesSize - length - tmin * (pulses - anchor - 1)};
        const std::int32_t anchorStart = placeWithin(anchor, anchorBounds, anchorBounds.minPos(), anchorBounds.maxPos());

        StartBounds b = anchorBounds;
        std::int32_t prev = anchorStart;
        for (std::int32_t k = anchor + 1; k < pulses; ++k) {
            b = {b.lo1 + tmin, b.hi1 + tmax, b.lo2 + tmax, b.hi2 + tmin};
            prev = placeWithin(k, b, std::max(prev + tmin, b.minPos()), std::min(prev + tmax, b.maxPos()));
        }
        b = anchorBounds;
        prev = anchorStart;
        for (std::int32_t k = anchor - 1; k >= 0; --k) {
            b = {b.lo1 - tmin, b.hi1 - tmax, b.lo2 - tmax, b.hi2 - tmin};
            prev = placeWithin(k, b, std::max(prev - tmax, b.minPos()), std::min(prev - tmin, b.maxPos()));
        }
    }

private:
    // Records the admissible range of pulse k, draws its start from low … high and places it.
    std::int32_t placeWithin(std::int32_t k, const StartBounds& b, std::int32_t low, std::int32_t high)
    {
        series.lpMinPositions[k] = static_cast<std::int16_t>(b.minPos());
        series.lpMaxPositions[k] = static_cast<std::int16_t>(b.maxPos());
        const std::int32_t start = (next15(streams.wSeedPlacement) >> 2) % (high - low + 1) + low;
        placePulse(k, start);
        return start;
    }

    std::int32_t sampleAt(const PulseHeader& etalon, std::int32_t t) const
    {
        return etalon.lpData != nullptr && t < etalon.wLength ? etalon.lpData[t] : 0;
    }

    // Keeps a fragment first … last of the etalon that holds more than the saved share of
    // its energy (or reaches its end), and copies it into the pure series at start.
    void placePulse(std::int32_t k, std::int32_t start)
    {
        const PulseHeader& etalon = alphabet[sequence[static_cast<std::size_t>(k)] - 1u];
        energy[0] = 0;
        for (std::int32_t j = 0; j < length; ++j) {
            const std::int32_t h = sampleAt(etalon, j);
            energy[j + 1] = wrapAdd(energy[j], wrapMul(h, h));
        }
        const std::int32_t total = energy[length];
        const std::int32_t threshold = wrapMul(energyLevel, total) / 100;

        std::int32_t j1 = length - 1;
        for (std::int32_t j = 0; j < length; ++j) {
            if (wrapSub(total, energy[j + 1]) <= threshold) {
                j1 = j;
                break;
            }
        }
        const std::int32_t first = next15(streams.wSeedCutStart) % (j1 + 1);
        std::int32_t j2 = length - 1;
        while (j2 > first && wrapSub(energy[j2], energy[first]) > threshold) --j2;
        const std::int32_t last = j2 + next15(streams.wSeedCutEnd) % (length - j2);

        for (std::int32_t t = first; t <= last; ++t)
            series.lpPureData[start + t] = static_cast<std::int16_t>(sampleAt(etalon, t));
        series.lpPositions[k] = static_cast<std::int16_t>(start);
        series.lpDetPositions[k] = -1;
        series.lpFirstSamples[k] = static_cast<std::int16_t>(first);
        series.lpLastSamples[k] = static_cast<std::int16_t>(last);
    }

    SeriesHeader& series;
    std::span<const PulseHeader> alphabet;
    std::span<const std::uint16_t> sequence;
    std::int32_t length;
    std::int32_t energyLevel;
    std::int32_t* energy;
    RandomStreams& streams;
};

// ---- Steps of makeExtSeries ------------------------------------------------------------

// The record's values the refusal of a pulse count shows beside the requested ones.
struct RecordedGeometry {
    std::int32_t seriesSize;
    std::uint16_t impulseSize;
    std::uint16_t minPulses;
    std::uint16_t maxPulses;
};

RecordedGeometry recordedGeometry(const SeriesHeader& s)
{
    return {s.dwSeriesSize, s.wImpulseSize, s.wMinPulses, s.wMaxPulses};
}

bool checkPulseCount(Window& window, RecordedGeometry record, std::int32_t seriesSize, std::uint16_t impulseSize,
                     PulseCountBounds bounds, std::uint16_t pulses)
{
    if (pulses >= bounds.minPulses && pulses <= bounds.maxPulses) return true;
    const std::string text = "Несовместимые входные параметры!\n"
                             "\n" +
                             formatText("dwSeriesSize: %d [%d]\n", seriesSize, record.seriesSize) +
                             formatText("wImpulseSize: %d [%d]\n", impulseSize, record.impulseSize) +
                             formatText("wMinPulses: %d [%d]\n", bounds.minPulses, record.minPulses) +
                             formatText("wMaxPulses: %d [%d]\n", bounds.maxPulses, record.maxPulses) +
                             formatText("wImpulseQuantity: %d\n", pulses) + "\n";
    showMessage(window, text, " makeExtSeries ", MessageIcon::exclamation);
    return false;
}

// Inputs that would make the builder read outside the sequence or the alphabet.
std::string buildInputFault(std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet, std::uint16_t pulses,
                            std::span<std::uint16_t> sequence)
{
    if (alphabetSize == 0 || alphabetSize > alphabet.size())
        return formatText("The alphabet has %d etalons; %d were asked for.", static_cast<int>(alphabet.size()),
                          alphabetSize);
    if (sequence.size() < pulses)
        return formatText("The etalon sequence holds %d entries; the series has %d pulses.",
                          static_cast<int>(sequence.size()), pulses);
    return {};
}

void showBuildFault(Window& window, const std::string& fault)
{
    showMessage(window, "The series cannot be built.\n\n" + fault, " makeExtSeries ", MessageIcon::exclamation);
}

// A pulse count outside the bounds or inputs the builder cannot read: refused with a
// message before the record changes.
bool checkBuildRequest(Window& window, RecordedGeometry record, std::uint16_t alphabetSize,
                       std::span<const PulseHeader> alphabet, std::int32_t seriesSize, std::uint16_t impulseSize,
                       PulseCountBounds bounds, std::uint16_t pulses, std::span<std::uint16_t> sequence)
{
    if (!checkPulseCount(window, record, seriesSize, impulseSize, bounds, pulses)) return false;
    const std::string fault = buildInputFault(alphabetSize, alphabet, pulses, sequence);
    if (fault.empty()) return true;
    showBuildFault(window, fault);
    return false;
}

// A record too small for the series: refused before anything is written.
bool checkBuildStorage(Window& window, const SeriesHeader& series, std::uint16_t alphabetSize,
                       std::int32_t seriesSize, std::uint16_t pulses)
{
    if (static_cast<std::uint32_t>(seriesSize) <= series.dwMaxSeriesSize && pulses <= series.wPulsesCapacity &&
        alphabetSize <= series.wPulsesListCapacity)
        return true;
    showBuildFault(window, "The series record is too small for this series.");
    return false;
}

// The subset placed into the sequence, and entries outside 1 … alphabetSize replaced by 1.
void placeSubset(const SeriesHeader& s, std::span<std::uint16_t> sequence, std::uint16_t pulses,
                 std::uint16_t alphabetSize, RandomStreams& streams)
{
    SubsetPlacement(s, sequence, pulses).place(streams);
    for (std::size_t i = 0; i < pulses; ++i) {
        const auto number = static_cast<std::int16_t>(sequence[i]);
        if (number < 1 || number > alphabetSize) sequence[i] = 1;
    }
}

void resetPulses(SeriesHeader& s, std::span<std::uint16_t> sequence, std::uint16_t pulses, std::uint16_t impulseSize)
{
    for (std::size_t i = 0; i < pulses; ++i) {
        s.lpEtalonNumbers[i] = static_cast<std::int16_t>(sequence[i]);
        s.lpDetEtalonNumbers[i] = 0;
        s.lpDetFirstSamples[i] = 0;
        s.lpDetLastSamples[i] = 0;
        s.lpFirstSamples[i] = 0;
        s.lpLastSamples[i] = static_cast<std::int16_t>(impulseSize - 1);
    }
}

} // namespace

std::int32_t makeExtSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                           std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                           std::int32_t seriesSize, std::uint16_t pulses, std::span<std::uint16_t> sequence,
                           std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader& series,
                           RandomStreams& streams)
{
    if (!checkSeriesGeometry(window, impulseSize, tmin, tmax, seriesSize, " makeExtSeries ")) return 0;
    const PulseCountBounds bounds =
        seriesPulseCountBounds(static_cast<std::uint32_t>(seriesSize), impulseSize, tmin, tmax);
    if (!checkBuildRequest(window, recordedGeometry(series), alphabetSize, alphabet, seriesSize, impulseSize, bounds,
                           pulses, sequence))
        return 0;
    if (!checkBuildStorage(window, series, alphabetSize, seriesSize, pulses)) return 0;

    series.dwSeriesSize = seriesSize;
    series.wMaxPulses = bounds.maxPulses;
    series.wMinPulses = bounds.minPulses;
    series.wNoiseLevel = 0;
    series.wAmplitude = amplitude;
    series.wFirstSample = 0;
    series.wLastSample = static_cast<std::int16_t>(impulseSize - 1);

    placeSubset(series, sequence, pulses, alphabetSize, streams);
    resetPulses(series, sequence, pulses, impulseSize);
    series.wPulsesListSize = alphabetSize;
    for (std::uint16_t i = 0; i < alphabetSize; ++i) series.lpPulsesList[i] = &alphabet[i];
    std::fill_n(series.lpPureData, seriesSize, std::int16_t{0});

    auto* partialEnergy = allocateArray<std::int32_t>(std::size_t{impulseSize} + 1);
    if (partialEnergy == nullptr) {
        showMessage(window, "Нет памяти для PartialEnergy!", "");
        return 0;
    }
    PulsePlacer(series, alphabet, sequence, impulseSize, energyLevel, partialEnergy, streams)
        .placeAll(seriesSize, pulses, tmin, tmax);

    series.wTmin = tmin;
    series.wTmax = tmax;
    series.wImpulseSize = impulseSize;
    series.wImpulseQuantity = pulses;
    std::copy_n(series.lpPureData, seriesSize, series.lpNoisyData);
    series.lpFirstEtalon = series.lpPulsesList[sequence[0] - 1u];
    releaseMemory(partialEnergy);
    return 1;
}

SeriesHeader* getCutOffSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                              std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                              std::int32_t seriesSize, std::uint16_t pulses, std::span<std::uint16_t> sequence,
                              std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader* series,
                              RandomStreams& streams, bool* built)
{
    if (built != nullptr) *built = false;
    if (!checkSeriesGeometry(window, impulseSize, tmin, tmax, seriesSize, " getCutOffSeries ")) return series;
    // A request the build would refuse leaves the record exactly as it was, its header too.
    const PulseCountBounds bounds =
        seriesPulseCountBounds(static_cast<std::uint32_t>(seriesSize), impulseSize, tmin, tmax);
    // The refusal shows the record as the header step would have left it: the new length
    // and bounds, the previous pulse length.
    const RecordedGeometry record{seriesSize, series != nullptr ? series->wImpulseSize : std::uint16_t{0},
                                  bounds.minPulses, bounds.maxPulses};
    if (!checkBuildRequest(window, record, alphabetSize, alphabet, seriesSize, impulseSize, bounds, pulses, sequence))
        return series;
    series = getCutOffSeriesHeader(window, alphabetSize, impulseSize, tmin, tmax,
                                   static_cast<std::uint32_t>(seriesSize), series);
    if (series == nullptr) {
        showMessage(window, "Не могу выделить память для lpSeriesHeader!", " getCutOffSeries ",
                    MessageIcon::exclamation);
        return nullptr;
    }
    if (series->wMinPulses == 0) series->wMinPulses = 1;
    const std::int32_t made = makeExtSeries(window, alphabetSize, alphabet, impulseSize, tmin, tmax, seriesSize,
                                            pulses, sequence, amplitude, energyLevel, *series, streams);
    if (built != nullptr) *built = made != 0;
    return series;
}

SeriesHeader* makeUnfixedSeries(Window& window, std::uint16_t alphabetSize, std::span<const PulseHeader> alphabet,
                                std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                                std::int32_t seriesSize, std::uint16_t /*pulses*/, std::span<std::uint16_t> sequence,
                                std::int16_t amplitude, std::uint16_t energyLevel, SeriesHeader* series,
                                RandomStreams& streams, bool* built)
{
    if (built != nullptr) *built = false;
    if (!checkSeriesGeometry(window, impulseSize, tmin, tmax, seriesSize, " makeUnfixedSeries ")) return series;
    const PulseCountBounds bounds =
        seriesPulseCountBounds(static_cast<std::uint32_t>(seriesSize), impulseSize, tmin, tmax);
    if (bounds.maxPulses < bounds.minPulses) {
        freeSeriesHeader(series);
        return nullptr;
    }
    const std::int32_t range = bounds.maxPulses - bounds.minPulses + 1;
    const auto pulses = static_cast<std::uint16_t>((next15(streams.wSeedPulseCount) >> 2) % range + bounds.minPulses);
    return getCutOffSeries(window, alphabetSize, alphabet, impulseSize, tmin, tmax, seriesSize, pulses, sequence,
                           amplitude, energyLevel, series, streams, built);
}

void skipSeriesBuild(const SeriesHeader& series, std::uint16_t alphabetSize, std::uint16_t pulses,
                     std::span<std::uint16_t> sequence, RandomStreams& streams)
{
    if (sequence.size() < pulses) return; // a build would be refused
    placeSubset(series, sequence, pulses, alphabetSize, streams);
    // The anchor and every start; the first and the last kept sample of every pulse.
    streams.wSeedPlacement = advance15(streams.wSeedPlacement, std::uint64_t{pulses} + 1);
    streams.wSeedCutStart = advance15(streams.wSeedCutStart, pulses);
    streams.wSeedCutEnd = advance15(streams.wSeedCutEnd, pulses);
}

void addNoise(Window& /*window*/, std::int16_t noiseLevel, std::int16_t /*amplitude*/, SeriesHeader* series,
              std::uint16_t& stream)
{
    if (series == nullptr) return;
    const GaussTable& table = gaussTable();
    for (std::int32_t i = 0; i < series->dwSeriesSize; ++i)
        series->lpNoisyData[i] =
            static_cast<std::int16_t>(series->lpPureData[i] + gauss(table, stream, 0, noiseLevel));
    series->wNoiseLevel = noiseLevel;
}

} // namespace mirokel

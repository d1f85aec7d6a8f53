// Lifecycle of the series record: get (create or enlarge), free.
#include "model/series_header.h"

#include "platform/allocation.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace mirokel {

namespace {

// Points the per-pulse arrays into a block of 2 × seriesSize + 13 × capacity words.
void layOutSampleBlock(SeriesHeader& s, std::int16_t* block, std::uint32_t seriesSize, std::uint16_t capacity)
{
    std::int16_t* next = block;
    auto take = [&next](std::size_t words) {
        std::int16_t* array = next;
        next += words;
        return array;
    };
    s.lpPureData = take(seriesSize);
    s.lpNoisyData = take(seriesSize);
    for (std::int16_t** array : {&s.lpEtalonNumbers, &s.lpDetEtalonNumbers, &s.lpPositions, &s.lpDetPositions,
                                 &s.lpMinPositions, &s.lpMaxPositions, &s.lpFirstSamples, &s.lpLastSamples,
                                 &s.lpDetFirstSamples, &s.lpDetLastSamples, &s.lpSelectedSubset,
                                 &s.lpTupleFirst, &s.lpTupleLast})
        *array = take(capacity);
    s.dwMaxSeriesSize = seriesSize;
    s.wPulsesCapacity = capacity;
}

// Replaces the sample block by a zeroed one for seriesSize samples and maxP pulses. The
// selected subset is carried over when it fits maxP. False when the allocation fails
// (the record is then untouched).
bool growSampleBlock(SeriesHeader& s, std::uint32_t seriesSize, std::uint16_t maxP)
{
    const std::size_t words = perPulseArrays * std::size_t{maxP} + 2 * std::size_t{seriesSize};
    auto* block = allocateArray<std::int16_t>(words);
    if (block == nullptr) return false;
    const bool keepSubset = s.wSelectedSubsetSize > 0 && s.wSelectedSubsetSize <= maxP;
    // Entries beyond the old capacity were never stored: they stay zero.
    const std::uint16_t kept = keepSubset ? std::min(s.wSelectedSubsetSize, s.wPulsesCapacity) : 0;
    std::int16_t* oldBlock = s.lpPureData;
    const std::int16_t* oldSubset = s.lpSelectedSubset;
    const std::uint16_t employment = s.wSubsetEmployment;
    const std::uint16_t initPosition = s.wSubsetInitPosition;
    layOutSampleBlock(s, block, seriesSize, maxP);
    if (kept > 0) std::memcpy(s.lpSelectedSubset, oldSubset, kept * sizeof(std::int16_t));
    if (keepSubset) {
        s.wSubsetEmployment = employment;
        s.wSubsetInitPosition = initPosition;
    }
    releaseMemory(oldBlock);
    return true;
}

bool growPulsesList(SeriesHeader& s, std::uint16_t alphabetSize)
{
    auto* list = allocateArray<const PulseHeader*>(alphabetSize);
    if (list == nullptr) return false;
    releaseMemory(static_cast<void*>(s.lpPulsesList));
    s.lpPulsesList = list;
    s.wPulsesListCapacity = alphabetSize;
    return true;
}

} // namespace

PulseCountBounds seriesPulseCountBounds(std::uint32_t seriesSize, std::uint16_t impulseSize,
                                        std::uint16_t tmin, std::uint16_t tmax)
{
    const auto minP = static_cast<std::uint16_t>((seriesSize + impulseSize - 1u) / tmax);
    const auto maxP = static_cast<std::uint16_t>((seriesSize - impulseSize + tmin) / tmin);
    return {minP == 0 ? std::uint16_t{1} : minP, maxP};
}

std::string seriesGeometryFault(std::int64_t impulseSize, std::int64_t tmin, std::int64_t tmax,
                                std::int64_t seriesSize)
{
    const auto text = [](const char* format, std::int64_t a, std::int64_t b = 0, std::int64_t c = 0) {
        return formatText(format, static_cast<long long>(a), static_cast<long long>(b), static_cast<long long>(c));
    };
    if (impulseSize < 1) return "The pulse length must be at least 1.";
    if (tmin < 1) return "Tmin must be at least 1.";
    if (tmax < tmin) return text("Tmax (%lld) must not be below Tmin (%lld).", tmax, tmin);
    if (tmax < impulseSize)
        return text("Tmax (%lld) must not be below the pulse length (%lld): the series could not be covered.", tmax,
                    impulseSize);
    if (seriesSize < impulseSize || seriesSize > maxSeriesLength)
        return text("The series length (%lld) must lie between the pulse length (%lld) and %lld.", seriesSize,
                    impulseSize, maxSeriesLength);
    return {};
}

bool checkSeriesGeometry(Window& window, std::uint16_t impulseSize, std::uint16_t tmin, std::uint16_t tmax,
                         std::int32_t seriesSize, const char* caption)
{
    const std::string fault = seriesGeometryFault(impulseSize, tmin, tmax, seriesSize);
    if (fault.empty()) return true;
    showMessage(window, "The series cannot be built with these parameters.\n\n" + fault, caption,
                MessageIcon::exclamation);
    return false;
}

SeriesHeader* getCutOffSeriesHeader(Window& window, std::uint16_t alphabetSize, std::uint16_t impulseSize,
                                    std::uint16_t tmin, std::uint16_t tmax, std::uint32_t seriesSize,
                                    SeriesHeader* series)
{
    const auto signedSize = static_cast<std::int32_t>(std::min<std::uint32_t>(seriesSize, INT32_MAX));
    if (!checkSeriesGeometry(window, impulseSize, tmin, tmax, signedSize, " getCutOffSeriesHeader ")) return series;
    const PulseCountBounds bounds = seriesPulseCountBounds(seriesSize, impulseSize, tmin, tmax);

    if (series == nullptr) {
        series = allocateArray<SeriesHeader>(1);
        if (series == nullptr) {
            showMessage(window, "Нет памяти для newSeriesHeader!", " getCutOffSeriesHeader ");
            return nullptr;
        }
        new (series) SeriesHeader{};
    }
    if (seriesSize > series->dwMaxSeriesSize || bounds.maxPulses > series->wPulsesCapacity) {
        if (!growSampleBlock(*series, seriesSize, bounds.maxPulses)) {
            freeSeriesHeader(series);
            showMessage(window, "Нет памяти для newSeriesHeader->lpPureData!", " getExtSeriesHeader ");
            return nullptr;
        }
    }
    if (alphabetSize > series->wPulsesListCapacity && !growPulsesList(*series, alphabetSize)) {
        freeSeriesHeader(series);
        showMessage(window, "Нет памяти для newSeriesHeader->lpPulsesList!", " getExtSeriesHeader ");
        return nullptr;
    }
    series->wPulsesListSize = alphabetSize;
    series->dwSeriesSize = static_cast<std::int32_t>(seriesSize);
    series->wMaxPulses = bounds.maxPulses;
    series->wMinPulses = bounds.minPulses;
    series->wTmin = tmin;
    series->wTmax = tmax;
    std::fill_n(series->lpPulsesList, series->wPulsesListCapacity, nullptr);
    return series;
}

namespace {

// The arrays a copy carries over, with the entries that hold data in the source.
void copyArrays(const SeriesHeader& from, SeriesHeader& to)
{
    std::copy_n(from.lpPureData, from.dwMaxSeriesSize, to.lpPureData);
    std::copy_n(from.lpNoisyData, from.dwMaxSeriesSize, to.lpNoisyData);
    const std::int16_t* const sources[] = {from.lpEtalonNumbers, from.lpDetEtalonNumbers, from.lpPositions,
                                           from.lpDetPositions, from.lpMinPositions, from.lpMaxPositions,
                                           from.lpFirstSamples, from.lpLastSamples, from.lpDetFirstSamples,
                                           from.lpDetLastSamples, from.lpSelectedSubset, from.lpTupleFirst,
                                           from.lpTupleLast};
    std::int16_t* const targets[] = {to.lpEtalonNumbers, to.lpDetEtalonNumbers, to.lpPositions, to.lpDetPositions,
                                     to.lpMinPositions, to.lpMaxPositions, to.lpFirstSamples, to.lpLastSamples,
                                     to.lpDetFirstSamples, to.lpDetLastSamples, to.lpSelectedSubset,
                                     to.lpTupleFirst, to.lpTupleLast};
    for (std::size_t a = 0; a < perPulseArrays; ++a) std::copy_n(sources[a], from.wPulsesCapacity, targets[a]);
    std::copy_n(from.lpPulsesList, from.wPulsesListCapacity, to.lpPulsesList);
}

// Pattern subsets: the same rows in storage of at least the source's capacities.
bool copyPatterns(const SeriesHeader& from, SeriesHeader& to)
{
    if (from.selectedSubsetSize == nullptr) return true;
    if (to.selectedSubsetSize == nullptr || to.wSubsetsCapacity < from.wSubsetsCapacity ||
        to.wSubsetCapacity < from.wSubsetCapacity) {
        releaseMemory(to.selectedSubsetSize);
        releaseMemory(static_cast<void*>(to.selectedSubsetList));
        to.selectedSubsetList = nullptr;
        to.selectedSubsetSize = allocateArray<std::int16_t>(std::size_t{from.wSubsetsCapacity} *
                                                            (std::size_t{from.wSubsetCapacity} + 1));
        if (to.selectedSubsetSize == nullptr) return false;
        to.selectedSubsetList = allocateArray<std::int16_t*>(from.wSubsetsCapacity);
        if (to.selectedSubsetList == nullptr) return false;
        to.wSubsetsCapacity = from.wSubsetsCapacity;
        to.wSubsetCapacity = from.wSubsetCapacity;
        for (std::size_t i = 0; i < to.wSubsetsCapacity; ++i)
            to.selectedSubsetList[i] = to.selectedSubsetSize + to.wSubsetsCapacity + i * to.wSubsetCapacity;
    }
    for (std::size_t i = 0; i < from.wSubsetsCapacity; ++i) {
        to.selectedSubsetSize[i] = from.selectedSubsetSize[i];
        std::copy_n(from.selectedSubsetList[i], from.wSubsetCapacity, to.selectedSubsetList[i]);
    }
    return true;
}

} // namespace

SeriesHeader* copySeriesHeader(Window& window, const SeriesHeader& source, SeriesHeader* target)
{
    if (target == nullptr) {
        target = allocateArray<SeriesHeader>(1);
        if (target == nullptr) {
            showMessage(window, "Нет памяти для copySeriesHeader!", " copySeriesHeader ");
            return nullptr;
        }
        new (target) SeriesHeader{};
    }
    const bool grown = (source.dwMaxSeriesSize <= target->dwMaxSeriesSize &&
                        source.wPulsesCapacity <= target->wPulsesCapacity) ||
                       growSampleBlock(*target, source.dwMaxSeriesSize, source.wPulsesCapacity);
    const bool listed = source.wPulsesListCapacity <= target->wPulsesListCapacity ||
                        growPulsesList(*target, source.wPulsesListCapacity);
    if (!grown || !listed || !copyPatterns(source, *target)) {
        freeSeriesHeader(target);
        showMessage(window, "Нет памяти для copySeriesHeader!", " copySeriesHeader ");
        return nullptr;
    }
    copyArrays(source, *target);
    // Every scalar field is the source's; the storage and its capacities stay the target's.
    SeriesHeader copy = source;
    for (auto field : {&SeriesHeader::lpPureData, &SeriesHeader::lpNoisyData, &SeriesHeader::lpPositions,
                       &SeriesHeader::lpDetPositions, &SeriesHeader::lpMinPositions, &SeriesHeader::lpMaxPositions,
                       &SeriesHeader::lpEtalonNumbers, &SeriesHeader::lpDetEtalonNumbers,
                       &SeriesHeader::lpFirstSamples, &SeriesHeader::lpLastSamples, &SeriesHeader::lpDetFirstSamples,
                       &SeriesHeader::lpDetLastSamples, &SeriesHeader::lpSelectedSubset, &SeriesHeader::lpTupleFirst,
                       &SeriesHeader::lpTupleLast, &SeriesHeader::selectedSubsetSize})
        copy.*field = target->*field;
    copy.lpPulsesList = target->lpPulsesList;
    copy.selectedSubsetList = target->selectedSubsetList;
    copy.dwMaxSeriesSize = target->dwMaxSeriesSize;
    copy.wPulsesCapacity = target->wPulsesCapacity;
    copy.wPulsesListCapacity = target->wPulsesListCapacity;
    copy.wSubsetsCapacity = target->wSubsetsCapacity;
    copy.wSubsetCapacity = target->wSubsetCapacity;
    *target = copy;
    return target;
}

void freeSeriesHeader(SeriesHeader* series)
{
    if (series == nullptr) return;
    releaseMemory(static_cast<void*>(series->lpPulsesList));
    releaseMemory(series->lpPureData);
    releaseMemory(static_cast<void*>(series->selectedSubsetList));
    releaseMemory(series->selectedSubsetSize);
    series->~SeriesHeader();
    releaseMemory(series);
}

} // namespace mirokel

// JSON and CSV of the records, for mirokel-cli and " Save results as...".
#include "app/result_files.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <sstream>

#ifndef MIROKEL_VERSION
#define MIROKEL_VERSION "unknown"
#endif

namespace mirokel {

namespace {

// The first `count` values, never more than the `capacity` the record holds; an empty
// array for a null pointer. Each value keeps the signedness of its field.
template <class T>
Json arrayOf(const T* values, std::int64_t count, std::int64_t capacity)
{
    Json array = Json::array();
    if (values == nullptr) return array;
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, capacity);
    for (std::int64_t i = 0; i < n; ++i) array.push_back(values[i]);
    return array;
}

Json label(const char* text) { return text == nullptr ? Json(nullptr) : Json(text); }

// A table of the error record: L rows of P values.
Json tableOf(std::int32_t* const* rows, const RestErrorHeader& errors)
{
    Json table = Json::array();
    if (rows == nullptr) return table;
    for (std::int64_t i = 0; i < errors.wNoiseLevels; ++i)
        table.push_back(arrayOf(rows[i], errors.wVariousPulses, errors.wVariousPulses));
    return table;
}

Json patternSubsets(const SeriesHeader& s)
{
    Json subsets = Json::array();
    if (s.selectedSubsetSize == nullptr || s.selectedSubsetList == nullptr) return subsets;
    const std::int64_t count = std::min<std::int64_t>(s.wSubsetsCount, s.wSubsetsCapacity);
    for (std::int64_t i = 0; i < count; ++i)
        subsets.push_back(arrayOf(s.selectedSubsetList[i], s.selectedSubsetSize[i], s.wSubsetCapacity));
    return subsets;
}

Json pretender(const ChainsHeader& c, std::int64_t i)
{
    const std::int32_t size = c.lpChainSizes == nullptr ? 0 : c.lpChainSizes[i];
    auto row = [&c, i](std::int16_t* const* rows) { return rows == nullptr ? nullptr : rows[i]; };
    Json chain;
    chain["distance"] = c.distance == nullptr ? 0 : c.distance[i];
    chain["size"] = size;
    chain["etalons"] = arrayOf(row(c.pulsesList), size, c.wMaxPulses);
    chain["positions"] = arrayOf(row(c.lpChainPositions), size, c.wMaxPulses);
    chain["cutStart"] = arrayOf(row(c.lpChainCutStart), size, c.wMaxPulses);
    chain["cutEnd"] = arrayOf(row(c.lpChainCutEnd), size, c.wMaxPulses);
    return chain;
}

} // namespace

Json stateJson(const AppState& s)
{
    Json state;
    state["taskType"] = s.wTaskType;
    state["seriesType"] = s.wSeriesType;
    state["processingMode"] = s.wProcessingMode;
    state["viewMode"] = s.dwViewMode;
    state["resultKind"] = s.wResultKind;
    state["impulseQuantity"] = s.wImpulseQuantity;
    state["seriesLength"] = s.dwSeriesLength;
    state["noiseLevel"] = s.wNoiseLevel;
    state["lostDataLevel"] = s.wLostDataLevel;
    state["makeEnergyLevel"] = s.wMakeEnergyLevel;
    state["procEnergyLevel"] = s.wProcEnergyLevel;
    state["requiredList"] = arrayOf(s.lpRequiredList, s.wRequiredCount, s.wRequiredCapacity);
    return state;
}

Json seriesJson(const SeriesHeader* series)
{
    if (series == nullptr) return nullptr;
    const SeriesHeader& s = *series;
    const std::int64_t pulsesCapacity = s.wPulsesCapacity;
    const std::int64_t samplesCapacity = s.dwMaxSeriesSize;
    Json j;
    j["seriesSize"] = s.dwSeriesSize;
    j["tmin"] = s.wTmin;
    j["tmax"] = s.wTmax;
    j["impulseSize"] = s.wImpulseSize;
    j["impulseQuantity"] = s.wImpulseQuantity;
    j["minPulses"] = s.wMinPulses;
    j["maxPulses"] = s.wMaxPulses;
    j["noiseLevel"] = s.wNoiseLevel;
    j["amplitude"] = s.wAmplitude;
    const std::int64_t p = s.wImpulseQuantity;
    j["positions"] = arrayOf(s.lpPositions, p, pulsesCapacity);
    j["etalonNumbers"] = arrayOf(s.lpEtalonNumbers, p, pulsesCapacity);
    j["firstSamples"] = arrayOf(s.lpFirstSamples, p, pulsesCapacity);
    j["lastSamples"] = arrayOf(s.lpLastSamples, p, pulsesCapacity);
    j["minPositions"] = arrayOf(s.lpMinPositions, p, pulsesCapacity);
    j["maxPositions"] = arrayOf(s.lpMaxPositions, p, pulsesCapacity);
    j["pureData"] = arrayOf(s.lpPureData, s.dwSeriesSize, samplesCapacity);
    j["noisyData"] = arrayOf(s.lpNoisyData, s.dwSeriesSize, samplesCapacity);
    const std::int64_t d = s.wDetPulses;
    j["detPulses"] = s.wDetPulses;
    j["detPositions"] = arrayOf(s.lpDetPositions, d, pulsesCapacity);
    j["detEtalonNumbers"] = arrayOf(s.lpDetEtalonNumbers, d, pulsesCapacity);
    j["detFirstSamples"] = arrayOf(s.lpDetFirstSamples, d, pulsesCapacity);
    j["detLastSamples"] = arrayOf(s.lpDetLastSamples, d, pulsesCapacity);
    j["detTuples"] = s.wDetTuples;
    j["tupleFirst"] = arrayOf(s.lpTupleFirst, s.wDetTuples, pulsesCapacity);
    j["tupleLast"] = arrayOf(s.lpTupleLast, s.wDetTuples, pulsesCapacity);
    j["detSubset"] = s.wDetSubset;
    j["selectedSubsetSize"] = s.wSelectedSubsetSize;
    j["selectedSubset"] = arrayOf(s.lpSelectedSubset, std::min(s.wSelectedSubsetSize, s.wMaxPulses), pulsesCapacity);
    j["subsetEmployment"] = s.wSubsetEmployment;
    j["subsetsCount"] = s.wSubsetsCount;
    j["subsets"] = patternSubsets(s);
    return j;
}

Json chainsJson(const ChainsHeader* chains)
{
    if (chains == nullptr) return nullptr;
    const ChainsHeader& c = *chains;
    Json j;
    j["maxSize"] = c.wMaxSize;
    j["maxPulses"] = c.wMaxPulses;
    j["pretenders"] = c.wPretenders;
    j["quanPulses"] = c.wQuanPulses;
    j["seekingPulsesQuantity"] = c.wSeekingPulsesQuantity;
    j["processed"] = c.wProcessed;
    j["seriesType"] = c.wSeriesType;
    j["processingMode"] = c.wProcessingMode;
    j["taskName"] = label(c.lpTaskName);
    j["seriesName"] = label(c.lpSeriesName);
    j["makeEnergy"] = c.wMakeEnergy;
    j["procEnergy"] = c.wProcEnergy;
    Json ranked = Json::array();
    const std::int64_t pretenders = std::min(c.wPretenders, c.wMaxSize);
    for (std::int64_t i = 0; i < pretenders; ++i) ranked.push_back(pretender(c, i));
    j["chains"] = std::move(ranked);
    return j;
}

Json runLineJson(const char* command, std::int64_t index, const AppState& state)
{
    Json line;
    line["command"] = command;
    line["index"] = index;
    line["state"] = stateJson(state);
    line["series"] = seriesJson(state.lpSeriesHeader);
    line["chains"] = chainsJson(state.lpChainsHeader);
    return line;
}

Json simulationJson(const AppState& state, const RestErrorHeader& e, double elapsedSeconds)
{
    constexpr double millisecondsPerSecond = 1000.0;
    Json j;
    j["state"] = stateJson(state);
    j["pulseValues"] = arrayOf(e.wPulseValues, e.wVariousPulses, e.wReservedPulses);
    j["noiseLevels"] = arrayOf(e.lpNoiseLevels, e.wNoiseLevels, e.wReservedLevels);
    j["errors"] = tableOf(e.lpErrors, e);
    j["detErrors"] = tableOf(e.lpDetErrors, e);
    j["recErrors"] = tableOf(e.lpRecErrors, e);
    j["repeats"] = e.repeats;
    j["seriesType"] = e.wSeriesType;
    j["processingMode"] = e.wProcessingMode;
    j["taskName"] = label(e.lpTaskName);
    j["seriesName"] = label(e.lpSeriesName);
    j["elapsedSeconds"] = std::round(elapsedSeconds * millisecondsPerSecond) / millisecondsPerSecond;
    return j;
}

void writeSimulationCsv(std::ostream& out, const RestErrorHeader& e)
{
    out << "noise_level,pulses,restoring_error,detection_error,recognition_errors\n";
    if (e.lpNoiseLevels == nullptr || e.wPulseValues == nullptr || e.lpErrors == nullptr || e.lpDetErrors == nullptr ||
        e.lpRecErrors == nullptr)
        return;
    for (std::int64_t i = 0; i < e.wNoiseLevels; ++i) {
        for (std::int64_t k = 0; k < e.wVariousPulses; ++k) {
            out << e.lpNoiseLevels[i] << ',' << e.wPulseValues[k] << ',' << e.lpErrors[i][k] << ','
                << e.lpDetErrors[i][k] << ',' << e.lpRecErrors[i][k] << '\n';
        }
    }
}

std::string simulationCsvComments(const AppState& s, const RestErrorHeader& e)
{
    auto localTime = [](std::int64_t seconds) {
        const auto time = static_cast<std::time_t>(seconds);
        std::tm local{};
        char text[32] = "";
        if (localtime_r(&time, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return std::string(text);
    };
    std::ostringstream out;
    out << "# mirokel " << MIROKEL_VERSION << '\n';
    out << "# settings: series type " << e.wSeriesType << ", processing mode " << e.wProcessingMode << ", task "
        << (e.lpTaskName ? e.lpTaskName : "-") << ", series " << (e.lpSeriesName ? e.lpSeriesName : "-")
        << ", series length " << s.dwSeriesLength << ", Tmin " << s.wTmin << ", Tmax " << s.wTmax
        << ", make energy " << e.wMakeEnergy << ", proc energy " << e.wProcEnergy << ", etalons in use "
        << jsonText(arrayOf(s.lpRequiredList, s.wRequiredCount, s.wRequiredCapacity)) << '\n';
    out << "# grid: pulses " << jsonText(arrayOf(e.wPulseValues, e.wVariousPulses, e.wReservedPulses))
        << ", noise levels " << jsonText(arrayOf(e.lpNoiseLevels, e.wNoiseLevels, e.wReservedLevels)) << ", repeats "
        << e.repeats << '\n';
    out << "# run: from " << localTime(s.dwSimStartTime) << " to " << localTime(s.dwSimEndTime) << '\n';
    return out.str();
}

std::string jsonText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

} // namespace mirokel

// Static initialisation and the derivations shared by start-up and the commands.
#include "app/app_state.h"

namespace mirokel {

namespace {

constexpr std::int16_t fullEnergy = 100; // percent

std::int32_t tableValue(const ChoiceTable& table, std::int32_t index) { return table[static_cast<std::size_t>(index)]; }

} // namespace

void initialiseStaticState(AppState& s)
{
    s.dwSeriesLengthSetting = tableValue(dwSeriesLengthTable, s.dwSeriesLengthIndex);
    s.dwSeriesLength = s.dwSeriesLengthSetting;
    s.wNoiseSetting = static_cast<std::int16_t>(tableValue(dwNoiseLevelTable, s.dwNoiseLevelIndex));
    s.wNoiseLevel = s.wNoiseSetting;
    s.wLostDataSetting = static_cast<std::int16_t>(tableValue(dwLostDataTable, s.dwLostDataIndex));
    s.wLostDataLevel = s.wLostDataSetting;
    s.wMakeEnergyDefault = static_cast<std::int16_t>(fullEnergy - s.wLostDataLevel);
    s.wMakeEnergyLevel = s.wMakeEnergyDefault;
    s.wProcEnergyDefault = static_cast<std::int16_t>(fullEnergy - s.wLostDataLevel);
    s.wProcEnergyLevel = s.wProcEnergyDefault;
    s.dwSelectedEtalon = s.dwDefaultEtalon;
}

void derivePulseCountBounds(AppState& s)
{
    const auto length = static_cast<std::uint32_t>(s.dwSeriesLength);
    s.wMinPulses = static_cast<std::uint16_t>((length + s.wImpulseSize - 1u) / s.wTmax);
    s.wMaxPulses = static_cast<std::uint16_t>((length - s.wImpulseSize + s.wTmin) / s.wTmin);
}

void chooseSeriesLength(AppState& s, std::int32_t length)
{
    s.dwSeriesLengthSetting = length;
    const auto chosen = static_cast<std::uint32_t>(length);
    s.wMinPulses = static_cast<std::uint16_t>((chosen + s.wImpulseSize - 1u) / s.wTmax);
    s.wMaxPulses = static_cast<std::uint16_t>((chosen - s.wImpulseSize + s.wTmin) / s.wTmin);
    s.wPulsesNumber = pulsesNumberMidpoint(s);
}

std::uint16_t pulsesNumberMidpoint(const AppState& s)
{
    return static_cast<std::uint16_t>((std::int32_t{s.wMinPulses} + std::int32_t{s.wMaxPulses}) / 2);
}

void clampImpulseQuantity(AppState& s)
{
    s.wImpulseQuantity = s.wPulsesNumber;
    if (s.wImpulseQuantity > s.wMaxPulses || s.wImpulseQuantity < s.wMinPulses)
        s.wImpulseQuantity = pulsesNumberMidpoint(s);
}

bool isUnfixedSeriesType(std::uint16_t seriesType)
{
    return seriesType == series_type::unfixedWhole || seriesType == series_type::unfixedCutOff ||
           seriesType == series_type::unfixedTuples;
}

bool isTupleSeriesType(std::uint16_t seriesType)
{
    return seriesType == series_type::fixedTuples || seriesType == series_type::unfixedTuples;
}

std::uint16_t processingModeFor(std::uint16_t taskType, std::uint16_t seriesType)
{
    const bool tuples = seriesType == series_type::fixedTuples || seriesType == series_type::unfixedTuples;
    if (tuples && taskType == task_type::detection) return processing_mode::tupleDetection;
    if (tuples && taskType == task_type::recognition) return processing_mode::tupleRecognition;
    return taskType;
}

void deriveProcessingMode(AppState& s) { s.wProcessingMode = processingModeFor(s.wTaskType, s.wSeriesType); }

void deriveEnergyLevels(AppState& s)
{
    const auto level = static_cast<std::int16_t>(fullEnergy - s.wLostDataLevel);
    s.wMakeEnergyDefault = s.wMakeEnergyInput = s.wMakeEnergyLevel = level;
    s.wProcEnergyDefault = s.wProcEnergyInput = s.wProcEnergyLevel = level;
}

void resetWholePulseLevels(AppState& s)
{
    s.dwLostDataIndex = 1;
    s.wLostDataSetting = 0;
    s.wLostDataLevel = s.wLostDataSetting;
    deriveEnergyLevels(s);
}

void setInUseFlagsFromList(AppState& s)
{
    s.awEtalonInUse.fill(0);
    for (std::uint16_t i = 0; i < s.wRequiredCount && s.lpRequiredList != nullptr; ++i) {
        const std::uint16_t number = s.lpRequiredList[i];
        if (number >= 1 && number <= alphabetSlots) s.awEtalonInUse[number - 1u] = 1;
    }
}

void setListFromInUseFlags(AppState& s)
{
    s.wRequiredCount = 0;
    if (s.lpRequiredList == nullptr) return;
    for (std::uint16_t i = 0; i < s.wAlphabetSize && i < alphabetSlots; ++i) {
        if (s.awEtalonInUse[i] == 1 && s.wRequiredCount < s.wRequiredCapacity)
            s.lpRequiredList[s.wRequiredCount++] = static_cast<std::uint16_t>(i + 1);
    }
}

void deriveStatView(AppState& s)
{
    const bool summary = s.dwViewCase == 2;
    switch (s.dwHandlingCase) {
    case 2: s.dwStatView = summary ? 3 : 2; break;
    case 3: s.dwStatView = s.dwBoundsIncluded != 0 ? (summary ? 13 : 12) : (summary ? 5 : 4); break;
    default: s.dwStatView = summary ? 1 : 0; break;
    }
}

void applyStartupSettings(AppState& s)
{
    s.wSeriesType = series_type::fixedTuples;
    s.wTaskType = task_type::recognition;
    deriveProcessingMode(s);
    s.wResultKind = 1;
    if (s.wProcessingMode != task_type::detection) {
        for (std::uint16_t i = 0; i < s.wAlphabetSize && i < alphabetSlots; ++i) s.awEtalonInUse[i] = 1;
    } else {
        s.dwSelectedEtalon = s.dwDefaultEtalon;
        s.awEtalonInUse.fill(0);
        s.awEtalonInUse[static_cast<std::size_t>(s.dwDefaultEtalon - 1)] = 1;
    }
    const bool tupleMode = s.wProcessingMode == processing_mode::tupleDetection ||
                           s.wProcessingMode == processing_mode::tupleRecognition;
    s.dwViewMode = tupleMode ? 9 : 5;
    setListFromInUseFlags(s);

    s.dwSeriesLengthIndex = dwSeriesLengthTable[0];
    s.dwSeriesLengthSetting = tableValue(dwSeriesLengthTable, s.dwSeriesLengthIndex);
    s.dwSeriesLength = s.dwSeriesLengthSetting;
    derivePulseCountBounds(s);
    s.wPulsesNumber = pulsesNumberMidpoint(s);
    s.wImpulseQuantity = s.wPulsesNumber;

    s.dwNoiseLevelIndex = 1;
    s.wNoiseSetting = static_cast<std::int16_t>(tableValue(dwNoiseLevelTable, s.dwNoiseLevelIndex));
    s.wNoiseLevel = s.wNoiseSetting;

    s.dwLostDataIndex = 2;
    s.wLostDataSetting = static_cast<std::int16_t>(tableValue(dwLostDataTable, s.dwLostDataIndex));
    if (s.wSeriesType != series_type::fixedCutOff && s.wSeriesType != series_type::unfixedCutOff) {
        s.dwLostDataIndex = 1;
        s.wLostDataSetting = 0;
    }
    s.wLostDataLevel = s.wLostDataSetting;
    deriveEnergyLevels(s);
}

} // namespace mirokel

// Checks and application of the command line's settings.
#include "cli/settings.h"

#include "app/command_ids.h"
#include "app/input_checks.h"
#include "app/subset_panel_state.h"
#include "platform/window.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace mirokel::cli {

namespace {

constexpr std::int64_t max16 = 65535;      // 16-bit unsigned settings
constexpr std::int64_t fullEnergy = 100;   // percent
constexpr std::int64_t maxThreads = 1024;
constexpr std::int64_t employmentKinds = 5; // 1 single random … 5 shifted complete
constexpr std::int64_t proceedingKinds = 2; // 1 complete, 2 probably shifted complete

// A menu command of the Settings menu and the value it selects.
struct MenuChoice {
    std::int64_t value;
    std::uint16_t command;
};

constexpr std::array<MenuChoice, 6> seriesTypeChoices{{{series_type::fixedWhole, command::fixedWhole},
                                                       {series_type::unfixedWhole, command::unfixedWhole},
                                                       {series_type::fixedCutOff, command::fixedCutOff},
                                                       {series_type::unfixedCutOff, command::unfixedCutOff},
                                                       {series_type::fixedTuples, command::fixedTuples},
                                                       {series_type::unfixedTuples, command::unfixedTuples}}};

constexpr std::array<MenuChoice, 4> taskTypeChoices{{{task_type::detection, command::detection},
                                                     {task_type::recognition, command::recognition},
                                                     {task_type::jointDetection, command::jointDetection},
                                                     {task_type::seriesProcessing, command::seriesProcessing}}};

template <std::size_t n>
const MenuChoice* findChoice(const std::array<MenuChoice, n>& choices, std::int64_t value)
{
    const auto found =
        std::find_if(choices.begin(), choices.end(), [value](const MenuChoice& c) { return c.value == value; });
    return found == choices.end() ? nullptr : &*found;
}

std::string checkRange(const char* what, std::int64_t value, std::int64_t least, std::int64_t greatest)
{
    if (value >= least && value <= greatest) return {};
    return formatText("%s (%lld) must lie between %lld and %lld.", what, static_cast<long long>(value),
                      static_cast<long long>(least), static_cast<long long>(greatest));
}

std::string checkEtalons(const char* what, const NumberList& numbers, std::size_t least, std::size_t greatest,
                         const AppState& state)
{
    if (numbers.size() < least || numbers.size() > greatest)
        return formatText("%s must hold %zu to %zu etalon numbers (%zu given).", what, least, greatest,
                          numbers.size());
    for (const std::int64_t number : numbers) {
        std::string refusal = checkEtalonNumberInput(number, state.wAlphabetSize);
        if (!refusal.empty()) return refusal;
    }
    return {};
}

// The series geometry the settings leave: each value given, or the one in force.
struct Geometry {
    std::int64_t length, tmin, tmax;
};

Geometry settingsGeometry(const SettingOptions& s, const AppState& state)
{
    return {s.length.value_or(state.dwSeriesLengthSetting), s.tmin.value_or(state.wTmin),
            s.tmax.value_or(state.wTmax)};
}

std::string checkTypes(const SettingOptions& s, const AppState& state)
{
    if (s.seriesType && findChoice(seriesTypeChoices, *s.seriesType) == nullptr)
        return formatText("The series type (%lld) must be one of 1, 2, 4, 8, 36 and 40.",
                          static_cast<long long>(*s.seriesType));
    if (s.selected) {
        std::string refusal = checkEtalonNumberInput(*s.selected, state.wAlphabetSize);
        if (!refusal.empty()) return refusal;
    }
    if (s.task && findChoice(taskTypeChoices, *s.task) == nullptr)
        return formatText("The task type (%lld) must be one of 1, 2, 4 and 64.", static_cast<long long>(*s.task));
    if (s.etalons) return checkEtalons("The list of etalons in use", *s.etalons, 1, alphabetSlots, state);
    return {};
}

std::string checkLevels(const SettingOptions& s, const AppState& state)
{
    // Below 1 the geometry check has the clearer message; above 16 bits only this one.
    if (s.tmin && *s.tmin > max16) return checkRange("Tmin", *s.tmin, 1, max16);
    if (s.tmax && *s.tmax > max16) return checkRange("Tmax", *s.tmax, 1, max16);
    const Geometry g = settingsGeometry(s, state);
    std::string refusal = checkSeriesGeometryInput(g.length, g.tmin, g.tmax, state.wImpulseSize);
    if (refusal.empty() && s.pulses) refusal = checkRange("The pulse count", *s.pulses, 1, max16);
    if (refusal.empty() && s.noise) refusal = checkNoiseLevelInput(*s.noise);
    if (refusal.empty() && s.lost) refusal = checkRange("The lost-data level", *s.lost, 0, fullEnergy);
    return refusal;
}

std::string checkSubsets(const SettingOptions& s, const AppState& state)
{
    if (s.employment) {
        std::string refusal = checkRange("The subset employment", *s.employment, 1, employmentKinds);
        if (!refusal.empty()) return refusal;
    }
    if (s.initPosition) {
        std::string refusal = checkInitPositionInput(*s.initPosition);
        if (!refusal.empty()) return refusal;
    }
    if (s.proceeding) {
        std::string refusal = checkRange("The subset proceeding", *s.proceeding, 1, proceedingKinds);
        if (!refusal.empty()) return refusal;
    }
    if (s.subset) {
        std::string refusal = checkEtalons("The composed subset", *s.subset, 1, subsetMembersMax, state);
        if (!refusal.empty()) return refusal;
    }
    std::size_t reservedCount = 0;
    if (s.reserved) {
        reservedCount = s.reserved->size();
        if (reservedCount > static_cast<std::size_t>(dwReservedSubsetsMax))
            return formatText("At most %d reserved subsets can be kept (%zu given).", dwReservedSubsetsMax,
                              reservedCount);
        for (const NumberList& members : *s.reserved) {
            std::string refusal = checkEtalons("A reserved subset", members, 0, subsetMembersMax, state);
            if (!refusal.empty()) return refusal;
        }
    }
    if (s.current)
        return checkRange("The current reserved subset", *s.current, 0, static_cast<std::int64_t>(reservedCount));
    return {};
}

std::int32_t toInt32(std::int64_t value) { return static_cast<std::int32_t>(value); }
std::uint16_t toUnsigned16(std::int64_t value) { return static_cast<std::uint16_t>(value); }
std::int16_t toSigned16(std::int64_t value) { return static_cast<std::int16_t>(value); }

// --length as a series-length selector click sets it: the bounds come from the chosen
// length (not the one in force), 32-bit unsigned divisions kept in 16 bits, and the
// pulse count asked for is their midpoint.
void useExactlyEtalons(AppState& state, const NumberList& etalons)
{
    state.awEtalonInUse.fill(0);
    for (const std::int64_t number : etalons) state.awEtalonInUse[static_cast<std::size_t>(number - 1)] = 1;
    setListFromInUseFlags(state);
}

void composeSubset(AppState& state, const NumberList& members)
{
    std::fill_n(state.selectedSubset, state.dwSubsetCapacity, 0);
    std::fill_n(state.adwSubsetMarks, state.dwSubsetCapacity, 0);
    std::transform(members.begin(), members.end(), state.selectedSubset, toInt32);
    state.dwSubsetSize = static_cast<std::int32_t>(members.size());
}

// The reserved subsets replace any kept before; the current one is the last, as after
// " Accept ".
void reserveSubsets(AppState& state, const std::vector<NumberList>& subsets)
{
    state.dwReservedCount = 0;
    for (const NumberList& members : subsets) {
        std::vector<std::int32_t> row(members.size());
        std::transform(members.begin(), members.end(), row.begin(), toInt32);
        state.dwReservedCount = reserveSubset(row.data(), static_cast<std::int32_t>(row.size()),
                                              state.selectedSubsetArraySize, state.lpReservedSubsets,
                                              state.dwReservedCount, state.dwReservedCapacity);
    }
    state.dwCurrentReserved = state.dwReservedCount;
}

} // namespace

std::string checkSettings(const SettingOptions& settings, const AppState& state)
{
    std::string refusal = checkTypes(settings, state);
    if (refusal.empty()) refusal = checkLevels(settings, state);
    if (refusal.empty()) refusal = checkSubsets(settings, state);
    return refusal;
}

std::string checkRunOptions(const RunOptions& run)
{
    std::string refusal = checkRange("--runs", run.runs, 0, INT32_MAX);
    if (refusal.empty()) refusal = checkRange("--same", run.same, 0, INT32_MAX);
    return refusal;
}

DialogPulseCounts dialogPulseCounts(const SettingOptions& settings, const AppState& state)
{
    // The "Create Series" field shows dwSeriesLength unless --length is typed into it.
    const auto length = static_cast<std::uint32_t>(settings.length.value_or(state.dwSeriesLength));
    const auto tmin = toUnsigned16(settings.tmin.value_or(state.wTmin));
    const auto tmax = toUnsigned16(settings.tmax.value_or(state.wTmax));
    const std::uint16_t size = state.wImpulseSize;
    return {static_cast<std::uint16_t>((length + size - 1u) / tmax),
            static_cast<std::uint16_t>((length - size + tmin) / tmin)};
}

std::string checkSimulateOptions(const SettingOptions& settings, const SimulateOptions& simulate,
                                 const AppState& state)
{
    const GridOptions& g = simulate.grid;
    const std::pair<const char*, const std::optional<std::int64_t>*> fields[] = {
        {"--min-pulses", &g.minPulses},     {"--max-pulses", &g.maxPulses},
        {"--pulses-increment", &g.pulsesIncrement}, {"--noise-initial", &g.noiseInitial},
        {"--noise-steps", &g.noiseSteps},   {"--noise-increment", &g.noiseIncrement},
        {"--repeats", &g.repeats}};
    for (const auto& [name, value] : fields) {
        if (!*value) continue;
        std::string refusal = checkRange(name, **value, 0, max16);
        if (!refusal.empty()) return refusal;
    }
    if (simulate.threads) {
        std::string refusal = checkRange("--threads", *simulate.threads, 1, maxThreads);
        if (!refusal.empty()) return refusal;
    }
    const DialogPulseCounts shown = dialogPulseCounts(settings, state);
    return checkSimulationGridInput(
        g.minPulses.value_or(shown.from), g.maxPulses.value_or(shown.to), g.noiseInitial.value_or(state.wNoiseInitial),
        g.noiseSteps.value_or(state.wNoiseSteps), g.noiseIncrement.value_or(state.wNoiseIncrement),
        g.repeats.value_or(state.wRepeats), settings.length.value_or(state.dwSeriesLength),
        settings.tmin.value_or(state.wTmin), settings.tmax.value_or(state.wTmax), state.wImpulseSize);
}

SubsetCommit applySettings(Application& app, const SettingOptions& s)
{
    AppState& state = app.state;
    if (s.seriesType) onCommand(app, findChoice(seriesTypeChoices, *s.seriesType)->command);
    if (s.selected) state.dwSelectedEtalon = toInt32(*s.selected);
    if (s.task) onCommand(app, findChoice(taskTypeChoices, *s.task)->command);
    if (s.etalons) useExactlyEtalons(state, *s.etalons);
    if (s.tmin) state.wTmin = toUnsigned16(*s.tmin);
    if (s.tmax) state.wTmax = toUnsigned16(*s.tmax);
    if (s.length) chooseSeriesLength(state, toInt32(*s.length));
    if (s.pulses) state.wPulsesNumber = toUnsigned16(*s.pulses);
    if (s.noise) state.wNoiseSetting = toSigned16(*s.noise);
    if (s.lost) {
        state.wLostDataSetting = toSigned16(*s.lost);
        state.wMakeEnergyDefault = state.wProcEnergyDefault = toSigned16(fullEnergy - *s.lost);
    }
    if (s.employment) state.wSubsetEmployment = toUnsigned16(*s.employment);
    if (s.initPosition) state.wSubsetInitPosition = toUnsigned16(*s.initPosition);
    if (s.proceeding) state.wSubsetProceeding = toUnsigned16(*s.proceeding);
    if (s.subset) composeSubset(state, *s.subset);
    if (s.reserved) reserveSubsets(state, *s.reserved);
    if (s.current) state.dwCurrentReserved = toInt32(*s.current);
    if (!s.subset && !s.reserved) return SubsetCommit::notRun;
    return commitSubsetPanel(app.window, state) ? SubsetCommit::handedOver : SubsetCommit::nothingToHandOver;
}

} // namespace mirokel::cli

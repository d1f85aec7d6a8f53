// The eight parameter dialogs: their controls, what they show when they open, how clicks
// change the working choices, which input is refused on OK, and what OK writes back.
// Every dialog reads its values from the state only when it opens and writes only after
// an accepted OK, so a Cancel or a refusal leaves the state as it was.
#include "app/parameter_dialogs.h"

#include "app/input_checks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <utility>

namespace mirokel {

namespace {

constexpr std::size_t numberListLimit = 99; // characters of a number list that are read
constexpr int upperBoundDigits = 5;          // significant digits the bound is shown with

const DialogClick noClicks = [](std::int32_t, DialogValues&) {};

// ---- Controls ----

DialogControl groupBox(std::string text) { return {ControlKind::groupBox, 0, std::move(text)}; }
DialogControl label(std::string text, std::int32_t id = 0) { return {ControlKind::staticText, id, std::move(text)}; }
DialogControl edit(std::int32_t id) { return {ControlKind::edit, id, {}}; }
DialogControl radio(std::int32_t id, std::string text, std::int32_t group)
{
    return {ControlKind::radioButton, id, std::move(text), true, group};
}
DialogControl checkBox(std::int32_t id, std::string text) { return {ControlKind::checkBox, id, std::move(text)}; }

DialogControl disabled(DialogControl control)
{
    control.enabled = false;
    return control;
}

// ---- Reading and writing values ----

// Leading decimal digits of `text` after an optional sign; saturates at the 32-bit limits.
std::int32_t readNumberAt(std::string_view text)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    constexpr std::int64_t saturation = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), saturation);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::uint16_t readUnsigned16(const DialogValues& values, std::int32_t id)
{
    return static_cast<std::uint16_t>(readNumber(values.text(id)));
}

std::int16_t readSigned16(const DialogValues& values, std::int32_t id)
{
    return static_cast<std::int16_t>(readNumber(values.text(id)));
}

std::string decimal(std::int64_t value) { return std::to_string(value); }

// The upper bound as "%.5g" writes it, independent of the process locale (the window
// system may switch the C locale to one with a decimal comma).
std::string formatFraction(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                      upperBoundDigits);
    return std::string(buffer, result.ptr);
}

// A decimal fraction as strtod reads it in the "C" locale: leading blanks, an optional
// sign, the longest number that follows; 0 when there is none.
double readFraction(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string_view::npos) return 0.0;
    if (text[at] == '+' && at + 1 < text.size() && text[at + 1] != '-') ++at;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + at, text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
}

// The number of entries of an owned array that a dialog may show and read: `wanted`, but
// never past the entries allocated.
std::int32_t entriesWithin(const std::uint16_t* array, std::int32_t wanted, std::int32_t allocated)
{
    return array == nullptr ? 0 : std::clamp(wanted, 0, allocated);
}

// ---- "Create Series" (parameters) ----

struct SeriesParameters {
    std::int32_t length;
    std::uint16_t tmin, tmax;
    std::int32_t etalon;
    std::int16_t makeEnergy, procEnergy;
};

SeriesParameters typedSeriesParameters(const DialogValues& values)
{
    return {readNumber(values.text(dialog_id::seriesLength)), readUnsigned16(values, dialog_id::minInterval),
            readUnsigned16(values, dialog_id::maxInterval), readNumber(values.text(dialog_id::etalonNumber)),
            readSigned16(values, dialog_id::makeEnergy), readSigned16(values, dialog_id::procEnergy)};
}

// The checks see the values as they will be stored (16-bit intervals), so a typed 65536
// is refused as the 0 it would become.
std::string refuseSeriesParameters(const SeriesParameters& p, const AppState& s)
{
    std::string refusal = checkSeriesGeometryInput(p.length, p.tmin, p.tmax, s.wImpulseSize);
    if (refusal.empty()) refusal = checkEtalonNumberInput(p.etalon, s.wAlphabetSize);
    return refusal;
}

// ---- " Location Parameters" ----

struct LocationParameters {
    std::uint16_t pulsesFrom, pulsesTo, pulsesIncrement, noiseInitial, noiseSteps, noiseIncrement, repeats;
};

LocationParameters typedLocationParameters(const DialogValues& values)
{
    return {readUnsigned16(values, dialog_id::pulsesFrom),     readUnsigned16(values, dialog_id::pulsesTo),
            readUnsigned16(values, dialog_id::pulsesIncrement), readUnsigned16(values, dialog_id::noiseInitial),
            readUnsigned16(values, dialog_id::noiseSteps),      readUnsigned16(values, dialog_id::noiseIncrement),
            readUnsigned16(values, dialog_id::repeats)};
}

// The pulse counts must fit the geometry the command is setting up (the working copies
// of the "Create Series" parameters); the noise grid must stay within the loudest level.
std::string refuseLocationParameters(const LocationParameters& p, const AppState& s)
{
    return checkSimulationGridInput(p.pulsesFrom, p.pulsesTo, p.noiseInitial, p.noiseSteps, p.noiseIncrement, p.repeats,
                                    s.dwSeriesLengthInput, s.wTminInput, s.wTmaxInput, s.wImpulseSize);
}

// ---- The statistics dialogs ----

struct StatisticsChoice {
    std::int32_t handling, view, fixedBound, boundsIncluded;
};

std::int32_t checkedFlag(const DialogValues& values, std::int32_t id) { return values.checked(id) ? 1 : 0; }

} // namespace

// ---- Number lists ----

std::string formatNumberList(const std::uint16_t* numbers, std::int32_t count)
{
    std::string text;
    for (std::int32_t i = 0; numbers != nullptr && i < count; ++i) text += decimal(numbers[i]) + ",";
    if (!text.empty()) text.pop_back();
    return text;
}

void readNumberList(const std::string& text, std::uint16_t* numbers, std::int32_t count)
{
    const std::string_view field = std::string_view(text).substr(0, numberListLimit);
    std::size_t at = 0;
    for (std::int32_t i = 0; numbers != nullptr && i < count; ++i) {
        numbers[i] = static_cast<std::uint16_t>(readNumberAt(field.substr(at)));
        const std::size_t separator = field.find_first_of(", ", at);
        at = separator == std::string_view::npos ? field.size() : separator + 1;
    }
}

std::int32_t readNumber(const std::string& text) { return readNumberAt(text); }

// ---- The dialogs ----

bool runCreateSeriesDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    const std::string energyLabel = "Saved Energy Level (from 0 to 100)";
    const DialogDescription description{
        "Create Series",
        {groupBox("Parameters for creating series"), label("Samples Length"), edit(seriesLength),
         label("Min Length of Interval"), edit(minInterval), label("Max Length of Interval"), edit(maxInterval),
         label("Etalon Number"), edit(etalonNumber), label(energyLabel), edit(makeEnergy),
         groupBox("Parameters for processing series"), label(energyLabel), edit(procEnergy)}};
    DialogValues values;
    values.texts = {{seriesLength, decimal(s.dwSeriesLength)}, {minInterval, decimal(s.wTmin)},
                    {maxInterval, decimal(s.wTmax)},           {makeEnergy, decimal(s.wMakeEnergyLevel)},
                    {procEnergy, decimal(s.wProcEnergyLevel)},  {etalonNumber, decimal(s.dwSelectedEtalon)}};
    const bool accepted = window.dialogs.runDialog(description, values, noClicks, [&s](const DialogValues& typed) {
        return refuseSeriesParameters(typedSeriesParameters(typed), s);
    });
    s.dwDialogAccepted = accepted ? 1 : 0;
    if (!accepted) return false;

    const SeriesParameters p = typedSeriesParameters(values);
    s.dwSeriesLengthInput = p.length;
    s.wTminInput = p.tmin;
    s.wTmaxInput = p.tmax;
    s.wMakeEnergyInput = p.makeEnergy;
    s.dwDefaultEtalon = p.etalon; // the setting itself: the command makes it the selected etalon
    s.wProcEnergyInput = p.procEnergy;
    return true;
}

bool runSeriesStructureDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    const std::string pulsesText =
        formatText("Number of Pulses in Series (from %d to %d)", s.wMinPulsesInput, s.wMaxPulsesInput);
    const std::string sequenceText = formatText("Sequence of Etalons in Series (values from 1 to %d)", s.wAlphabetSize);
    const DialogDescription description{"Create Series",
                                        {groupBox(" Series structure "), label(pulsesText, pulsesLabel),
                                         edit(pulsesNumber), label(sequenceText, sequenceLabel), edit(sequence),
                                         label("Noise Level"), edit(noiseLevel)}};
    // The list holds the pulse count shown at opening; a different typed count does not
    // change how many entries are read back.
    const std::int32_t entries = entriesWithin(s.lpEtalonSequenceInput, s.wPulsesNumber, s.wEtalonSequenceInputSize);
    DialogValues values;
    values.texts = {{pulsesLabel, pulsesText},
                    {pulsesNumber, decimal(s.wPulsesNumber)},
                    {sequenceLabel, sequenceText},
                    {sequence, formatNumberList(s.lpEtalonSequenceInput, entries)},
                    {noiseLevel, decimal(s.wNoiseLevel)}};
    const bool accepted = window.dialogs.runDialog(description, values, noClicks, [](const DialogValues& typed) {
        return checkNoiseLevelInput(readSigned16(typed, noiseLevel));
    });
    s.dwDialogAccepted = accepted ? 1 : 0;
    if (!accepted) return false;

    s.wPulsesNumberInput = readUnsigned16(values, pulsesNumber);
    readNumberList(values.text(sequence), s.lpEtalonSequenceInput, entries);
    s.wNoiseLevelInput = readSigned16(values, noiseLevel);
    return true;
}

bool runRequiredEtalonsDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    const std::string listText = formatText("List of Required Etalons (from 1 to %d)", s.wAlphabetSize);
    const DialogDescription description{"List of Required Etalons",
                                        {label("Number of Required Etalons"), edit(requiredCount),
                                         label(listText, requiredLabel), edit(requiredList)}};
    DialogValues values;
    values.texts = {{requiredCount, decimal(s.wRequiredCount)},
                    {requiredLabel, listText},
                    {requiredList, formatNumberList(s.lpRequiredList, entriesWithin(s.lpRequiredList, s.wRequiredCount,
                                                                                    s.wRequiredCapacity))}};
    const bool accepted = window.dialogs.runDialog(description, values, noClicks, {});
    s.dwDialogAccepted = accepted ? 1 : 0;
    if (!accepted) return false;

    // A count outside 1 … capacity keeps the old count; the list is read with the count
    // in force either way.
    const std::int32_t count = readNumber(values.text(requiredCount));
    if (count > 0 && count <= s.wRequiredCapacity) s.wRequiredCount = static_cast<std::uint16_t>(count);
    readNumberList(values.text(requiredList), s.lpRequiredList,
                   entriesWithin(s.lpRequiredList, s.wRequiredCount, s.wRequiredCapacity));
    return true;
}

bool runLocationParametersDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    const DialogDescription description{
        " Location Parameters",
        {groupBox(" Number of Pulses in Series "), label("from"), edit(pulsesFrom), label("to"), edit(pulsesTo),
         label("incr."), edit(pulsesIncrement), groupBox(" Noise parameters "), label("Initial Level"),
         edit(noiseInitial), label("Number of Steps in Simulation"), edit(noiseSteps),
         label("Noise Increment per Step"), edit(noiseIncrement), label("Number of Repeats"), edit(repeats)}};
    DialogValues values;
    values.texts = {{pulsesFrom, decimal(s.wMinPulsesInput)},    {pulsesTo, decimal(s.wMaxPulsesInput)},
                    {pulsesIncrement, decimal(s.wPulsesIncrement)}, {noiseInitial, decimal(s.wNoiseInitial)},
                    {noiseSteps, decimal(s.wNoiseSteps)},         {noiseIncrement, decimal(s.wNoiseIncrement)},
                    {repeats, decimal(s.wRepeats)}};
    const bool accepted = window.dialogs.runDialog(description, values, noClicks, [&s](const DialogValues& typed) {
        return refuseLocationParameters(typedLocationParameters(typed), s);
    });
    s.dwDialogAccepted = accepted ? 1 : 0;
    if (!accepted) return false;

    const LocationParameters p = typedLocationParameters(values);
    s.wMinPulsesInput = p.pulsesFrom;
    s.wMaxPulsesInput = p.pulsesTo;
    s.wPulsesIncrement = p.pulsesIncrement; // 0 is replaced by the command
    s.wNoiseInitial = p.noiseInitial;
    s.wNoiseSteps = p.noiseSteps;
    s.wNoiseIncrement = p.noiseIncrement;
    s.wRepeats = p.repeats;
    return true;
}

bool runSubsetSettingsDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    constexpr std::int32_t employmentGroup = 1, proceedingGroup = 2;
    const DialogDescription description{
        "Subset settings",
        {groupBox(" Subset employment "), radio(singleRandom, "Single random ", employmentGroup),
         radio(singleFixed, "Single fixed", employmentGroup), radio(multipleRandom, "Multiple random", employmentGroup),
         radio(complete, "Complete ", employmentGroup), radio(shiftedComplete, "Shifted complete", employmentGroup),
         disabled(label("Subset init position")), disabled(edit(initPosition)), groupBox(" Subset proceeding "),
         radio(proceedingComplete, "Complete ", proceedingGroup),
         radio(proceedingShifted, "Probably shifted complete", proceedingGroup)}};
    // Employment 1 … 5 have the radios 1015 … 1019 in order; any other value shows "Complete ".
    const bool knownEmployment = s.wSubsetEmployment >= 1 && s.wSubsetEmployment <= 5;
    const std::int32_t employmentRadio = knownEmployment ? singleRandom + s.wSubsetEmployment - 1 : complete;
    const std::string shownPosition = decimal(s.wSubsetInitPosition);
    DialogValues values;
    for (std::int32_t id = singleRandom; id <= shiftedComplete; ++id) values.checks[id] = id == employmentRadio;
    values.checks[proceedingComplete] = s.wSubsetProceeding != 2;
    values.checks[proceedingShifted] = s.wSubsetProceeding == 2;
    values.texts[initPosition] = shownPosition;

    // The working choices start as the settings: OK without a click keeps them.
    std::uint16_t employment = s.wSubsetEmployment, proceeding = s.wSubsetProceeding;
    const DialogClick onClick = [&](std::int32_t id, DialogValues&) {
        if (id >= singleRandom && id <= shiftedComplete) employment = static_cast<std::uint16_t>(id - singleRandom + 1);
        if (id == proceedingComplete) proceeding = 1;
        if (id == proceedingShifted) proceeding = 2;
    };
    if (!window.dialogs.runDialog(description, values, onClick, {})) return false;

    s.wSubsetEmployment = employment;
    s.wSubsetProceeding = proceeding;
    // The edit is disabled: the position written back is the one it showed, whatever
    // text a script may have put there.
    s.wSubsetInitPosition = static_cast<std::uint16_t>(readNumber(shownPosition));
    return true;
}

bool runDrawingSettingsDialog(Window& window, AppState& s)
{
    using namespace dialog_id;
    constexpr std::int32_t highlightGroup = 1;
    const DialogDescription description{
        "Drawing settings",
        {checkBox(frameGraphFields, "frame graph fields"), checkBox(shadedOriginal, "shaded original pulses"),
         checkBox(highlightDetected, "highlight detected pulses"), checkBox(specialGraphSize, "special graph size"),
         groupBox(" Highlight detected tuples "), radio(dottedFrame, "dotted frame", highlightGroup),
         radio(colouredBackground, "coloured background", highlightGroup), radio(noHighlight, "none", highlightGroup)}};
    DialogValues values;
    values.checks = {{frameGraphFields, s.dwFrameGraphFields != 0},
                     {shadedOriginal, s.dwShadedOriginalPulses != 0},
                     {highlightDetected, s.dwHighlightDetectedPulses != 0},
                     {specialGraphSize, s.dwSpecialGraphSize != 0},
                     {dottedFrame, s.wTupleHighlight == 1},
                     {colouredBackground, s.wTupleHighlight != 0 && s.wTupleHighlight != 1},
                     {noHighlight, s.wTupleHighlight == 0}};

    std::int32_t frame = s.dwFrameGraphFields, shaded = s.dwShadedOriginalPulses,
                 highlight = s.dwHighlightDetectedPulses, special = s.dwSpecialGraphSize;
    std::uint16_t tuples = s.wTupleHighlight;
    const DialogClick onClick = [&](std::int32_t id, DialogValues& shown) {
        if (id == frameGraphFields) frame = checkedFlag(shown, id);
        if (id == shadedOriginal) shaded = checkedFlag(shown, id);
        if (id == highlightDetected) highlight = checkedFlag(shown, id);
        if (id == specialGraphSize) special = checkedFlag(shown, id);
        if (id == dottedFrame) tuples = 1;
        if (id == colouredBackground) tuples = 2;
        if (id == noHighlight) tuples = 0;
    };
    if (!window.dialogs.runDialog(description, values, onClick, {})) return false;

    s.dwFrameGraphFields = frame;
    s.dwShadedOriginalPulses = shaded;
    s.dwHighlightDetectedPulses = highlight;
    s.dwSpecialGraphSize = special;
    s.wTupleHighlight = tuples;
    return true;
}

bool runStatisticsDialog(Window& window, AppState& s, bool withRecognition)
{
    using namespace dialog_id;
    constexpr std::int32_t handlingGroup = 1, viewGroup = 2;
    DialogDescription description;
    description.title = withRecognition ? "Show Statistical Simulation" : " Show Statistical Simulation parameters";
    description.controls = {groupBox(" Handling case "), radio(restoringError, "restoring error", handlingGroup),
                            radio(detectionError, "detection error", handlingGroup)};
    if (withRecognition) description.controls.push_back(radio(recognitionError, "recognition error", handlingGroup));
    description.controls.insert(
        description.controls.end(),
        {groupBox(" View case "), radio(componentwise, "componentwise", viewGroup),
         radio(summaryView, "summary view", viewGroup), groupBox(" Upper bound case "),
         checkBox(fixedUpperBound, "fixed upper bound"), label("upper bound"), edit(upperBound)});
    if (withRecognition) description.controls.push_back(checkBox(boundsIncluded, "bounds incl."));

    // Handling 3 has a radio only in the dialog with recognition; elsewhere it shows
    // "restoring error", like every other unknown case.
    const bool showsRecognition = withRecognition && s.dwHandlingCase == 3;
    DialogValues values;
    values.checks = {{restoringError, s.dwHandlingCase != 2 && !showsRecognition},
                     {detectionError, s.dwHandlingCase == 2},
                     {componentwise, s.dwViewCase != 2},
                     {summaryView, s.dwViewCase == 2},
                     {fixedUpperBound, s.dwFixedUpperBound != 0}};
    if (withRecognition) {
        values.checks[recognitionError] = showsRecognition;
        values.checks[boundsIncluded] = s.dwBoundsIncluded != 0;
    }
    values.texts[upperBound] = formatFraction(s.dUpperBound);

    StatisticsChoice choice{s.dwHandlingCase, s.dwViewCase, s.dwFixedUpperBound, s.dwBoundsIncluded};
    const DialogClick onClick = [&choice](std::int32_t id, DialogValues& shown) {
        if (id == restoringError) choice.handling = 1;
        if (id == detectionError) choice.handling = 2;
        if (id == recognitionError) choice.handling = 3;
        if (id == componentwise) choice.view = 1;
        if (id == summaryView) choice.view = 2;
        if (id == fixedUpperBound) choice.fixedBound = checkedFlag(shown, id);
        if (id == boundsIncluded) choice.boundsIncluded = checkedFlag(shown, id);
    };
    const DialogCheck onOk = [&choice](const DialogValues& typed) {
        if (choice.fixedBound == 0) return std::string();
        // An infinite bound would scale the graph to nothing.
        const double bound = readFraction(typed.text(upperBound));
        if (std::isinf(bound)) return std::string("The upper bound must be a finite number.");
        return checkUpperBoundInput(bound);
    };
    if (!window.dialogs.runDialog(description, values, onClick, onOk)) return false;

    s.dwHandlingCase = choice.handling;
    s.dwViewCase = choice.view;
    s.dwFixedUpperBound = choice.fixedBound;
    if (choice.fixedBound != 0) s.dUpperBound = readFraction(values.text(upperBound));
    if (withRecognition) s.dwBoundsIncluded = choice.boundsIncluded;
    return true;
}

} // namespace mirokel

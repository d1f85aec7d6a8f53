// The chain of a run: 205 new etalon sequence, 208 settings in force, 216 series build,
// 209 noise, 210 processing, 218 repaint; and "Create series..." with its two dialogs.
#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "app/startup.h"
#include "engine/chains_header.h"
#include "engine/processing_routine.h"
#include "model/series_builder.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

void refreshSettings(Application& app);
void buildSeries(Application& app);

// Makes `sequence` hold at least `size` entries, then fills every entry from `fill` (the
// entries past `fillSize` with dwDefaultEtalon). False after a failed allocation (message
// shown, the old array kept as it was).
bool refillSequence(Application& app, std::uint16_t*& sequence, std::uint16_t& sequenceSize, std::uint16_t size,
                    const std::uint16_t* fill, std::uint16_t fillSize)
{
    if (sequenceSize < size) {
        auto* larger = allocateArray<std::uint16_t>(size);
        if (larger == nullptr) {
            showMessage(app.window, "Нет памяти для lpEtalonSequence!", " Create series ", MessageIcon::exclamation);
            return false;
        }
        releaseMemory(sequence);
        sequence = larger;
        sequenceSize = size;
    }
    for (std::uint16_t i = 0; i < sequenceSize; ++i)
        sequence[i] = i < fillSize && fill != nullptr ? fill[i] : static_cast<std::uint16_t>(app.state.dwDefaultEtalon);
    return true;
}

// 205: a new etalon sequence drawn from the list in use.
void nextData(Application& app)
{
    AppState& s = app.state;
    app.runs.last = "next";
    ++app.runs.next;
    deriveProcessingMode(s);
    s.wImpulseQuantity = s.wPulsesNumber;
    s.wMaxPulses = static_cast<std::uint16_t>((static_cast<std::uint32_t>(s.dwSeriesLengthSetting) - s.wImpulseSize +
                                               s.wTmin) / s.wTmin);
    if (s.wRequiredCount == 0 || s.lpRequiredList == nullptr) {
        showMessage(app.window, "No etalon is in use: select at least one etalon on the alphabet panel.", "CM_INFO",
                    MessageIcon::exclamation);
        return;
    }
    if (s.wEtalonSequenceSize < s.wMaxPulses &&
        !refillSequence(app, s.lpEtalonSequence, s.wEtalonSequenceSize, s.wMaxPulses, s.lpEtalonSequenceInput,
                        s.wEtalonSequenceInputSize))
        return;
    for (std::uint16_t i = 0; i < s.wMaxPulses; ++i)
        s.lpEtalonSequence[i] = s.lpRequiredList[(nextSequenceRandom(s.streams.dwSequenceState) >> 3) % s.wRequiredCount];
    refreshSettings(app);
}

// 208: the chosen length, noise and lost-data levels come into force.
void refreshSettings(Application& app)
{
    AppState& s = app.state;
    s.dwSeriesLength = s.dwSeriesLengthSetting;
    derivePulseCountBounds(s);
    clampImpulseQuantity(s);
    s.wNoiseLevel = s.wNoiseSetting;
    s.wLostDataLevel = s.wLostDataSetting;
    s.wMakeEnergyLevel = s.wMakeEnergyDefault;
    s.wProcEnergyLevel = s.wProcEnergyDefault;
    // Detection and recognition of single etalons work on series of one etalon.
    if (s.wProcessingMode == task_type::detection || s.wProcessingMode == task_type::recognition)
        std::fill_n(s.lpEtalonSequence, std::min(s.wMaxPulses, s.wEtalonSequenceSize), s.lpEtalonSequence[0]);
    buildSeries(app);
}

void process(Application& app);

// 216: the series from the current sequence, then 209: its noise.
void buildSeries(Application& app)
{
    AppState& s = app.state;
    s.dwSeriesLength = s.dwSeriesLengthSetting;
    clampImpulseQuantity(s);
    s.wNoiseLevel = s.wNoiseSetting;
    const std::span<std::uint16_t> sequence(s.lpEtalonSequence, s.wEtalonSequenceSize);
    const auto energy = static_cast<std::uint16_t>(s.wMakeEnergyLevel);
    bool built = false;
    if (isUnfixedSeriesType(s.wSeriesType)) {
        s.lpSeriesHeader = makeUnfixedSeries(app.window, s.wAlphabetSize, s.aEtalons, s.wImpulseSize, s.wTmin,
                                             s.wTmax, s.dwSeriesLength, s.wImpulseQuantity, sequence, s.wAmplitude,
                                             energy, s.lpSeriesHeader, s.streams, &built);
        if (s.lpSeriesHeader != nullptr) s.wImpulseQuantity = s.lpSeriesHeader->wImpulseQuantity;
    } else {
        s.lpSeriesHeader = getCutOffSeries(app.window, s.wAlphabetSize, s.aEtalons, s.wImpulseSize, s.wTmin, s.wTmax,
                                           s.dwSeriesLength, s.wImpulseQuantity, sequence, s.wAmplitude, energy,
                                           s.lpSeriesHeader, s.streams, &built);
    }
    app.seriesRefused = !built;
    if (s.lpSeriesHeader == nullptr) {
        showMessage(app.window, "Не могу создать ряд!", "CM_INFO");
        return;
    }
    // A refused request (its message shown) left the previous series as it was: the run
    // stops here rather than process a series that was not built.
    if (!built) return;
    addNoise(app.window, s.wNoiseLevel, s.wAmplitude, s.lpSeriesHeader, s.streams.wNoiseSeed);
    process(app);
}

void repaintAfterProcessing(Application& app);

// Runs the routine of the processing mode and series type on the current series.
void runRoutine(Application& app)
{
    AppState& s = app.state;
    ProcessingInputs in;
    in.alphabet = s.aEtalons;
    in.listCount = s.wRequiredCount;
    in.list = s.lpRequiredList;
    in.tupleSize = s.dwSubsetSize;
    in.tuple = s.selectedSubset;
    in.tupleCount = s.dwReservedCount;
    in.tupleSizes = s.selectedSubsetArraySize;
    in.tuples = s.lpReservedSubsets;
    in.proceeding = s.wSubsetProceeding;
    in.tmin = s.wTmin;
    in.tmax = s.wTmax;
    in.procEnergy = static_cast<std::uint16_t>(s.wProcEnergyLevel);
    in.debugRepeat = &s.dwDebugRepeat;
    runProcessingRoutine(routineFor(s.wProcessingMode, s.wSeriesType), app.window, in, s.lpChainsHeader,
                         s.lpSeriesHeader);
}

// 210: processing of the current series.
void process(Application& app)
{
    AppState& s = app.state;
    // The chains record's rows must hold the longest chain this series can give. Without
    // a series the routines do nothing and the record is only labelled.
    const SeriesHeader* series = s.lpSeriesHeader;
    if (s.lpChainsHeader == nullptr || (series != nullptr && s.lpChainsHeader->wMaxPulses < series->wMaxPulses)) {
        if (series != nullptr) s.wChainsLength = series->wMaxPulses;
        s.lpChainsHeader = getChainsHeader(app.window, s.wChainsDepth, s.wChainsLength, s.lpChainsHeader);
        if (s.lpChainsHeader == nullptr) return;
    }
    if (s.wProcessingMode == processing_mode::tupleDetection) {
        if (s.dwSubsetSize == 0) onCommand(app, command::selectSetOfPulses);
        if (s.dwSubsetSize == 0) return;
        runRoutine(app);
    } else if (s.wProcessingMode == processing_mode::tupleRecognition) {
        if (s.dwSubsetSize == 0 || s.dwReservedCount == 0) onCommand(app, command::selectSetOfPulses);
        if (s.dwSubsetSize != 0) runRoutine(app);
    } else {
        runRoutine(app);
    }
    if (addToChainsHeader(app.window, s.wSeriesType, s.wProcessingMode, static_cast<std::uint16_t>(s.wMakeEnergyLevel),
                          static_cast<std::uint16_t>(s.wProcEnergyLevel), s.lpChainsHeader) == 0) {
        showMessage(app.window, "Ошибка addToChainsHeader!", " About ChainsHeader ");
        return;
    }
    s.dwViewMode = 6;
    s.wResultKind = 1;
    repaintAfterProcessing(app);
}

// 218: the graph (without erase after "Type more detales") and the changed selectors.
void repaintAfterProcessing(Application& app)
{
    AppState& s = app.state;
    repaintGraph(app, s.dwTypeMoreDetails != 1);
    repaintFlaggedBoxes(app);
    s.dwMoreDetails = 0;
}

// 215: an etalon in use and the parameters dialog of "Create Series".
bool prepareCreateSeries(Application& app)
{
    AppState& s = app.state;
    if (s.wRequiredCount == 0 && s.lpRequiredList != nullptr && s.wRequiredCapacity > 0) {
        s.wRequiredCount = 1;
        s.lpRequiredList[0] = 1;
        if (s.lpEtalonSequence != nullptr) s.lpEtalonSequence[0] = 1;
        s.dwSelectedEtalon = 1;
        s.awEtalonInUse[0] = 1;
    }
    const bool selectedInUse = s.dwSelectedEtalon >= 1 && s.dwSelectedEtalon <= static_cast<std::int32_t>(alphabetSlots) &&
                               s.awEtalonInUse[static_cast<std::size_t>(s.dwSelectedEtalon - 1)] == 1;
    if (!selectedInUse && s.wRequiredCount > 0) {
        const std::uint16_t* list = s.lpRequiredList;
        s.dwSelectedEtalon = *std::min_element(list, list + s.wRequiredCount);
    }
    runCreateSeriesDialog(app.window, s);
    return s.dwDialogAccepted != 0;
}

// 40001: the two dialogs, then the commit and a build from the user's sequence.
void createSeries(Application& app)
{
    AppState& s = app.state;
    if (!prepareCreateSeries(app)) return;
    s.wPulsesNumberSaved = s.wPulsesNumber;
    const PulseCountBounds bounds = seriesPulseCountBounds(static_cast<std::uint32_t>(s.dwSeriesLengthInput),
                                                           s.wImpulseSize, s.wTminInput, s.wTmaxInput);
    s.wMinPulsesInput = bounds.minPulses;
    s.wMaxPulsesInput = bounds.maxPulses;
    s.wPulsesNumber = static_cast<std::uint16_t>((std::int32_t{s.wMinPulsesInput} + s.wMaxPulsesInput) / 2);
    if (!refillSequence(app, s.lpEtalonSequenceInput, s.wEtalonSequenceInputSize, s.wMaxPulsesInput,
                         s.lpEtalonSequence, s.wEtalonSequenceSize)) {
        s.wPulsesNumber = s.wPulsesNumberSaved;
        return;
    }
    runSeriesStructureDialog(app.window, s);
    if (s.wPulsesNumberInput < s.wMinPulsesInput || s.wPulsesNumberInput > s.wMaxPulsesInput)
        s.wPulsesNumberInput = static_cast<std::uint16_t>((std::int32_t{s.wMinPulsesInput} + s.wMaxPulsesInput) / 2);
    if (s.dwDialogAccepted == 0) {
        s.wPulsesNumber = s.wPulsesNumberSaved;
        return;
    }
    s.dwSeriesLengthSetting = s.dwSeriesLengthInput;
    s.wTmin = s.wTminInput;
    s.wTmax = s.wTmaxInput;
    s.dwSelectedEtalon = s.dwDefaultEtalon;
    s.wMakeEnergyLevel = s.wMakeEnergyInput;
    s.wProcEnergyLevel = s.wProcEnergyInput;
    s.wPulsesNumber = s.wPulsesNumberInput;
    s.wNoiseSetting = s.wNoiseLevelInput;
    s.wMinPulses = s.wMinPulsesInput;
    s.wMaxPulses = s.wMaxPulsesInput;
    if (!refillSequence(app, s.lpEtalonSequence, s.wEtalonSequenceSize, s.wMaxPulses, s.lpEtalonSequenceInput,
                         s.wEtalonSequenceInputSize))
        return;
    s.wChainsLength = s.wMaxPulses;
    s.lpChainsHeader = getChainsHeader(app.window, s.wChainsDepth, s.wChainsLength, s.lpChainsHeader);
    s.dwRepaintSeriesLengthBox = s.dwRepaintNoiseBox = s.dwRepaintLostDataBox = 1;
    s.dwViewMode = 6;
    if (s.wSeriesType == series_type::fixedWhole) s.wSeriesType = series_type::fixedGivenSequence;
    if (s.wSeriesType == series_type::unfixedWhole) s.wSeriesType = series_type::unfixedGivenSequence;
    buildSeries(app);
}

// A menu command that sets the result kind (and more) and starts the next data.
void nextDataWith(Application& app, std::uint16_t taskType, std::uint16_t seriesType)
{
    AppState& s = app.state;
    if (taskType != 0) s.wTaskType = taskType;
    if (seriesType != 0) s.wSeriesType = seriesType;
    s.wResultKind = 1;
    nextData(app);
}

} // namespace

bool runProcessingCommand(Application& app, std::uint16_t id)
{
    AppState& s = app.state;
    switch (id) {
    case command::nextData: nextData(app); return true;
    case command::refreshSettings: refreshSettings(app); return true;
    case command::buildSeries: buildSeries(app); return true;
    case command::noise:
        addNoise(app.window, s.wNoiseLevel, s.wAmplitude, s.lpSeriesHeader, s.streams.wNoiseSeed);
        process(app);
        return true;
    case command::process: process(app); return true;
    case command::repaintAfterProcessing: repaintAfterProcessing(app); return true;
    case command::createSeriesDialog: prepareCreateSeries(app); return true;
    case command::createSeries: createSeries(app); return true;
    case command::processingSameData:
        s.wResultKind = 1;
        app.runs.last = "same";
        ++app.runs.same;
        process(app);
        return true;
    case command::debuggingRepeat:
        s.dwDebugRepeat = 1;
        s.wResultKind = 1;
        process(app);
        return true;
    case command::processingNextData: nextDataWith(app, 0, 0); return true;
    case command::moreDetails:
        s.dwMoreDetails = 1;
        process(app);
        return true;
    case command::typeMoreDetails:
        s.dwTypeMoreDetails = 1;
        repaintAfterProcessing(app);
        return true;
    case command::fixedCase: nextDataWith(app, 0, series_type::fixedWhole); return true;
    case command::unfixedCase: nextDataWith(app, 0, series_type::unfixedWhole); return true;
    case command::repeatDetection: nextDataWith(app, task_type::detection, 0); return true;
    case command::repeatRecognition: nextDataWith(app, task_type::recognition, 0); return true;
    case command::repeatJointDetection: nextDataWith(app, task_type::jointDetection, 0); return true;
    case command::repeatSeriesProcessing: nextDataWith(app, task_type::seriesProcessing, 0); return true;
    default: return false;
    }
}

} // namespace mirokel

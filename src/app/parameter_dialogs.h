// The eight parameter dialogs: each fills its controls from the application state when it
// opens and, on OK, writes the typed values back into the setting itself or into a
// working copy that the command then validates and commits. Input the system cannot use
// is refused on OK with a message, and then nothing changes.
#pragma once

#include "app/app_state.h"
#include "platform/window.h"

#include <cstdint>
#include <string>

namespace mirokel {

// Control ids of the dialogs.
namespace dialog_id {
constexpr std::int32_t seriesLength = 1000, minInterval = 1001, maxInterval = 1003, etalonNumber = 1004,
                       makeEnergy = 1005, procEnergy = 1006;                     // "Create Series" (parameters)
constexpr std::int32_t pulsesNumber = 1007, pulsesLabel = 1008, sequenceLabel = 1009, sequence = 1010,
                       noiseLevel = 1011;                                        // "Create Series" (structure)
constexpr std::int32_t requiredLabel = 1012, requiredList = 1013, requiredCount = 1014; // "List of Required Etalons"
constexpr std::int32_t pulsesFrom = 1015, pulsesTo = 1016, pulsesIncrement = 1017, noiseSteps = 1018,
                       noiseInitial = 1019, noiseIncrement = 1020, repeats = 1021; // " Location Parameters"
constexpr std::int32_t singleRandom = 1015, singleFixed = 1016, multipleRandom = 1017, complete = 1018,
                       shiftedComplete = 1019, initPosition = 1020, proceedingComplete = 1021,
                       proceedingShifted = 1022;                                 // "Subset settings"
constexpr std::int32_t highlightDetected = 1023, shadedOriginal = 1024, dottedFrame = 1025,
                       colouredBackground = 1026, noHighlight = 1027, specialGraphSize = 1043,
                       frameGraphFields = 1044;                                  // "Drawing settings"
constexpr std::int32_t restoringError = 1028, detectionError = 1029, componentwise = 1030, summaryView = 1031,
                       fixedUpperBound = 1032, upperBound = 1033, recognitionError = 1034,
                       boundsIncluded = 1042;                                    // the statistics dialogs
} // namespace dialog_id

// Each returns true when the user pressed OK and the input was accepted. The four marked
// "accepted" also set dwDialogAccepted (1 after OK, 0 otherwise).

// "Create Series" (parameters): dwSeriesLengthInput, wTminInput, wTmaxInput,
// wMakeEnergyInput, wProcEnergyInput and dwDefaultEtalon itself; accepted.
bool runCreateSeriesDialog(Window& window, AppState& state);

// "Create Series" (series structure): wPulsesNumberInput, the first wPulsesNumber entries
// of lpEtalonSequenceInput, wNoiseLevelInput; accepted.
bool runSeriesStructureDialog(Window& window, AppState& state);

// "List of Required Etalons": wRequiredCount (when 1 … wRequiredCapacity) and the list
// entries; accepted.
bool runRequiredEtalonsDialog(Window& window, AppState& state);

// " Location Parameters": wMinPulsesInput, wMaxPulsesInput, wPulsesIncrement,
// wNoiseInitial, wNoiseSteps, wNoiseIncrement, wRepeats; accepted.
bool runLocationParametersDialog(Window& window, AppState& state);

// "Subset settings": wSubsetEmployment, wSubsetProceeding, wSubsetInitPosition.
bool runSubsetSettingsDialog(Window& window, AppState& state);

// "Drawing settings": the four drawing flags and wTupleHighlight.
bool runDrawingSettingsDialog(Window& window, AppState& state);

// " Show Statistical Simulation parameters" (withRecognition false) or "Show Statistical
// Simulation" (true, with "recognition error" and "bounds incl."): dwHandlingCase,
// dwViewCase, dwFixedUpperBound, dUpperBound (and dwBoundsIncluded).
bool runStatisticsDialog(Window& window, AppState& state, bool withRecognition);

// Number lists of the dialogs: the numbers joined by "," ("%d," each, the last comma
// removed); read back by taking a number, then skipping through the next "," or " ",
// `count` times, from at most 99 characters of the text. Every "," and " " ends a field,
// so two separators in a row read a 0 between them, and entries past the end of the text
// read 0. Each number keeps its low 16 bits.
std::string formatNumberList(const std::uint16_t* numbers, std::int32_t count);
void readNumberList(const std::string& text, std::uint16_t* numbers, std::int32_t count);

// A number as the dialogs read it: the decimal digits at the very start of the text
// (after an optional sign; blanks are not skipped), 0 when there are none, saturated at
// the 32-bit limits.
std::int32_t readNumber(const std::string& text);

} // namespace mirokel

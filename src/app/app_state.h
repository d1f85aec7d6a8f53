// The one application state: every setting with its default and every current object.
// Commands, dialogs and the mouse handling change members; the builder, the processing
// routines and the views read them. Member names carry their width: w 16-bit, dw 32-bit
// signed, lp owning pointer, d double.
#pragma once

#include "model/alphabet.h"
#include "model/params_header.h"
#include "model/random_streams.h"
#include "model/series_header.h"
#include "platform/rect.h"
#include "platform/window_services.h"

#include <array>
#include <cstdint>
#include <string>

namespace mirokel {

struct ChainsHeader;
struct RestErrorHeader;

// A choice table of the value selectors: element 0 is the number of choices, 1 … 3 the choices.
using ChoiceTable = std::array<std::int32_t, 4>;

constexpr ChoiceTable dwSeriesLengthTable{3, 200, 600, 1200};
constexpr ChoiceTable dwNoiseLevelTable{3, 20, 35, 50};
constexpr ChoiceTable dwLostDataTable{3, 0, 25, 50}; // percent

// Series types, task types and processing modes.
namespace series_type {
constexpr std::uint16_t fixedWhole = 1, fixedCutOff = 2, unfixedWhole = 4, unfixedCutOff = 8;
constexpr std::uint16_t fixedGivenSequence = 16, unfixedGivenSequence = 32;
constexpr std::uint16_t fixedTuples = 36, unfixedTuples = 40;
} // namespace series_type

namespace task_type {
constexpr std::uint16_t detection = 1, recognition = 2, jointDetection = 4, seriesProcessing = 64;
} // namespace task_type

namespace processing_mode {
constexpr std::uint16_t tupleDetection = 36, tupleRecognition = 40;
} // namespace processing_mode

constexpr std::int32_t dwReservedSubsetsMax = 10; // reserved subsets kept at most
constexpr std::int32_t subsetMembersMax = 10;     // members of a composed subset

struct AppState {
    // ---- Random source ----
    RandomStreams streams;

    // ---- Value selectors (1-based indexes into the choice tables) ----
    std::int32_t dwSeriesLengthIndex = 3;
    std::int32_t dwNoiseLevelIndex = 1;
    std::int32_t dwLostDataIndex = 2;

    // ---- Series geometry ----
    std::int32_t dwSeriesLengthSetting = 0; // series length chosen by the user, samples
    std::int32_t dwSeriesLength = 0;        // length of the series being built or shown, samples
    std::uint16_t wImpulseSize = 20;        // length of every etalon, samples
    std::int16_t wAmplitude = 128;          // amplitude of the alphabet and of the series
    std::uint16_t wTmin = 40;               // shortest distance between neighbouring pulse starts
    std::uint16_t wTmax = 181;              // longest distance between neighbouring pulse starts
    std::uint16_t wMinPulses = 0;           // least pulse count of a series of this length
    std::uint16_t wMaxPulses = 0;           // greatest pulse count of a series of this length
    std::uint16_t wPulsesNumber = 0;        // pulse count the user asks for
    std::uint16_t wImpulseQuantity = 0;     // pulse count of the current series
    std::uint16_t wPulsesNumberInput = 40;  // pulse count typed in the series-structure dialog

    // ---- Noise and energy levels (noise as standard deviation, levels in percent) ----
    std::int16_t wNoiseSetting = 0;
    std::int16_t wNoiseLevel = 0;
    std::int16_t wLostDataSetting = 0;
    std::int16_t wLostDataLevel = 0;
    std::int16_t wMakeEnergyDefault = 0;
    std::int16_t wMakeEnergyLevel = 0;      // share of each etalon's energy a placed pulse keeps
    std::int16_t wProcEnergyDefault = 0;
    std::int16_t wProcEnergyLevel = 0;      // saved energy level passed to processing

    // ---- Etalons in use ----
    std::array<PulseHeader, alphabetSlots> aEtalons{}; // the alphabet
    std::uint16_t wAlphabetSize = 20;       // etalons in the alphabet, at most 20
    std::int32_t dwAlphabetReady = 1;       // 1 when the last alphabet build succeeded
    std::uint16_t* lpRequiredList = nullptr; // etalon numbers the builder may draw from
    std::uint16_t wRequiredCapacity = 20;   // entries allocated in lpRequiredList
    std::uint16_t wRequiredCount = 20;      // entries used in lpRequiredList
    std::array<std::uint16_t, alphabetSlots> awEtalonInUse{}; // entry i: etalon i + 1 is in use
    std::int32_t dwDefaultEtalon = 1;       // fill value of new etalon sequences
    std::int32_t dwSelectedEtalon = 0;      // the current etalon number, 1-based
    std::uint16_t* lpEtalonSequence = nullptr;       // etalon number of each pulse position
    std::uint16_t wEtalonSequenceSize = 0;           // entries allocated in lpEtalonSequence
    std::uint16_t* lpEtalonSequenceInput = nullptr;  // working copy of the series-structure dialog
    std::uint16_t wEtalonSequenceInputSize = 0;

    // ---- Task type, series type, processing mode ----
    std::uint16_t wTaskType = task_type::recognition;
    std::uint16_t wSeriesType = series_type::fixedTuples;
    std::uint16_t wProcessingMode = 0;

    // ---- View state ----
    std::int32_t dwViewMode = 5;            // 5 alphabet, 6 result, 9 subset panel, 10 series parameters
    std::uint16_t wResultKind = 1;          // 1 series view, 2 statistics view
    std::int32_t dwStatView = 2;            // which statistics graph the result view draws
    std::int32_t dwHandlingCase = 1;        // 1 restoring, 2 detection, 3 recognition error
    std::int32_t dwViewCase = 1;            // 1 componentwise, 2 summary
    std::int32_t dwBoundsIncluded = 1;
    std::int32_t dwFixedUpperBound = 0;
    double dUpperBound = 0.25;
    std::uint16_t wTupleHighlight = 2;      // 0 none, 1 dotted frame, 2 coloured background
    std::int32_t dwFrameGraphFields = 1;
    std::int32_t dwShadedOriginalPulses = 1;
    std::int32_t dwHighlightDetectedPulses = 0;
    std::int32_t dwSpecialGraphSize = 0;

    // ---- Statistical simulation parameters ----
    std::uint16_t wRepeats = 100;           // series per grid point
    std::uint16_t wPulsesIncrement = 1;     // step of the pulse count
    std::uint16_t wNoiseInitial = 0;        // first noise level
    std::uint16_t wNoiseSteps = 29;         // noise levels
    std::uint16_t wNoiseIncrement = 5;      // noise increment per step
    std::uint16_t wPulseSteps = 0;          // pulse-count points (derived)
    std::int32_t dwFirstSimulation = 1;     // cleared when simulation parameters are first accepted

    // ---- Subset settings ----
    std::uint16_t wSubsetEmployment = 4;    // 1 single random … 5 shifted complete
    std::uint16_t wSubsetInitPosition = 1;  // 1-based pulse where placement starts
    std::uint16_t wSubsetProceeding = 1;    // 1 complete, 2 probably shifted complete

    // ---- Processing flags ----
    std::int32_t dwDebugRepeat = 0;
    std::int32_t dwMoreDetails = 0;
    std::int32_t dwTypeMoreDetails = 0;

    // ---- Chains sizing ----
    std::uint16_t wChainsDepth = 10;
    std::uint16_t wChainsLength = 0;

    // ---- Current objects ----
    SeriesHeader* lpSeriesHeader = nullptr;
    ChainsHeader* lpChainsHeader = nullptr;
    RestErrorHeader* lpRestErrorHeader = nullptr;
    ParamsHeader* lpParamsHeader = nullptr;

    // ---- Snapshot ----
    std::string szSnapshotFileName;         // the name last chosen in the snapshot's save dialog

    // ---- Layout of the last paint (inclusive rectangles) ----
    std::int32_t dwLineHeight = 0;          // text line height of the window font
    std::int32_t dwCharWidth = 0;           // average character width of the window font
    Rect rcGraph;                           // graph area of the current view
    std::uint16_t wCellWidth = 0, wCellHeight = 0;           // one alphabet cell
    std::uint16_t wCellInnerWidth = 0, wCellInnerHeight = 0; // cell less 10 pixels
    std::array<Rect, alphabetSlots> arcAlphabetCells{};
    Rect rcExitButton, rcNextButton, rcRestartButton, rcSelectAllButton, rcUnselectAllButton;
    Rect rcButtonColumn;                    // upper part of the button column
    std::int32_t dwSelectAllShown = 1;      // 1 "Select All", 0 "Unselect All"
    Rect rcSeriesLengthBox, rcNoiseBox, rcLostDataBox;
    std::array<Rect, 3> arcSeriesLengthOptions{}, arcNoiseOptions{}, arcLostDataOptions{};

    // ---- Subset selection panel ----
    std::int32_t dwSubsetCapacity = 0;      // member slots: 0 until the storage exists, then 10
    std::int32_t dwSubsetSize = 0;          // members composed
    std::int32_t* selectedSubset = nullptr; // etalon numbers of the members; the marks follow
    std::int32_t* adwSubsetMarks = nullptr; // 1 when the member is marked
    Rect* possibleSubsetRect = nullptr;     // slot rectangles of the strip
    std::int32_t dwReservedCapacity = 0;    // reserved subsets that can be kept (then 10)
    std::int32_t dwReservedCount = 0;       // reserved subsets kept
    std::int32_t* selectedSubsetArraySize = nullptr; // members of each reserved subset
    std::int32_t** lpReservedSubsets = nullptr;      // rows of dwSubsetCapacity + 1 members
    Rect** possibleSubsetArrayRect = nullptr;        // rows of member rectangles, then the frame
    Rect* lpReservedListRect = nullptr;     // one per reserved subset, from the result views
    std::int32_t dwCurrentReserved = 0;     // 1-based current reserved subset (0 none)
    std::int32_t dwJustAccepted = 0;        // after " Accept " or " Clear All " until the next paint
    std::array<Rect, alphabetSlots> arcSubsetCells{};
    Rect rcSubsetStrip;
    Rect* ButtonsWhileSelectedSubsetRect = nullptr;
    std::int32_t dwPanelButtons = 0;        // 4 plain panel, 6 tuple panel

    // ---- Series parameters view ----
    Rect rcParamsCancel, rcParamsOk;        // its two buttons, as last drawn
    CursorShape hSavedCursor = CursorShape::arrow; // put back when the pointer leaves a handle or line

    // ---- Repaint flags of the mouse handling ----
    std::int32_t dwRepaintSeriesLengthBox = 0;
    std::int32_t dwRepaintNoiseBox = 0;
    std::int32_t dwRepaintLostDataBox = 0;
    std::int32_t dwRepaintButtonColumn = 0;
    std::int32_t dwPreviousEtalon = 0;

    // ---- Statistical simulation times ----
    std::int64_t dwSimStartTime = 0;        // seconds
    std::int64_t dwSimEndTime = 0;
    std::int64_t dwSimElapsed = 0;          // end − start, written by the statistics view

    // ---- Window resources ----
    std::int32_t dwButtonImagesLoaded = 0;  // the five button faces exist

    // ---- Dialog working copies ----
    std::int32_t dwSeriesLengthInput = 0;
    std::uint16_t wTminInput = 0;
    std::uint16_t wTmaxInput = 0;
    std::int16_t wMakeEnergyInput = 0;
    std::int16_t wProcEnergyInput = 0;
    std::int16_t wNoiseLevelInput = 0;
    std::uint16_t wMinPulsesInput = 0;
    std::uint16_t wMaxPulsesInput = 0;
    std::uint16_t wPulsesNumberSaved = 0;
    std::int32_t dwDialogAccepted = 0;
};

// The members set before the window exists, in their order: selected table values, their
// levels, the energy defaults and the selected etalon.
void initialiseStaticState(AppState& state);

// Pulse-count bounds of dwSeriesLength: 32-bit unsigned divisions kept in 16 bits (no
// raising of 0 to 1). Sets wMinPulses and wMaxPulses.
void derivePulseCountBounds(AppState& state);

// A series length chosen (by a selector, a command or the batch line): it becomes
// dwSeriesLengthSetting, the pulse-count bounds follow from it (no raising of 0 to 1) and
// the pulse count asked for becomes their midpoint.
void chooseSeriesLength(AppState& state, std::int32_t length);

// (wMinPulses + wMaxPulses) / 2.
std::uint16_t pulsesNumberMidpoint(const AppState& state);

// wImpulseQuantity = wPulsesNumber, or the midpoint when that lies outside the bounds.
void clampImpulseQuantity(AppState& state);

// The processing mode of a task type and a series type.
std::uint16_t processingModeFor(std::uint16_t taskType, std::uint16_t seriesType);
void deriveProcessingMode(AppState& state);

// Whether a series type draws its pulse count (types 4, 8 and 40).
bool isUnfixedSeriesType(std::uint16_t seriesType);

// Whether a series type repeats tuples of etalons (types 36 and 40).
bool isTupleSeriesType(std::uint16_t seriesType);

// Levels of a whole-pulse series type: lost data 0, every saved energy level 100.
void resetWholePulseLevels(AppState& state);

// Sets the energy defaults, inputs and levels to 100 − wLostDataLevel.
void deriveEnergyLevels(AppState& state);

// In-use flags from lpRequiredList, and lpRequiredList from the in-use flags.
void setInUseFlagsFromList(AppState& state);
void setListFromInUseFlags(AppState& state);

// dwStatView from the handling case, the view case and whether bounds are included.
void deriveStatView(AppState& state);

// The start-up values that need no window: task and series type, processing mode, etalons
// in use, view mode, series length and pulse counts, noise and lost-data levels. The
// required list must already hold wRequiredCapacity entries.
void applyStartupSettings(AppState& state);

} // namespace mirokel

// Tests of the parameter dialogs on the headless window: the number lists and numbers they
// read, the controls each dialog is made of, what each shows when it opens, what OK writes
// and Cancel leaves, the refusals of input the system cannot use (which leave the state
// untouched) and the limits that are still accepted.
#include "app/parameter_dialogs.h"

#include "app/startup.h"
#include "model/subsets.h"
#include "platform/scripted/scripted_window.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace mirokel {
namespace {

using Numbers = std::vector<std::uint16_t>;

// ---------------------------------------------------------------------------------------
// Number lists and numbers

TEST(NumberListTest, FormatJoinsTheNumbersWithCommasAndReadsThemBack)
{
    struct Case {
        Numbers numbers;
        const char* text;
    };
    const Case cases[] = {{{}, ""}, {{7}, "7"}, {{1, 20, 3}, "1,20,3"}, {{0, 65535, 12}, "0,65535,12"}};
    for (const Case& c : cases) {
        const std::string text = formatNumberList(c.numbers.data(), static_cast<std::int32_t>(c.numbers.size()));
        EXPECT_EQ(text, c.text);
        Numbers back(c.numbers.size(), 999);
        readNumberList(text, back.data(), static_cast<std::int32_t>(back.size()));
        EXPECT_EQ(back, c.numbers) << text;
    }
}

TEST(NumberListTest, ReadTakesANumberThenSkipsThroughTheNextCommaOrSpace)
{
    constexpr std::uint16_t untouched = 999;
    struct Case {
        const char* what;
        const char* text;
        Numbers expected; // as many entries as are read; the next one must stay untouched
    };
    const Case cases[] = {
        {"commas", "1,2,3", {1, 2, 3}},
        {"a single space separates like a comma", "4 5 6", {4, 5, 6}},
        {"two commas in a row read a 0 between them", "4,,6", {4, 0, 6}},
        {"a comma then a space leave an empty field between them", "1, 2", {1, 0, 2}},
        {"past the end of the text every entry reads 0", "1,2", {1, 2, 0, 0}},
        {"text that is not a number reads 0", "x,7", {0, 7}},
        {"trailing characters of a number are skipped", "3a,4", {3, 4}},
        {"numbers keep their low 16 bits", "-1,70000", {65535, 4464}},
        {"fewer entries than the text holds", "8,9,10", {8}},
    };
    for (const Case& c : cases) {
        Numbers read(c.expected.size() + 1, untouched);
        readNumberList(c.text, read.data(), static_cast<std::int32_t>(c.expected.size()));
        Numbers expected = c.expected;
        expected.push_back(untouched);
        EXPECT_EQ(read, expected) << c.what;
    }
}

TEST(NumberListTest, OnlyTheFirst99CharactersAreRead)
{
    std::string text;
    for (int i = 0; i < 49; ++i) text += "1,";
    text += "23,5"; // character 99 is the "2" of 23
    ASSERT_EQ(text.substr(98, 1), "2");
    Numbers read(51, 999);
    readNumberList(text, read.data(), 51);
    Numbers expected(49, 1);
    expected.push_back(2);
    expected.push_back(0);
    EXPECT_EQ(read, expected);
}

TEST(DialogNumberTest, LeadingDigitsAfterAnOptionalSignAndZeroWhenThereAreNone)
{
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t smallest = std::numeric_limits<std::int32_t>::min();
    const std::map<std::string, std::int32_t> cases = {
        {"", 0},          {"abc", 0},          {"-", 0},        {"42", 42},
        {"42abc", 42},    {"+7", 7},           {"-15", -15},    {" 5", 0},
        {"007", 7},       {"2147483647", largest}, {"99999999999", largest}, {"-99999999999", smallest},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(readNumber(text), value) << '"' << text << '"';
}

// ---------------------------------------------------------------------------------------
// The test bench: the scripted window with the descriptions of the dialogs recorded, and
// the state as start-up leaves it, with the working copies of a 1200-sample geometry.

class CapturingDialogs final : public Dialogs {
public:
    explicit CapturingDialogs(Dialogs& answering) : answering(answering) {}

    bool runDialog(const DialogDescription& description, DialogValues& values, const DialogClick& onClick,
                   const DialogCheck& onOk) override
    {
        descriptions.push_back(description);
        return answering.runDialog(description, values, onClick, onOk);
    }

    std::string chooseSaveFile(const SaveFileRequest& request) override { return answering.chooseSaveFile(request); }

    std::vector<DialogDescription> descriptions;

private:
    Dialogs& answering;
};

using RunDialog = bool (*)(Window&, AppState&);

bool runStatisticsParameters(Window& window, AppState& s) { return runStatisticsDialog(window, s, false); }
bool runStatisticsWithRecognition(Window& window, AppState& s) { return runStatisticsDialog(window, s, true); }

using StateSetup = std::function<void(AppState&)>;
const StateSetup asStarted = [](AppState&) {};

using Members = std::map<std::string, std::string>;

template <class Integer>
    requires std::is_integral_v<Integer>
std::string text(Integer value)
{
    return std::to_string(value);
}
std::string text(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}
std::string text(const std::uint16_t* numbers, std::size_t count)
{
    std::string joined;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) joined += ',';
        joined += std::to_string(numbers[i]);
    }
    return joined;
}

// Every member a dialog writes, and the settings the working copies stand for (which no
// dialog may change).
Members membersOf(const AppState& s)
{
#define MEMBER(name) {#name, text(s.name)}
    return {MEMBER(dwSeriesLengthInput),
            MEMBER(wTminInput),
            MEMBER(wTmaxInput),
            MEMBER(wMakeEnergyInput),
            MEMBER(wProcEnergyInput),
            MEMBER(dwDefaultEtalon),
            MEMBER(wPulsesNumberInput),
            MEMBER(wNoiseLevelInput),
            MEMBER(wMinPulsesInput),
            MEMBER(wMaxPulsesInput),
            MEMBER(wPulsesIncrement),
            MEMBER(wNoiseInitial),
            MEMBER(wNoiseSteps),
            MEMBER(wNoiseIncrement),
            MEMBER(wRepeats),
            MEMBER(wRequiredCount),
            MEMBER(wSubsetEmployment),
            MEMBER(wSubsetProceeding),
            MEMBER(wSubsetInitPosition),
            MEMBER(dwFrameGraphFields),
            MEMBER(dwShadedOriginalPulses),
            MEMBER(dwHighlightDetectedPulses),
            MEMBER(dwSpecialGraphSize),
            MEMBER(wTupleHighlight),
            MEMBER(dwHandlingCase),
            MEMBER(dwViewCase),
            MEMBER(dwFixedUpperBound),
            MEMBER(dUpperBound),
            MEMBER(dwBoundsIncluded),
            MEMBER(dwDialogAccepted),
            MEMBER(dwSeriesLength),
            MEMBER(dwSeriesLengthSetting),
            MEMBER(wTmin),
            MEMBER(wTmax),
            MEMBER(dwSelectedEtalon),
            MEMBER(wPulsesNumber),
            MEMBER(wNoiseSetting),
            MEMBER(wNoiseLevel),
            MEMBER(wMakeEnergyLevel),
            MEMBER(wProcEnergyLevel),
            MEMBER(wMinPulses),
            MEMBER(wMaxPulses),
            {"lpEtalonSequenceInput", text(s.lpEtalonSequenceInput, s.wEtalonSequenceInputSize)},
            {"lpEtalonSequence", text(s.lpEtalonSequence, s.wEtalonSequenceSize)},
            {"lpRequiredList", text(s.lpRequiredList, s.wRequiredCapacity)},
            {"awEtalonInUse", text(s.awEtalonInUse.data(), s.awEtalonInUse.size())}};
#undef MEMBER
}

Members overlaid(Members members, const Members& changes)
{
    for (const auto& [name, value] : changes) members[name] = value;
    return members;
}

// "name: expected → actual" for every member that differs; empty when none does.
std::string differences(const Members& expected, const Members& actual)
{
    std::string lines;
    for (const auto& [name, value] : expected) {
        const std::string found = actual.count(name) != 0 ? actual.at(name) : "(missing)";
        if (found != value) lines += "\n  " + name + ": " + value + " → " + found;
    }
    return lines;
}

// One bench per case, so that every case starts from the same state.
class DialogBench {
public:
    DialogBench()
    {
        initialiseStaticState(state);
        state.lpRequiredList = getRequiredList(window, state.wRequiredCapacity, nullptr);
        applyStartupSettings(state);
        allocateEtalonSequences(window, state, state.wMaxPulses);
        // Entry i holds i + 1, so that the entries a dialog reads stand out from the rest.
        for (std::uint16_t i = 0; i < state.wEtalonSequenceInputSize; ++i)
            state.lpEtalonSequenceInput[i] = static_cast<std::uint16_t>(i + 1);
        state.dwSeriesLengthInput = state.dwSeriesLength; // 1200 samples: pulse counts 6 … 30
        state.wTminInput = state.wTmin;
        state.wTmaxInput = state.wTmax;
        state.wMinPulsesInput = state.wMinPulses;
        state.wMaxPulsesInput = state.wMaxPulses;
        state.dwDialogAccepted = -1; // neither 0 nor 1: shows whether a dialog sets it
    }
    DialogBench(const DialogBench&) = delete;
    DialogBench& operator=(const DialogBench&) = delete;
    ~DialogBench() { shutDownApplication(window, state); }

    // Runs `run` once, answered by `answer`.
    bool runAnswered(RunDialog run, const DialogAnswer& answer)
    {
        scripted.dialogs.answers.push_back(answer);
        return run(window, state);
    }

    ScriptedWindow scripted;
    CapturingDialogs capturing{scripted.dialogs};
    Window window{scripted.messageBox, scripted.services, capturing};
    AppState state;
};

// ---------------------------------------------------------------------------------------
// Controls

// One line per control: "G text" group box, "S text" or "S1008 text" static, "E1000" edit,
// "R1015/1 text" radio button of group 1, "C1044 text" check box; "~" marks a disabled one.
std::vector<std::string> layoutOf(const DialogDescription& description)
{
    std::vector<std::string> lines;
    for (const DialogControl& c : description.controls) {
        std::string line = c.enabled ? "" : "~";
        const std::string id = c.id == 0 ? "" : std::to_string(c.id);
        switch (c.kind) {
        case ControlKind::groupBox: line += "G" + c.text; break;
        case ControlKind::staticText: line += "S" + id + " " + c.text; break;
        case ControlKind::edit: line += "E" + id; break;
        case ControlKind::radioButton: line += "R" + id + "/" + std::to_string(c.group) + " " + c.text; break;
        case ControlKind::checkBox: line += "C" + id + " " + c.text; break;
        }
        lines.push_back(line);
    }
    return lines;
}

TEST(ParameterDialogTest, EachDialogHasItsTitleControlsAndLabels)
{
    struct Case {
        RunDialog run;
        const char* title;
        std::vector<std::string> layout;
    };
    const std::string energy = "Saved Energy Level (from 0 to 100)";
    const Case cases[] = {
        {runCreateSeriesDialog,
         "Create Series",
         {"GParameters for creating series", "S Samples Length", "E1000", "S Min Length of Interval", "E1001",
          "S Max Length of Interval", "E1003", "S Etalon Number", "E1004", "S " + energy, "E1005",
          "GParameters for processing series", "S " + energy, "E1006"}},
        {runSeriesStructureDialog,
         "Create Series",
         {"G Series structure ", "S1008 Number of Pulses in Series (from 4 to 25)", "E1007",
          "S1009 Sequence of Etalons in Series (values from 1 to 12)", "E1010", "S Noise Level", "E1011"}},
        {runRequiredEtalonsDialog,
         "List of Required Etalons",
         {"S Number of Required Etalons", "E1014", "S1012 List of Required Etalons (from 1 to 12)", "E1013"}},
        {runLocationParametersDialog,
         " Location Parameters",
         {"G Number of Pulses in Series ", "S from", "E1015", "S to", "E1016", "S incr.", "E1017",
          "G Noise parameters ", "S Initial Level", "E1019", "S Number of Steps in Simulation", "E1018",
          "S Noise Increment per Step", "E1020", "S Number of Repeats", "E1021"}},
        {runSubsetSettingsDialog,
         "Subset settings",
         {"G Subset employment ", "R1015/1 Single random ", "R1016/1 Single fixed", "R1017/1 Multiple random",
          "R1018/1 Complete ", "R1019/1 Shifted complete", "~S Subset init position", "~E1020",
          "G Subset proceeding ", "R1021/2 Complete ", "R1022/2 Probably shifted complete"}},
        {runDrawingSettingsDialog,
         "Drawing settings",
         {"C1044 frame graph fields", "C1024 shaded original pulses", "C1023 highlight detected pulses",
          "C1043 special graph size", "G Highlight detected tuples ", "R1025/1 dotted frame",
          "R1026/1 coloured background", "R1027/1 none"}},
        {runStatisticsParameters,
         " Show Statistical Simulation parameters",
         {"G Handling case ", "R1028/1 restoring error", "R1029/1 detection error", "G View case ",
          "R1030/2 componentwise", "R1031/2 summary view", "G Upper bound case ", "C1032 fixed upper bound",
          "S upper bound", "E1033"}},
        {runStatisticsWithRecognition,
         "Show Statistical Simulation",
         {"G Handling case ", "R1028/1 restoring error", "R1029/1 detection error", "R1034/1 recognition error",
          "G View case ", "R1030/2 componentwise", "R1031/2 summary view", "G Upper bound case ",
          "C1032 fixed upper bound", "S upper bound", "E1033", "C1042 bounds incl."}},
    };
    for (const Case& c : cases) {
        DialogBench bench;
        bench.state.wMinPulsesInput = 4;
        bench.state.wMaxPulsesInput = 25;
        bench.state.wAlphabetSize = 12;
        EXPECT_FALSE(c.run(bench.window, bench.state)) << "no answer queued: cancelled";
        ASSERT_EQ(bench.capturing.descriptions.size(), 1u);
        EXPECT_EQ(bench.capturing.descriptions[0].title, c.title);
        EXPECT_EQ(layoutOf(bench.capturing.descriptions[0]), c.layout) << c.title;
    }
}

// ---------------------------------------------------------------------------------------
// What each dialog shows when it opens

TEST(ParameterDialogTest, EachDialogShowsTheStateWhenItOpens)
{
    struct Case {
        const char* what;
        RunDialog run;
        StateSetup setup;
        std::map<std::int32_t, std::string> texts; // exactly the texts shown
        std::map<std::int32_t, bool> checks;       // exactly the check states shown
    };
    const std::map<std::int32_t, bool> subsetDefault = {{1015, false}, {1016, false}, {1017, false}, {1018, true},
                                                         {1019, false}, {1021, true},  {1022, false}};
    const std::map<std::int32_t, bool> drawingDefault = {{1044, true},  {1024, true},  {1023, false}, {1043, false},
                                                          {1025, false}, {1026, true}, {1027, false}};
    const std::map<std::int32_t, bool> statisticsDefault = {
        {1028, true}, {1029, false}, {1030, true}, {1031, false}, {1032, false}};
    const std::map<std::int32_t, bool> recognitionDefault = {{1028, true},  {1029, false}, {1034, false}, {1030, true},
                                                              {1031, false}, {1032, false}, {1042, true}};
    const auto with = [](std::map<std::int32_t, bool> checks, const std::map<std::int32_t, bool>& changes) {
        for (const auto& [id, checked] : changes) checks[id] = checked;
        return checks;
    };
    const Case cases[] = {
        {"create series: the settings, the selected etalon rather than the default one", runCreateSeriesDialog,
         [](AppState& s) {
             s.dwSeriesLength = 600;
             s.wTmin = 30;
             s.wTmax = 150;
             s.dwSelectedEtalon = 4;
             s.dwDefaultEtalon = 9;
             s.wMakeEnergyLevel = 75;
             s.wProcEnergyLevel = 60;
         },
         {{1000, "600"}, {1001, "30"}, {1003, "150"}, {1004, "4"}, {1005, "75"}, {1006, "60"}},
         {}},
        {"series structure: bounds of the inputs, the first wPulsesNumber entries, the noise setting",
         runSeriesStructureDialog,
         [](AppState& s) {
             s.wMinPulsesInput = 4;
             s.wMaxPulsesInput = 20;
             s.wPulsesNumber = 5;
             s.wPulsesNumberInput = 40;
             s.wNoiseLevel = 35;
             s.wAlphabetSize = 12;
         },
         {{1008, "Number of Pulses in Series (from 4 to 20)"},
          {1007, "5"},
          {1009, "Sequence of Etalons in Series (values from 1 to 12)"},
          {1010, "1,2,3,4,5"},
          {1011, "35"}},
         {}},
        {"required etalons: the count, the alphabet size and the list in use", runRequiredEtalonsDialog,
         [](AppState& s) {
             s.wRequiredCount = 3;
             s.lpRequiredList[0] = 7;
             s.lpRequiredList[1] = 2;
             s.lpRequiredList[2] = 9;
             s.wAlphabetSize = 15;
         },
         {{1014, "3"}, {1012, "List of Required Etalons (from 1 to 15)"}, {1013, "7,2,9"}},
         {}},
        {"location parameters: pulse-count inputs and the simulation grid", runLocationParametersDialog,
         [](AppState& s) {
             s.wMinPulsesInput = 7;
             s.wMaxPulsesInput = 21;
             s.wPulsesIncrement = 2;
             s.wNoiseInitial = 10;
             s.wNoiseSteps = 12;
             s.wNoiseIncrement = 4;
             s.wRepeats = 50;
         },
         {{1015, "7"}, {1016, "21"}, {1017, "2"}, {1019, "10"}, {1018, "12"}, {1020, "4"}, {1021, "50"}},
         {}},
        {"subset: defaults", runSubsetSettingsDialog, asStarted, {{1020, "1"}}, subsetDefault},
        {"subset: employment 1 and proceeding 2, init position 7", runSubsetSettingsDialog,
         [](AppState& s) {
             s.wSubsetEmployment = 1;
             s.wSubsetProceeding = 2;
             s.wSubsetInitPosition = 7;
         },
         {{1020, "7"}},
         with(subsetDefault, {{1015, true}, {1018, false}, {1021, false}, {1022, true}})},
        {"subset: employment 5", runSubsetSettingsDialog, [](AppState& s) { s.wSubsetEmployment = 5; }, {{1020, "1"}},
         with(subsetDefault, {{1019, true}, {1018, false}})},
        {"subset: employment 0 and proceeding 0 show the defaults", runSubsetSettingsDialog,
         [](AppState& s) {
             s.wSubsetEmployment = 0;
             s.wSubsetProceeding = 0;
         },
         {{1020, "1"}}, subsetDefault},
        {"subset: employment 6 and proceeding 3 show the defaults", runSubsetSettingsDialog,
         [](AppState& s) {
             s.wSubsetEmployment = 6;
             s.wSubsetProceeding = 3;
         },
         {{1020, "1"}}, subsetDefault},
        {"drawing: defaults", runDrawingSettingsDialog, asStarted, {}, drawingDefault},
        {"drawing: every flag inverted, no tuple highlight", runDrawingSettingsDialog,
         [](AppState& s) {
             s.dwFrameGraphFields = 0;
             s.dwShadedOriginalPulses = 0;
             s.dwHighlightDetectedPulses = 1;
             s.dwSpecialGraphSize = 1;
             s.wTupleHighlight = 0;
         },
         {},
         {{1044, false}, {1024, false}, {1023, true}, {1043, true}, {1025, false}, {1026, false}, {1027, true}}},
        {"drawing: dotted frame", runDrawingSettingsDialog, [](AppState& s) { s.wTupleHighlight = 1; }, {},
         with(drawingDefault, {{1025, true}, {1026, false}})},
        {"drawing: an unknown highlight shows the coloured background", runDrawingSettingsDialog,
         [](AppState& s) { s.wTupleHighlight = 7; }, {}, drawingDefault},
        {"statistics: defaults", runStatisticsParameters, asStarted, {{1033, "0.25"}}, statisticsDefault},
        {"statistics: detection error, summary view, fixed bound", runStatisticsParameters,
         [](AppState& s) {
             s.dwHandlingCase = 2;
             s.dwViewCase = 2;
             s.dwFixedUpperBound = 1;
             s.dUpperBound = 0.5;
         },
         {{1033, "0.5"}},
         {{1028, false}, {1029, true}, {1030, false}, {1031, true}, {1032, true}}},
        {"statistics: handling 3 has no radio here and shows restoring error", runStatisticsParameters,
         [](AppState& s) { s.dwHandlingCase = 3; }, {{1033, "0.25"}}, statisticsDefault},
        {"statistics: unknown handling and view cases show the first radios", runStatisticsParameters,
         [](AppState& s) {
             s.dwHandlingCase = 0;
             s.dwViewCase = 9;
         },
         {{1033, "0.25"}}, statisticsDefault},
        {"statistics with recognition: defaults", runStatisticsWithRecognition, asStarted, {{1033, "0.25"}},
         recognitionDefault},
        {"statistics with recognition: recognition error, bounds excluded", runStatisticsWithRecognition,
         [](AppState& s) {
             s.dwHandlingCase = 3;
             s.dwBoundsIncluded = 0;
         },
         {{1033, "0.25"}}, with(recognitionDefault, {{1028, false}, {1034, true}, {1042, false}})},
        {"statistics with recognition: detection error", runStatisticsWithRecognition,
         [](AppState& s) { s.dwHandlingCase = 2; }, {{1033, "0.25"}},
         with(recognitionDefault, {{1028, false}, {1029, true}})},
        {"statistics with recognition: an unknown handling case shows restoring error", runStatisticsWithRecognition,
         [](AppState& s) { s.dwHandlingCase = 4; }, {{1033, "0.25"}}, recognitionDefault},
    };
    for (const Case& c : cases) {
        DialogBench bench;
        c.setup(bench.state);
        EXPECT_FALSE(c.run(bench.window, bench.state)) << c.what;
        ASSERT_EQ(bench.scripted.dialogs.shown.size(), 1u) << c.what;
        EXPECT_EQ(bench.scripted.dialogs.shown[0].texts, c.texts) << c.what;
        EXPECT_EQ(bench.scripted.dialogs.shown[0].checks, c.checks) << c.what;
    }
}

TEST(ParameterDialogTest, TheUpperBoundIsShownWithFiveSignificantDigits)
{
    const std::map<double, std::string> cases = {{0.25, "0.25"},         {2.0, "2"},
                                                  {0.123456789, "0.12346"}, {0.00012345678, "0.00012346"},
                                                  {1234567.0, "1.2346e+06"}, {100000.0, "1e+05"}};
    for (const auto& [bound, shown] : cases) {
        DialogBench bench;
        bench.state.dUpperBound = bound;
        runStatisticsParameters(bench.window, bench.state);
        EXPECT_EQ(bench.scripted.dialogs.shown.at(0).text(1033), shown);
    }
}

// ---------------------------------------------------------------------------------------
// What OK writes and Cancel leaves

TEST(ParameterDialogTest, OkWritesTheTypedValuesAndCancelLeavesEverything)
{
    struct Case {
        const char* what;
        RunDialog run;
        StateSetup setup;
        DialogAnswer answer;
        Members changes; // every member that changes; all others must keep their values
    };
    const auto cancelled = [](std::vector<std::int32_t> clicks, std::map<std::int32_t, std::string> texts = {}) {
        return DialogAnswer{std::move(clicks), std::move(texts), false};
    };
    const std::string requiredRest = "4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20";
    const StateSetup twoRequired = [](AppState& s) { s.wRequiredCount = 2; };
    const Case cases[] = {
        {"create series: the typed parameters, the etalon number into the setting itself", runCreateSeriesDialog,
         asStarted,
         {{}, {{1000, "600"}, {1001, "30"}, {1003, "150"}, {1004, "3"}, {1005, "80"}, {1006, "70"}}},
         {{"dwSeriesLengthInput", "600"},
          {"wTminInput", "30"},
          {"wTmaxInput", "150"},
          {"dwDefaultEtalon", "3"},
          {"wMakeEnergyInput", "80"},
          {"wProcEnergyInput", "70"},
          {"dwDialogAccepted", "1"}}},
        {"create series: OK as shown copies the settings and the selected etalon", runCreateSeriesDialog,
         [](AppState& s) {
             s.dwSeriesLength = 600;
             s.wTmin = 30;
             s.wTmax = 150;
             s.dwSelectedEtalon = 5;
             s.wMakeEnergyLevel = 90;
             s.wProcEnergyLevel = 80;
         },
         {},
         {{"dwSeriesLengthInput", "600"},
          {"wTminInput", "30"},
          {"wTmaxInput", "150"},
          {"dwDefaultEtalon", "5"},
          {"wMakeEnergyInput", "90"},
          {"wProcEnergyInput", "80"},
          {"dwDialogAccepted", "1"}}},
        {"create series: energy levels are stored in 16 bits without a range check", runCreateSeriesDialog,
         asStarted, {{}, {{1005, "70000"}, {1006, "-1"}}},
         {{"wMakeEnergyInput", "4464"}, {"wProcEnergyInput", "-1"}, {"dwDialogAccepted", "1"}}},
        {"create series: Cancel", runCreateSeriesDialog, asStarted, cancelled({}, {{1000, "600"}, {1004, "3"}}),
         {{"dwDialogAccepted", "0"}}},
        {"series structure: the count, the shown entries of the list, the noise level", runSeriesStructureDialog,
         asStarted, {{}, {{1007, "25"}, {1010, "3,4,5"}, {1011, "35"}}},
         {{"wPulsesNumberInput", "25"},
          {"lpEtalonSequenceInput", "3,4,5,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,19,20,21,22,23,24,25,26,27,28,29,30"},
          {"wNoiseLevelInput", "35"},
          {"dwDialogAccepted", "1"}}},
        {"series structure: a typed count of 20 reads only the 18 entries shown", runSeriesStructureDialog, asStarted,
         {{}, {{1007, "20"}, {1010, "7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7"}}},
         {{"wPulsesNumberInput", "20"},
          {"lpEtalonSequenceInput", "7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,7,19,20,21,22,23,24,25,26,27,28,29,30"},
          {"wNoiseLevelInput", "20"},
          {"dwDialogAccepted", "1"}}},
        {"series structure: Cancel", runSeriesStructureDialog, asStarted,
         cancelled({}, {{1007, "20"}, {1010, "9,9"}}), {{"dwDialogAccepted", "0"}}},
        {"required etalons: the count and that many entries", runRequiredEtalonsDialog, asStarted,
         {{}, {{1014, "3"}, {1013, "4,5,6"}}},
         {{"wRequiredCount", "3"}, {"lpRequiredList", "4,5,6," + requiredRest}, {"dwDialogAccepted", "1"}}},
        {"required etalons: count 0 keeps the old count, which is still read", runRequiredEtalonsDialog, twoRequired,
         {{}, {{1014, "0"}, {1013, "9,8,7"}}},
         {{"lpRequiredList", "9,8,3," + requiredRest}, {"dwDialogAccepted", "1"}}},
        {"required etalons: a count above the capacity keeps the old count", runRequiredEtalonsDialog, twoRequired,
         {{}, {{1014, "21"}, {1013, "9,8,7"}}},
         {{"lpRequiredList", "9,8,3," + requiredRest}, {"dwDialogAccepted", "1"}}},
        {"required etalons: Cancel", runRequiredEtalonsDialog, asStarted, cancelled({}, {{1014, "3"}, {1013, "4"}}),
         {{"dwDialogAccepted", "0"}}},
        {"location parameters: every field", runLocationParametersDialog, asStarted,
         {{},
          {{1015, "8"}, {1016, "25"}, {1017, "3"}, {1019, "10"}, {1018, "5"}, {1020, "7"}, {1021, "50"}}},
         {{"wMinPulsesInput", "8"},
          {"wMaxPulsesInput", "25"},
          {"wPulsesIncrement", "3"},
          {"wNoiseInitial", "10"},
          {"wNoiseSteps", "5"},
          {"wNoiseIncrement", "7"},
          {"wRepeats", "50"},
          {"dwDialogAccepted", "1"}}},
        {"location parameters: an increment of 0 is left for the command to replace", runLocationParametersDialog,
         asStarted, {{}, {{1017, "0"}}}, {{"wPulsesIncrement", "0"}, {"dwDialogAccepted", "1"}}},
        {"location parameters: Cancel", runLocationParametersDialog, asStarted,
         cancelled({}, {{1015, "8"}, {1021, "50"}}), {{"dwDialogAccepted", "0"}}},
        {"subset: the clicked choices; the disabled position is written back as shown", runSubsetSettingsDialog,
         [](AppState& s) { s.wSubsetInitPosition = 3; }, {{1016, 1022}, {{1020, "0"}}},
         {{"wSubsetEmployment", "2"}, {"wSubsetProceeding", "2"}}},
        {"subset: the last click of a group counts", runSubsetSettingsDialog,
         [](AppState& s) { s.wSubsetProceeding = 2; }, {{1019, 1015, 1017, 1021}, {}},
         {{"wSubsetEmployment", "3"}, {"wSubsetProceeding", "1"}}},
        {"subset: every employment radio", runSubsetSettingsDialog, asStarted, {{1019}, {}},
         {{"wSubsetEmployment", "5"}}},
        {"subset: OK without a click keeps a value no radio stands for", runSubsetSettingsDialog,
         [](AppState& s) { s.wSubsetEmployment = 9; }, {}, {}},
        {"subset: Cancel after clicks", runSubsetSettingsDialog, asStarted, cancelled({1015, 1022}, {{1020, "5"}}),
         {}},
        {"drawing: every control toggled", runDrawingSettingsDialog, asStarted, {{1044, 1024, 1023, 1043, 1025}, {}},
         {{"dwFrameGraphFields", "0"},
          {"dwShadedOriginalPulses", "0"},
          {"dwHighlightDetectedPulses", "1"},
          {"dwSpecialGraphSize", "1"},
          {"wTupleHighlight", "1"}}},
        {"drawing: no tuple highlight", runDrawingSettingsDialog, asStarted, {{1027}, {}}, {{"wTupleHighlight", "0"}}},
        {"drawing: coloured background", runDrawingSettingsDialog, [](AppState& s) { s.wTupleHighlight = 0; },
         {{1026}, {}}, {{"wTupleHighlight", "2"}}},
        {"drawing: a check box clicked twice is back where it was", runDrawingSettingsDialog, asStarted,
         {{1023, 1023}, {}}, {}},
        {"drawing: Cancel after toggling every control", runDrawingSettingsDialog, asStarted,
         cancelled({1044, 1024, 1023, 1043, 1025, 1027, 1026, 1025}), {}},
        {"statistics: the clicked cases and the typed fixed bound", runStatisticsParameters, asStarted,
         {{1029, 1031, 1032}, {{1033, "0.5"}}},
         {{"dwHandlingCase", "2"}, {"dwViewCase", "2"}, {"dwFixedUpperBound", "1"}, {"dUpperBound", "0.5"}}},
        {"statistics: back to the first radios", runStatisticsParameters,
         [](AppState& s) {
             s.dwHandlingCase = 2;
             s.dwViewCase = 2;
         },
         {{1029, 1028, 1030}, {}}, {{"dwHandlingCase", "1"}, {"dwViewCase", "1"}}},
        {"statistics: a bound typed while it is not fixed is not read", runStatisticsParameters, asStarted,
         {{}, {{1033, "0.7"}}}, {}},
        {"statistics: unfixing the bound leaves it, however small the text", runStatisticsParameters,
         [](AppState& s) { s.dwFixedUpperBound = 1; }, {{1032}, {{1033, "0.0001"}}}, {{"dwFixedUpperBound", "0"}}},
        {"statistics: a fixed bound accepted as shown keeps 5 significant digits", runStatisticsParameters,
         [](AppState& s) {
             s.dwFixedUpperBound = 1;
             s.dUpperBound = 0.123456789;
         },
         {}, {{"dUpperBound", text(0.12346)}}},
        {"statistics: the bound is read as a decimal fraction", runStatisticsParameters,
         [](AppState& s) { s.dwFixedUpperBound = 1; }, {{}, {{1033, " 1.5e-2x"}}}, {{"dUpperBound", text(0.015)}}},
        {"statistics: OK without a click keeps handling 3, which has no radio here", runStatisticsParameters,
         [](AppState& s) { s.dwHandlingCase = 3; }, {}, {}},
        {"statistics: bounds included is not touched without its check box", runStatisticsParameters,
         [](AppState& s) { s.dwBoundsIncluded = 0; }, {{1029}, {}}, {{"dwHandlingCase", "2"}}},
        {"statistics: Cancel after every click", runStatisticsParameters, asStarted,
         cancelled({1029, 1031, 1032}, {{1033, "0.5"}}), {}},
        {"statistics with recognition: recognition error, bounds excluded", runStatisticsWithRecognition, asStarted,
         {{1034, 1042}, {}}, {{"dwHandlingCase", "3"}, {"dwBoundsIncluded", "0"}}},
        {"statistics with recognition: Cancel after every click", runStatisticsWithRecognition, asStarted,
         cancelled({1034, 1042, 1031, 1032}, {{1033, "0.5"}}), {}},
    };
    for (const Case& c : cases) {
        DialogBench bench;
        c.setup(bench.state);
        const Members before = membersOf(bench.state);
        EXPECT_EQ(bench.runAnswered(c.run, c.answer), c.answer.ok) << c.what;
        EXPECT_EQ(differences(overlaid(before, c.changes), membersOf(bench.state)), "") << c.what;
        EXPECT_TRUE(bench.scripted.messages().empty()) << c.what;
    }
}

// ---------------------------------------------------------------------------------------
// Refusals and the limits that are still accepted

struct LimitCase {
    const char* what;
    RunDialog run;
    StateSetup setup;
    DialogAnswer answer;
    const char* mentions; // a word of the refusal; null when the input is accepted
};

// Valid parameters to which a case adds the faulty one.
DialogAnswer seriesParameters(std::map<std::int32_t, std::string> typed)
{
    std::map<std::int32_t, std::string> texts = {{1000, "1200"}, {1001, "40"}, {1003, "181"}, {1004, "1"}};
    for (const auto& [id, value] : typed) texts[id] = value;
    return {{}, texts, true};
}

DialogAnswer typed(std::map<std::int32_t, std::string> texts, std::vector<std::int32_t> clicks = {})
{
    return {std::move(clicks), std::move(texts), true};
}

const StateSetup fixedBound = [](AppState& s) { s.dwFixedUpperBound = 1; };
const StateSetup shortSeriesInput = [](AppState& s) { s.dwSeriesLengthInput = 100; }; // pulse counts (0 →) 1 … 3

const LimitCase limitCases[] = {
    {"create series: Tmin 0", runCreateSeriesDialog, asStarted, seriesParameters({{1001, "0"}}), "Tmin"},
    {"create series: a Tmin that is 0 in 16 bits", runCreateSeriesDialog, asStarted,
     seriesParameters({{1001, "65536"}}), "Tmin"},
    {"create series: Tmin above Tmax", runCreateSeriesDialog, asStarted, seriesParameters({{1001, "182"}}), "Tmin"},
    {"create series: Tmax below the pulse length", runCreateSeriesDialog, asStarted,
     seriesParameters({{1001, "10"}, {1003, "19"}}), "pulse length"},
    {"create series: a series shorter than a pulse", runCreateSeriesDialog, asStarted,
     seriesParameters({{1000, "19"}}), "series length"},
    {"create series: a series longer than 32767", runCreateSeriesDialog, asStarted,
     seriesParameters({{1000, "32768"}}), "32767"},
    {"create series: etalon 0", runCreateSeriesDialog, asStarted, seriesParameters({{1004, "0"}}), "etalon"},
    {"create series: an etalon past the alphabet", runCreateSeriesDialog, asStarted,
     seriesParameters({{1004, "21"}}), "etalon"},
    {"create series: no pulse count fits (least 60 / 30 = 2, greatest 51 / 30 = 1)", runCreateSeriesDialog,
     asStarted, seriesParameters({{1000, "41"}, {1001, "30"}, {1003, "30"}}), "pulse count"},
    {"series structure: noise 10923", runSeriesStructureDialog, asStarted, typed({{1011, "10923"}}), "noise"},
    {"series structure: noise -1", runSeriesStructureDialog, asStarted, typed({{1011, "-1"}}), "noise"},
    {"series structure: noise 40000, negative in 16 bits", runSeriesStructureDialog, asStarted,
     typed({{1011, "40000"}}), "noise"},
    {"location parameters: one noise step", runLocationParametersDialog, asStarted, typed({{1018, "1"}}),
     "noise steps"},
    {"location parameters: no repeats", runLocationParametersDialog, asStarted, typed({{1021, "0"}}), "repeats"},
    {"location parameters: the highest noise level 10000 + 462 x 2", runLocationParametersDialog, asStarted,
     typed({{1019, "10000"}, {1018, "3"}, {1020, "462"}}), "noise"},
    {"location parameters: pulse counts from 10 to 8", runLocationParametersDialog, asStarted,
     typed({{1015, "10"}, {1016, "8"}}), "pulse counts"},
    {"location parameters: from below the least count 6", runLocationParametersDialog, asStarted,
     typed({{1015, "5"}}), "pulse counts"},
    {"location parameters: to above the greatest count 30", runLocationParametersDialog, asStarted,
     typed({{1016, "31"}}), "pulse counts"},
    {"location parameters: from 0 when the least count 0 is raised to 1", runLocationParametersDialog,
     shortSeriesInput, typed({{1015, "0"}, {1016, "3"}}), "pulse counts"},
    {"statistics: a fixed bound below 0.001", runStatisticsParameters, asStarted,
     typed({{1033, "0.0009"}}, {1032}), "upper bound"},
    {"statistics: a fixed bound that is not a number", runStatisticsParameters, fixedBound, typed({{1033, "abc"}}),
     "upper bound"},
    {"statistics with recognition: a fixed bound of 0", runStatisticsWithRecognition, fixedBound,
     typed({{1033, "0"}}, {1034}), "upper bound"},
    {"statistics with recognition: an infinite fixed bound", runStatisticsWithRecognition, fixedBound,
     typed({{1033, "inf"}}), "upper bound"},
    {"statistics with recognition: a fixed bound that is no number at all", runStatisticsWithRecognition,
     fixedBound, typed({{1033, "nan"}}), "upper bound"},

    {"create series: a series of 32767 samples", runCreateSeriesDialog, asStarted,
     seriesParameters({{1000, "32767"}, {1001, "1"}, {1003, "20"}}), nullptr},
    {"create series: a series of one pulse, Tmin = Tmax = pulse length", runCreateSeriesDialog, asStarted,
     seriesParameters({{1000, "20"}, {1001, "20"}, {1003, "20"}}), nullptr},
    {"create series: the last etalon", runCreateSeriesDialog, asStarted, seriesParameters({{1004, "20"}}), nullptr},
    {"series structure: noise 10922", runSeriesStructureDialog, asStarted, typed({{1011, "10922"}}), nullptr},
    {"series structure: noise 0", runSeriesStructureDialog, asStarted, typed({{1011, "0"}}), nullptr},
    {"location parameters: the highest noise level 10000 + 461 x 2", runLocationParametersDialog, asStarted,
     typed({{1019, "10000"}, {1018, "3"}, {1020, "461"}}), nullptr},
    {"location parameters: 2 steps, 1 repeat, the whole pulse-count range", runLocationParametersDialog, asStarted,
     typed({{1018, "2"}, {1021, "1"}, {1015, "6"}, {1016, "30"}}), nullptr},
    {"location parameters: from 1 when the least count 0 is raised to 1", runLocationParametersDialog,
     shortSeriesInput, typed({{1015, "1"}, {1016, "3"}}), nullptr},
    {"statistics: a fixed bound of 0.001", runStatisticsParameters, fixedBound, typed({{1033, "0.001"}}), nullptr},
    {"subset: nothing is refused", runSubsetSettingsDialog, asStarted, typed({{1020, "0"}}), nullptr},
};

TEST(ParameterDialogTest, RefusedInputChangesNothingAndLimitsAreAccepted)
{
    for (const LimitCase& c : limitCases) {
        DialogBench bench;
        c.setup(bench.state);
        bench.state.dwDialogAccepted = 0;
        const Members before = membersOf(bench.state);
        const bool accepted = bench.runAnswered(c.run, c.answer);
        const auto& messages = bench.scripted.messages();
        if (c.mentions == nullptr) {
            EXPECT_TRUE(accepted) << c.what;
            EXPECT_TRUE(messages.empty()) << c.what << ": " << (messages.empty() ? "" : messages[0].text);
            continue;
        }
        EXPECT_FALSE(accepted) << c.what;
        EXPECT_EQ(differences(before, membersOf(bench.state)), "") << c.what;
        ASSERT_EQ(messages.size(), 1u) << c.what;
        EXPECT_EQ(messages[0].caption, bench.scripted.dialogs.titles.at(0)) << c.what;
        EXPECT_EQ(messages[0].icon, MessageIcon::exclamation) << c.what;
        EXPECT_NE(messages[0].text.find(c.mentions), std::string::npos) << c.what << ": " << messages[0].text;
    }
}

} // namespace
} // namespace mirokel

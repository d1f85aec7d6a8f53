// The 16-bit command ids: menu items and the internal requests that chain the steps of a
// run and repaint single regions.
#pragma once

#include <cstdint>

namespace mirokel::command {

// File
constexpr std::uint16_t newPulses = 40002;           // " New pulses... "
constexpr std::uint16_t createSeries = 40001;        // " Create series... "
constexpr std::uint16_t viewSeriesParameters = 40031;
constexpr std::uint16_t selectSetOfPulses = 40016;
constexpr std::uint16_t saveImage = 40003;
constexpr std::uint16_t saveResults = 40034;          // " Save results as..."
constexpr std::uint16_t exit = 40004;
// Processing
constexpr std::uint16_t processingSameData = 40017;
constexpr std::uint16_t processingNextData = 40018;
constexpr std::uint16_t moreDetails = 40019;
constexpr std::uint16_t typeMoreDetails = 40020;
constexpr std::uint16_t fixedCase = 40021;
constexpr std::uint16_t unfixedCase = 40022;
constexpr std::uint16_t statisticalSimulation = 40012;
constexpr std::uint16_t showStatisticalSimulation = 40015;
constexpr std::uint16_t repeatDetection = 40023;
constexpr std::uint16_t repeatRecognition = 40024;
constexpr std::uint16_t repeatJointDetection = 40025;
constexpr std::uint16_t repeatSeriesProcessing = 40026;
// Settings: task type
constexpr std::uint16_t detection = 40005;
constexpr std::uint16_t recognition = 40006;
constexpr std::uint16_t jointDetection = 40007;
constexpr std::uint16_t seriesProcessing = 40027;
// Settings: series type
constexpr std::uint16_t fixedWhole = 40008;
constexpr std::uint16_t unfixedWhole = 40009;
constexpr std::uint16_t fixedCutOff = 40010;
constexpr std::uint16_t unfixedCutOff = 40011;
constexpr std::uint16_t fixedTuples = 40028;
constexpr std::uint16_t unfixedTuples = 40032;
constexpr std::uint16_t subsetSettings = 40029;
constexpr std::uint16_t drawingSettings = 40030;
// Else One
constexpr std::uint16_t elseCreateSeries = 40014;    // does nothing
constexpr std::uint16_t debuggingRepeat = 40033;

// Internal
constexpr std::uint16_t exitRequest = 204;
constexpr std::uint16_t nextData = 205;
constexpr std::uint16_t repaintWindow = 206;
constexpr std::uint16_t nothing207 = 207;
constexpr std::uint16_t refreshSettings = 208;
constexpr std::uint16_t noise = 209;
constexpr std::uint16_t process = 210;
constexpr std::uint16_t applySelectors = 211;
constexpr std::uint16_t repaintSelectedCell = 212;
constexpr std::uint16_t repaintGraphAndButtons = 213;
constexpr std::uint16_t simulationParameters = 214;
constexpr std::uint16_t createSeriesDialog = 215;
constexpr std::uint16_t buildSeries = 216;
constexpr std::uint16_t repaintAfterProcessing = 218;
constexpr std::uint16_t repaintStrip = 221;
constexpr std::uint16_t repaintGraph = 222;
constexpr std::uint16_t repaintGraphNoErase = 223;
constexpr std::uint16_t repaintReservedRows = 224;

// The menu items of task and series types, for their check marks.
constexpr std::uint16_t taskTypeItems[] = {detection, recognition, jointDetection, seriesProcessing};
constexpr std::uint16_t seriesTypeItems[] = {fixedWhole, unfixedWhole, fixedCutOff, unfixedCutOff, fixedTuples,
                                             unfixedTuples};

// Whether a command ever checks or unchecks the menu item `id`: only these items can show
// a check mark.
constexpr bool hasMenuCheck(std::uint16_t id)
{
    for (const std::uint16_t item : taskTypeItems)
        if (item == id) return true;
    for (const std::uint16_t item : seriesTypeItems)
        if (item == id) return true;
    return false;
}

} // namespace mirokel::command

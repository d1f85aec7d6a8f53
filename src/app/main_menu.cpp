// The menu bar of the main window.
#include "app/main_menu.h"

#include "app/command_ids.h"

namespace mirokel {

namespace {

// An item is checkable exactly when some command puts a check mark on it.
MenuEntry item(std::uint16_t id, std::string text)
{
    return {MenuEntry::Kind::item, id, std::move(text), {}, command::hasMenuCheck(id)};
}
MenuEntry separator() { return {MenuEntry::Kind::separator, 0, {}, {}, false}; }
MenuEntry popup(std::string text, std::vector<MenuEntry> entries)
{
    return {MenuEntry::Kind::popup, 0, std::move(text), std::move(entries), false};
}

std::vector<MenuEntry> buildMenu()
{
    using namespace command;
    return {
        popup(" File", {item(newPulses, " New pulses... "), item(createSeries, " Create series... "), separator(),
                        item(viewSeriesParameters, " View series parameters..."), separator(),
                        item(selectSetOfPulses, " Select set of pulses"), separator(),
                        item(saveImage, " Save image as..."),
                        item(saveResults, " Save results as..."), separator(), item(exit, " Exit")}),
        popup(" Processing",
              {item(processingSameData, " Processing Same Data"), item(processingNextData, " Processing Next Data "),
               separator(), item(moreDetails, " More details"), item(typeMoreDetails, " Type more detales"),
               separator(), item(fixedCase, " Fixed case"), item(unfixedCase, " Unfixed case"), separator(),
               item(statisticalSimulation, " Statistical Simulation"),
               item(showStatisticalSimulation, " Show Statistical Simulation"), separator(),
               item(repeatDetection, " Repeat Detection"), item(repeatRecognition, " Repeat Recognition"),
               item(repeatJointDetection, " Repeat Joint Detection and Discrimination"),
               item(repeatSeriesProcessing, " Repeat Series Processing")}),
        popup(" Settings",
              {popup(" Select Task Type",
                     {item(detection, " Detection"), item(recognition, " Recognition"),
                      item(jointDetection, " Joint Detection and Discrimination"),
                      item(seriesProcessing, " Series Processing")}),
               popup(" Select Series Type",
                     {item(fixedWhole, " Fixed Number of Whole Pulses"),
                      item(unfixedWhole, " Unfixed Number of Whole Pulses"),
                      item(fixedCutOff, " Fixed Number of Cutoffs Pulses"),
                      item(unfixedCutOff, " Unfuxed Number of Cutoffs Pulses"),
                      item(fixedTuples, " Fixed Number of Whole Pulses Tuples "),
                      item(unfixedTuples, " Unfixed Number of Whole Pulses Tuples ")}),
               separator(), item(subsetSettings, " Subset settings ..."), separator(),
               item(drawingSettings, " Drawing settings ...")}),
        popup(" Else One", {item(elseCreateSeries, " Create Series..."), separator(),
                            item(debuggingRepeat, " Debugging repeat ")}),
    };
}

} // namespace

const std::vector<MenuEntry>& mainMenu()
{
    static const std::vector<MenuEntry> menu = buildMenu();
    return menu;
}

} // namespace mirokel

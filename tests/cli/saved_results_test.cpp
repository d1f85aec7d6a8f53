// " Save results as..." of the window gives what mirokel-cli prints for the same commands:
// the application is driven in-process on the headless window, the built mirokel-cli runs
// the same commands, and the two outputs are compared.
#include "app/application.h"
#include "app/command_ids.h"
#include "app/parameter_dialogs.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "platform/scripted/scripted_clock.h"
#include "platform/scripted/scripted_window.h"

#include "scratch_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mirokel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using mirokel::test::readFile;

fs::path scratchDirectory() { return mirokel::test::scratchDirectory("mirokel_results"); }

// The standard output of mirokel-cli with `args` (standard error dropped).
std::string cliOutput(const std::string& args)
{
    const fs::path out = scratchDirectory() / "out";
    const std::string command = std::string(MIROKEL_CLI_PATH) + " " + args + " >" + out.string() + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readFile(out);
}

// The workbench started on the headless window as mirokel-cli starts it, with unfixed
// cut-off series and joint detection (as --series-type 8 --task 4).
class SavedResults : public testing::Test {
protected:
    SavedResults()
    {
        initialiseStaticState(state);
        startApplication(scripted.window(), state);
        prepareSubsetPanel(scripted.window(), state);
        onCommand(app, command::unfixedCutOff);
        onCommand(app, command::jointDetection);
    }
    ~SavedResults() override
    {
        shutDownApplication(scripted.window(), state);
        fs::remove_all(dir);
    }
    // " Save results as..." answered with `name`; the file's text.
    std::string saveResults(const std::string& name)
    {
        scripted.dialogs.saveFileNames = {(dir / name).string()};
        onCommand(app, command::saveResults);
        return readFile(dir / name);
    }

    ScriptedWindow scripted;
    AppState state;
    ScriptedClock clock;
    Application app{scripted.window(), state, clock};
    fs::path dir = scratchDirectory();
};

TEST_F(SavedResults, SeriesViewSavesTheLastRunAsTheLineOfRun)
{
    onCommand(app, command::processingNextData);
    onCommand(app, command::processingNextData);
    onCommand(app, command::processingSameData);
    const std::string saved = saveResults("run.json");
    std::istringstream lines(cliOutput("run --series-type 8 --task 4 --runs 2 --same 1"));
    std::string last;
    for (std::string line; std::getline(lines, line);) last = line;
    EXPECT_EQ(saved, last + "\n");
    EXPECT_EQ(json::parse(saved).at("command"), "same");
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(scripted.dialogs.saveRequests[0].filters,
              (std::vector<std::pair<std::string, std::string>>{{"JSON Files (*.json)", "*.json"}}));
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(SavedResults, StatisticsViewSavesTheTablesAsCsvAndJson)
{
    DialogAnswer location;
    location.texts = {{dialog_id::pulsesFrom, "6"}, {dialog_id::pulsesTo, "8"},   {dialog_id::noiseSteps, "2"},
                      {dialog_id::noiseInitial, "60"}, {dialog_id::noiseIncrement, "60"}, {dialog_id::repeats, "2"}};
    scripted.dialogs.answers = {DialogAnswer{}, location, DialogAnswer{}};
    onCommand(app, command::statisticalSimulation);
    ASSERT_EQ(state.wResultKind, 2);

    const fs::path cliCsv = dir / "cli.csv";
    const std::string grid = "--min-pulses 6 --max-pulses 8 --noise-steps 2 --noise-initial 60 "
                             "--noise-increment 60 --repeats 2";
    json printed = json::parse(cliOutput("simulate --series-type 8 --task 4 " + grid + " --csv " + cliCsv.string()));
    json saved = json::parse(saveResults("tables.json"));
    // The time a run takes is its own.
    printed.erase("elapsedSeconds");
    saved.erase("elapsedSeconds");
    EXPECT_EQ(saved, printed);

    // The CSV is the command line's after its comment lines.
    std::istringstream csv(saveResults("tables.CSV"));
    std::string comments, rows;
    for (std::string line; std::getline(csv, line);) (line.rfind("# ", 0) == 0 ? comments : rows) += line + "\n";
    EXPECT_EQ(rows, readFile(cliCsv));
    EXPECT_EQ(comments.rfind("# mirokel ", 0), 0u) << comments;
    for (const char* part : {"# settings: series type 8", "# grid: pulses [6,7,8], noise levels [60,120], repeats 2",
                             "# run: from "})
        EXPECT_NE(comments.find(part), std::string::npos) << part << " in\n" << comments;
}

TEST_F(SavedResults, NothingToSaveOrAnotherExtensionSaysSo)
{
    onCommand(app, command::saveResults); // the alphabet panel shows no results
    ASSERT_EQ(scripted.messages().size(), 1u);
    EXPECT_EQ(scripted.messages()[0].text.rfind("Nothing to save", 0), 0u);
    EXPECT_TRUE(scripted.dialogs.saveRequests.empty());
    onCommand(app, command::processingNextData);
    scripted.clearMessages();
    EXPECT_EQ(saveResults("run.txt"), "");
    EXPECT_EQ(scripted.messages(),
              (std::vector<RecordedMessage>{{"Nothing was saved: the name must end in .json", " Save results as "}}));
    EXPECT_EQ(saveResults("missing/run.json"), "");
    ASSERT_EQ(scripted.messages().size(), 2u);
    EXPECT_EQ(scripted.messages()[1].text.rfind("Nothing was saved: the folder of", 0), 0u) << scripted.messages()[1].text;
}

} // namespace
} // namespace mirokel

// A short demonstration run headless, through the same commands the window sends: the
// alphabet, a few runs of tuple recognition and of joint detection of cut-off pulses,
// and the best chains. `make run` shows it where there is no display.
#include "headless_demo.h"

#include "app/application.h"
#include "app/command_ids.h"
#include "app/startup.h"
#include "app/subset_panel_state.h"
#include "app/text_report.h"
#include "platform/scripted/scripted_window.h"

#include <cstdio>

namespace mirokel {

namespace {

// Prints the messages the commands showed since the last call.
void printMessages(ScriptedWindow& scripted)
{
    for (const RecordedMessage& message : scripted.messages())
        std::fprintf(stderr, "[%s] %s\n", message.caption.c_str(), message.text.c_str());
    scripted.clearMessages();
}

void printRun(Application& app, const char* title)
{
    const AppState& s = app.state;
    std::printf("\n== %s ==\n", title);
    if (s.lpSeriesHeader != nullptr) std::fputs(describeDetection(*s.lpSeriesHeader).c_str(), stdout);
    if (s.lpChainsHeader != nullptr) std::fputs(describeChains(*s.lpChainsHeader, 3, s.wImpulseSize).c_str(), stdout);
}

// Composes the tuples (a, b, c) and (d, e) on the subset panel, as a user would, and
// hands them to the series.
void composeTuples(Application& app)
{
    AppState& s = app.state;
    if (prepareSubsetPanel(app.window, s) == 0) return;
    const std::int32_t tuples[2][3] = {{1, 2, 3}, {4, 5, 0}};
    const std::int32_t sizes[2] = {3, 2};
    for (int t = 0; t < 2; ++t) {
        std::copy_n(tuples[t], sizes[t], s.selectedSubset);
        s.dwSubsetSize = sizes[t];
        s.dwReservedCount = reserveSubset(s.selectedSubset, s.dwSubsetSize, s.selectedSubsetArraySize,
                                          s.lpReservedSubsets, s.dwReservedCount, s.dwReservedCapacity);
    }
    s.dwCurrentReserved = 1;
    commitSubsetPanel(app.window, s);
}

} // namespace

int runHeadlessDemo()
{
    ScriptedWindow scripted;
    AppState state;
    SystemClock clock;
    Application app{scripted.window(), state, clock};
    initialiseStaticState(state);
    const bool started = startApplication(scripted.window(), state);
    printMessages(scripted);
    if (!started) {
        shutDownApplication(scripted.window(), state);
        return 1;
    }
    std::fputs(describeAlphabet(state.aEtalons, state.wAlphabetSize).c_str(), stdout);

    composeTuples(app);
    for (int run = 1; run <= 3; ++run) {
        onCommand(app, command::processingNextData);
        printMessages(scripted);
        printRun(app, formatText("Recognition of tuples, run %d (recognised tuple %d)", run,
                                 state.lpSeriesHeader != nullptr ? state.lpSeriesHeader->wDetSubset : 0)
                          .c_str());
    }

    onCommand(app, command::jointDetection);
    onCommand(app, command::unfixedCutOff);
    state.dwLostDataIndex = 2; // the "25%" choice of the lost-data selector
    onCommand(app, command::applySelectors);
    for (int run = 1; run <= 2; ++run) {
        onCommand(app, command::processingNextData);
        printMessages(scripted);
        printRun(app, formatText("Joint detection of cut-off pulses (25%% lost), run %d", run).c_str());
    }
    if (state.lpSeriesHeader != nullptr) std::fputs(describeSeries(*state.lpSeriesHeader).c_str(), stdout);
    shutDownApplication(scripted.window(), state);
    return 0;
}

} // namespace mirokel

// `run`: next-data and same-data commands with one line of JSON after each.
#include "app/command_ids.h"
#include "cli/commands.h"
#include "app/result_files.h"
#include "cli/json_lines.h"
#include "cli/session.h"
#include "cli/settings.h"

namespace mirokel::cli {

namespace {

// The tuple modes process nothing until a subset is composed; say so once, since the
// window would have shown the subset panel instead of a result.
void noteUnprocessedTuples(const AppState& state, bool& noted)
{
    if (noted || state.dwSubsetSize != 0) return;
    if (state.wProcessingMode == processing_mode::tupleDetection) {
        printNote("processing mode 36 needs a composed subset (--subset): the series were built but not processed");
        noted = true;
    } else if (state.wProcessingMode == processing_mode::tupleRecognition) {
        printNote("processing mode 40 needs a composed subset (--subset) and reserved subsets (--reserved): the "
                  "recognition routine did not run");
        noted = true;
    }
}

} // namespace

int runCommand(const CommandLine& line)
{
    Session session;
    if (!session.start()) return exitFailed;
    std::string refusal = checkSettings(line.settings, session.state());
    if (refusal.empty()) refusal = checkRunOptions(line.run);
    if (!refusal.empty()) return refuse(refusal);

    noteSubsetCommit(applySettings(session.app(), line.settings));

    const AppState& state = session.state();
    bool failed = false;
    bool noted = false;
    // Without a series or a chains record, or with a build the builder refused, the
    // command could not do its work (its message is already on standard error): its line
    // is printed and nothing more is done.
    auto perform = [&](std::uint16_t id, const char* name, std::int64_t index) {
        session.app().seriesRefused = false;
        onCommand(session.app(), id);
        noteUnprocessedTuples(state, noted);
        printJsonLine(runLineJson(name, index, state));
        failed = state.lpSeriesHeader == nullptr || state.lpChainsHeader == nullptr || session.app().seriesRefused;
    };
    for (std::int64_t i = 0; i < line.run.runs && !failed; ++i) perform(command::processingNextData, "next", i);
    for (std::int64_t i = 0; i < line.run.same && !failed; ++i) perform(command::processingSameData, "same", i);
    return failed ? exitFailed : exitDone;
}

} // namespace mirokel::cli

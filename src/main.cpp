// The workbench's entry point. Until the window exists it starts the application state
// headless and prints the alphabet and the first series.
#include "app/startup.h"
#include "app/text_report.h"
#include "platform/scripted/scripted_window.h"

#include <cstdio>

int main()
{
    using namespace mirokel;
    ScriptedWindow scripted;
    AppState state;
    initialiseStaticState(state);
    const bool started = startApplication(scripted.window(), state);
    for (const RecordedMessage& message : scripted.messages())
        std::fprintf(stderr, "[%s] %s\n", message.caption.c_str(), message.text.c_str());
    if (!started) {
        shutDownApplication(scripted.window(), state);
        return 1;
    }

    std::fputs(describeAlphabet(state.aEtalons, state.wAlphabetSize).c_str(), stdout);
    std::fputs("\n", stdout);
    if (state.lpSeriesHeader != nullptr) std::fputs(describeSeries(*state.lpSeriesHeader).c_str(), stdout);
    shutDownApplication(scripted.window(), state);
    return 0;
}

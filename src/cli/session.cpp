// The headless application of one mirokel-cli invocation.
#include "cli/session.h"

#include "app/startup.h"
#include "app/subset_panel_state.h"

namespace mirokel::cli {

Session::~Session() { shutDownApplication(handle, appState); }

bool Session::start()
{
    initialiseStaticState(appState);
    return startApplication(handle, appState) && prepareSubsetPanel(handle, appState) == 1;
}

std::size_t Session::forwardRefusals()
{
    const std::vector<RecordedMessage>& refusals = scripted.messages();
    const std::size_t before = refusalsForwarded;
    for (; refusalsForwarded < refusals.size(); ++refusalsForwarded)
        printMessage(refusals[refusalsForwarded].text, refusals[refusalsForwarded].caption);
    return refusalsForwarded - before;
}

void noteSubsetCommit(SubsetCommit commit)
{
    if (commit != SubsetCommit::nothingToHandOver) return;
    printNote("the subset panel's \" OK \" had nothing to hand over: processing mode 40 hands over the reserved "
              "subsets (--reserved), the other modes the composed subset (--subset)");
}

} // namespace mirokel::cli

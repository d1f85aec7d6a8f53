// The ordered start-up and shutdown sequences of the application state.
#include "app/startup.h"

#include "app/command_ids.h"
#include "app/subset_panel_state.h"
#include "engine/chains_header.h"
#include "engine/rest_error_header.h"
#include "model/series_builder.h"
#include "model/subsets.h"
#include "platform/allocation.h"

#include <algorithm>

namespace mirokel {

namespace {

void releaseEtalonSequences(AppState& s)
{
    releaseMemory(s.lpEtalonSequence);
    releaseMemory(s.lpEtalonSequenceInput);
    s.lpEtalonSequence = s.lpEtalonSequenceInput = nullptr;
    s.wEtalonSequenceSize = s.wEtalonSequenceInputSize = 0;
}

void buildFirstSeries(Window& window, AppState& s)
{
    const std::span<std::uint16_t> sequence(s.lpEtalonSequence, s.wEtalonSequenceSize);
    if (isUnfixedSeriesType(s.wSeriesType)) {
        s.lpSeriesHeader = makeUnfixedSeries(window, s.wAlphabetSize, s.aEtalons, s.wImpulseSize, s.wTmin, s.wTmax,
                                             s.dwSeriesLength, s.wImpulseQuantity, sequence, s.wAmplitude,
                                             static_cast<std::uint16_t>(s.wMakeEnergyLevel), s.lpSeriesHeader,
                                             s.streams);
        if (s.lpSeriesHeader != nullptr) s.wImpulseQuantity = s.lpSeriesHeader->wImpulseQuantity;
    } else {
        s.lpSeriesHeader = getCutOffSeries(window, s.wAlphabetSize, s.aEtalons, s.wImpulseSize, s.wTmin, s.wTmax,
                                           s.dwSeriesLength, s.wImpulseQuantity, sequence, s.wAmplitude,
                                           static_cast<std::uint16_t>(s.wMakeEnergyLevel), s.lpSeriesHeader,
                                           s.streams);
    }
}

// The five button faces, in the order they are loaded, with the names their failure gives.
struct ButtonFace {
    std::uint16_t resource;
    const char* name;
};
constexpr ButtonFace buttonFaces[] = {
    {103, "ButtonStart"}, {102, "ButtonExit"}, {101, "IDB_BITMAP1"}, {109, "IDB_BITMAP5"}, {108, "IDB_BITMAP4"}};

bool loadButtonFaces(Window& window)
{
    for (const ButtonFace& face : buttonFaces) {
        if (window.services.loadButtonImage(face.resource)) continue;
        showMessage(window, formatText("No Bitmap <%s>", face.name), "Fatal Error");
        return false;
    }
    return true;
}

void checkStartupMenuItems(Window& window)
{
    for (const std::uint16_t item : command::seriesTypeItems) window.services.checkMenuItem(item, false);
    window.services.checkMenuItem(command::fixedTuples, true);
    for (const std::uint16_t item : command::taskTypeItems) window.services.checkMenuItem(item, false);
    window.services.checkMenuItem(command::recognition, true);
}

} // namespace

bool allocateEtalonSequences(Window& window, AppState& s, std::uint16_t size)
{
    releaseEtalonSequences(s);
    s.lpEtalonSequence = allocateArray<std::uint16_t>(size);
    s.lpEtalonSequenceInput = allocateArray<std::uint16_t>(size);
    if (s.lpEtalonSequence == nullptr || s.lpEtalonSequenceInput == nullptr) {
        releaseEtalonSequences(s);
        showMessage(window, "Нет памяти для lpEtalonSequence!", " allocateEtalonSequences ", MessageIcon::exclamation);
        return false;
    }
    const auto fill = static_cast<std::uint16_t>(s.dwDefaultEtalon);
    std::fill_n(s.lpEtalonSequence, size, fill);
    std::fill_n(s.lpEtalonSequenceInput, size, fill);
    s.wEtalonSequenceSize = s.wEtalonSequenceInputSize = size;
    return true;
}

bool startApplication(Window& window, AppState& s)
{
    if (!loadButtonFaces(window)) return false;
    s.dwButtonImagesLoaded = 1;
    releaseAlphabet(s.aEtalons, s.wAlphabetSize);
    s.dwAlphabetReady = makeAlphabet(window, s.wAmplitude, s.wAlphabetSize, s.wImpulseSize, s.aEtalons,
                                     s.streams.wSeedRandomEtalons);
    if (s.dwAlphabetReady != 0) s.dwViewMode = 5;

    s.wRequiredCount = s.wRequiredCapacity = s.wAlphabetSize;
    s.lpRequiredList = getRequiredList(window, s.wRequiredCount, s.lpRequiredList);

    checkStartupMenuItems(window);
    applyStartupSettings(s);
    if (!allocateEtalonSequences(window, s, s.wMaxPulses)) return false;
    s.wChainsDepth = 10;
    s.wChainsLength = s.wMaxPulses;
    s.lpChainsHeader = getChainsHeader(window, s.wChainsDepth, s.wChainsLength, s.lpChainsHeader);
    buildFirstSeries(window, s);
    window.services.createTminEdit();
    return true;
}

void shutDownApplication(Window& window, AppState& s)
{
    s.dwButtonImagesLoaded = 0;
    releaseAlphabet(s.aEtalons, s.wAlphabetSize);
    freeRequiredList(s.lpRequiredList);
    s.lpRequiredList = nullptr;
    s.wRequiredCount = 0;
    releaseEtalonSequences(s);
    freeSeriesHeader(s.lpSeriesHeader);
    s.lpSeriesHeader = nullptr;
    freeChainsHeader(window, s.lpChainsHeader);
    s.lpChainsHeader = nullptr;
    freeRestErrHeader(window, s.lpRestErrorHeader);
    s.lpRestErrorHeader = nullptr;
    releaseSubsetPanel(s);
    freeParamsHeader(s.lpParamsHeader);
    s.lpParamsHeader = nullptr;
}

} // namespace mirokel

// Start-up and shutdown of the application state: the alphabet, the list of etalons in
// use, the start-up settings, the etalon sequences and the first noise-free series; and
// the release of every owned object.
#pragma once

#include "app/app_state.h"
#include "platform/window.h"

namespace mirokel {

// Runs the start-up steps on a freshly initialised state. A failed alphabet build leaves
// dwAlphabetReady 0 and goes on; a series that cannot be built leaves lpSeriesHeader null.
// Returns false only when the etalon sequences cannot be allocated.
bool startApplication(Window& window, AppState& state);

// Releases every object the state owns and sets the pointers to null.
void shutDownApplication(AppState& state);

// Replaces lpEtalonSequence and lpEtalonSequenceInput by arrays of `size` entries filled
// with dwDefaultEtalon. False after a failed allocation (message shown, both released).
bool allocateEtalonSequences(Window& window, AppState& state, std::uint16_t size);

} // namespace mirokel

// Start-up and shutdown: the button faces, the alphabet, the list of etalons in use, the
// menu checks, the start-up settings, the etalon sequences, the chains record, the first
// noise-free series and the Tmin entry; and the release of every owned object.
#pragma once

#include "app/app_state.h"
#include "platform/window.h"

namespace mirokel {

// Runs the start-up steps on a freshly initialised state. A missing button face shows
// "No Bitmap <…>" with caption "Fatal Error" and fails the start; a failed alphabet build
// leaves dwAlphabetReady 0 and goes on; a series that cannot be built leaves
// lpSeriesHeader null. Returns false when the start fails (a missing button face, or no
// memory for the etalon sequences).
bool startApplication(Window& window, AppState& state);

// Releases every object the state owns and sets the pointers to null.
void shutDownApplication(Window& window, AppState& state);

// Replaces lpEtalonSequence and lpEtalonSequenceInput by arrays of `size` entries filled
// with dwDefaultEtalon. False after a failed allocation (message shown, both released).
bool allocateEtalonSequences(Window& window, AppState& state, std::uint16_t size);

} // namespace mirokel

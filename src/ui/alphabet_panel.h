// View mode 5: the alphabet, one cell per etalon with its number, energy and curve, the
// etalons in use in bright blue inside a three-pixel grey frame.
#pragma once

#include "app/app_state.h"
#include "platform/canvas.h"

namespace mirokel {

constexpr Color inUseCurveColor{0, 0, 255};
constexpr Color unusedCurveColor{0, 0, 127};
constexpr Color inUseFrameColor{163, 163, 163};
constexpr Color unusedFrameColor{127, 127, 127};

// Draws the frame of rcGraph and the first wAlphabetSize cells of arcAlphabetCells; needs
// the layout of the current paint (cells, cell sizes, dwLineHeight).
void drawAlphabetPanel(Canvas& canvas, const AppState& state);

} // namespace mirokel

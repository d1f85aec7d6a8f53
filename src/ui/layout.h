// The geometry of the main window, recomputed on every paint: the button column, the
// graph area with the alphabet grid, and the boxes of the value selectors. Everything is
// stored in the layout members of the application state (inclusive rectangles), where the
// views draw into it and the mouse handling hit-tests it.
#pragma once

#include "app/app_state.h"

#include <cstdint>

namespace mirokel {

// Size of every button face, pixels.
constexpr std::int32_t buttonFaceWidth = 144;
constexpr std::int32_t buttonFaceHeight = 32;

struct AlphabetGridShape {
    std::int32_t columns = 2;
    std::int32_t rows = 1;
};

// The smallest grid of i rows and i + 1 columns (i ≥ 1) that holds `etalonCount` cells:
// 20 → 5 × 4, 6 → 3 × 2, 0 … 2 → 2 × 1.
AlphabetGridShape alphabetGridShape(std::uint16_t etalonCount);

// Whether a processing mode shows the select face (all but 1, 36 and 40).
bool hasSelectFace(std::uint16_t processingMode);

// rcExitButton, rcNextButton, rcRestartButton, rcButtonColumn and, in the modes with a
// select face, rcSelectAllButton = rcUnselectAllButton. clientWidth, clientHeight: the
// client area, pixels.
void layOutButtonColumn(AppState& state, std::int32_t clientWidth, std::int32_t clientHeight);

// The cell sizes, rcGraph and the first wAlphabetSize entries of arcAlphabetCells. A client
// area too small for the grid gives negative sizes, kept in 16 bits as they come.
void layOutAlphabetGrid(AppState& state, std::int32_t clientWidth, std::int32_t clientHeight);

// The selector boxes right of rcGraph, each 6 lines high and one line apart; the lost data
// box only when `withLostData` (it keeps its previous value otherwise). Needs dwLineHeight
// and rcGraph.
void layOutSelectorBoxes(AppState& state, std::int32_t clientWidth, bool withLostData);

} // namespace mirokel

// The five button faces of the button column, painted in place of images: a grey button
// with a dark frame and its caption in black, centred. Also the choice between the two
// faces of the select button.
#pragma once

#include "app/app_state.h"
#include "platform/canvas.h"

#include <cstdint>
#include <string_view>

namespace mirokel {

// Resource numbers of the faces.
namespace button_face {
constexpr std::uint16_t next = 101, exit = 102, restart = 103, unselectAll = 108, selectAll = 109;
} // namespace button_face

// The caption of a face; empty for an unknown resource number.
std::string_view buttonFaceCaption(std::uint16_t resourceId);

// Paints the face `resourceId` (101, 102, 103, 108 or 109), 144 × 32 pixels, with its
// top-left pixel at (left, top), in the canvas's current font. Pen, brush and text
// settings are left as they were. False, nothing drawn, for an unknown resource number.
bool drawButtonFace(Canvas& canvas, std::uint16_t resourceId, std::int32_t left, std::int32_t top);

// dwSelectAllShown from the etalons in use: 0 ("Unselect All") when more than half of
// the wAlphabetSize etalons are in use, else 1 ("Select All").
void updateSelectAllShown(AppState& state);

// Recomputes dwSelectAllShown and paints the face it names at rcSelectAllButton.
void drawSelectFace(Canvas& canvas, AppState& state);

} // namespace mirokel

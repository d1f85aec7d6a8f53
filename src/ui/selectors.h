// A value selector: a framed group with a caption, one round choice per value and a dot
// in the chosen one, black when the chosen value is the one in force, grey when it only
// takes effect with the next series.
#pragma once

#include "platform/canvas.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace mirokel {

// Colour of the dot whose value is chosen but not yet in force.
constexpr Color pendingChoiceColor{163, 163, 163};

// Draws one selector in `box` (inclusive) and stores the hit rectangle of each choice in
// `options`. lineHeight: dwLineHeight, ≥ 1; count: choices to draw, at most the size of
// `options` and of `values` (more are not drawn); chosenIndex: 1-based, a value outside
// 1 … count chooses the first; valueInForce: the value the current series uses. Returns 1.
std::int32_t drawSelector(Canvas& canvas, std::int32_t lineHeight, const Rect& box, std::span<Rect> options,
                          std::string_view caption, std::int32_t count, std::span<const std::int32_t> values,
                          std::int32_t chosenIndex, std::int32_t valueInForce);

} // namespace mirokel

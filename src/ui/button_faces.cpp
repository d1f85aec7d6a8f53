// The button faces, painted procedurally: a flat grey face with a dark outer frame, a
// light inner edge at the top and left and a shaded one at the bottom and right, and the
// caption centred in black over the grey.
#include "ui/button_faces.h"

#include "ui/layout.h"

namespace mirokel {

namespace {

constexpr Color faceColor{192, 192, 192};
constexpr Color frameColor{64, 64, 64};
constexpr Color highlightColor{232, 232, 232};
constexpr Color shadowColor{128, 128, 128};

// The bevel inside the frame: shadow along the right and bottom, highlight along the
// left and top (each line excludes its end pixel).
void drawBevel(Canvas& canvas, std::int32_t left, std::int32_t top)
{
    const std::int32_t right = left + buttonFaceWidth - 2;   // last column inside the frame
    const std::int32_t bottom = top + buttonFaceHeight - 2;  // last row inside the frame
    {
        PenScope shadow(canvas, shadowColor);
        canvas.moveTo(right, top + 1);
        canvas.lineTo(right, bottom);
        canvas.lineTo(left + 1, bottom);
    }
    PenScope highlight(canvas, highlightColor);
    canvas.moveTo(left + 1, bottom);
    canvas.lineTo(left + 1, top + 1);
    canvas.lineTo(right, top + 1);
}

void drawCaption(Canvas& canvas, std::string_view caption, std::int32_t left, std::int32_t top)
{
    const TextSize size = canvas.textExtent(caption);
    const Color previousColor = canvas.setTextColor(colors::black);
    const BackgroundMode previousMode = canvas.setBackgroundMode(BackgroundMode::transparent);
    canvas.textOut(left + (buttonFaceWidth - size.cx) / 2, top + (buttonFaceHeight - size.cy) / 2, caption);
    canvas.setBackgroundMode(previousMode);
    canvas.setTextColor(previousColor);
}

} // namespace

std::string_view buttonFaceCaption(std::uint16_t resourceId)
{
    switch (resourceId) {
    case button_face::next: return "Next";
    case button_face::exit: return "Exit";
    case button_face::restart: return "Restart";
    case button_face::unselectAll: return "Unselect All";
    case button_face::selectAll: return "Select All";
    default: return {};
    }
}

bool drawButtonFace(Canvas& canvas, std::uint16_t resourceId, std::int32_t left, std::int32_t top)
{
    const std::string_view caption = buttonFaceCaption(resourceId);
    if (caption.empty()) return false;
    {
        PenScope frame(canvas, frameColor);
        BrushScope face(canvas, Brush{faceColor});
        canvas.rectangle(left, top, left + buttonFaceWidth, top + buttonFaceHeight);
    }
    drawBevel(canvas, left, top);
    drawCaption(canvas, caption, left, top);
    return true;
}

void updateSelectAllShown(AppState& s)
{
    std::int32_t inUse = 0;
    for (std::int32_t i = 0; i < s.wAlphabetSize && i < static_cast<std::int32_t>(s.awEtalonInUse.size()); ++i)
        if (s.awEtalonInUse[i] == 1) ++inUse;
    s.dwSelectAllShown = 2 * inUse > s.wAlphabetSize ? 0 : 1;
}

void drawSelectFace(Canvas& canvas, AppState& s)
{
    updateSelectAllShown(s);
    if (s.dwSelectAllShown == 1)
        drawButtonFace(canvas, button_face::selectAll, s.rcSelectAllButton.left, s.rcSelectAllButton.top);
    else
        drawButtonFace(canvas, button_face::unselectAll, s.rcUnselectAllButton.left, s.rcUnselectAllButton.top);
}

} // namespace mirokel

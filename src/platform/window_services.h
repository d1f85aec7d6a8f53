// What commands and records may ask of the main window besides drawing and dialogs.
#pragma once

#include "platform/rect.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace mirokel {

class Surface;
struct PaintRecord;

// The cursors the window shows: the arrow, the vertical resize cursor over a handle, the
// diagonal (north-west / south-east) resize cursor over a line.
enum class CursorShape { arrow, sizeVertical, sizeDiagonal };

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Marks a rectangle of the client area for repaint, erasing its background first when
    // `erase` is set. Right and bottom are exclusive, as for the window system's
    // invalidation (stored hit rectangles are inclusive, so callers add 1 where they say).
    virtual void invalidate(const Rect& area, bool erase) = 0;
    // Marks the whole client area for repaint with erase.
    virtual void invalidateAll() = 0;
    // Asks the main window to close; shutdown follows.
    virtual void closeWindow() = 0;
    // Sets the check mark of a menu item.
    virtual void checkMenuItem(std::uint16_t id, bool checked) = 0;
    // Loads one of the five button faces (resource 101, 102, 103, 108, 109); false when
    // it cannot be had.
    virtual bool loadButtonImage(std::uint16_t resourceId) = 0;
    // Creates the one-line Tmin entry (child id 225, text "Tmin Text", size 0).
    virtual void createTminEdit() = 0;
    // Sets the text of the Tmin entry.
    virtual void setTminEditText(std::string_view text) = 0;
    // The text typed into the Tmin entry.
    virtual std::string tminEditText() = 0;
    // Moves the Tmin entry to (x, y) of the client area with the given size, shows it and
    // gives it the keyboard focus.
    virtual void showTminEdit(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) = 0;
    // Hides the Tmin entry (size 0 × 0); the keyboard goes back to the client area.
    virtual void hideTminEdit() = 0;
    // Sends every mouse event to the window (also outside it) until released.
    virtual void captureMouse(bool captured) = 0;
    // Shows a cursor over the client area; returns the one it replaces.
    virtual CursorShape setCursor(CursorShape shape) = 0;
    // The persistent picture of the client area that paints draw into and the window shows;
    // null when there is none.
    virtual Surface* clientPicture() = 0;
    // The bytes of a PNG file of width × height pixels 0x..RRGGBB (row-major, top row
    // first), from the window system's image writer; empty when it cannot encode them.
    virtual std::string encodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height) = 0;
    // Paints the current view afresh, whole, at the client size on a scratch picture (the
    // window's own is not touched) and records what the paint draws into `record`; false
    // when no paint can be had.
    virtual bool recordFullPaint(PaintRecord& record) = 0;
};

} // namespace mirokel

// " Save image as...": the picture of the client area saved as a BMP, PCX or PNG file
// whose name the user chooses, or as an SVG of a fresh paint of the same view; the
// extension, in any case, decides the format.
#pragma once

#include "export/picture.h"
#include "platform/window.h"

#include <cstdint>
#include <string>

namespace mirokel {

// Runs the save dialog ("Snapshot File Name") with the file types of a snapshot. The chosen
// path, or an empty text when the user cancelled. `fileName` is cleared first and then
// holds the choice.
std::string& chooseSnapshotFile(Window& window, std::string& fileName);

// Captures the window's picture, asks for the name, puts the capture back on the window
// (repairing what the dialog covered) and writes the file. Returns 1 in every case;
// failures are reported by their own messages.
std::int32_t MakeSnapshot(Window& window, std::string& fileName);

// The format a snapshot's name asks for, by its last four characters ignoring case.
enum class SnapshotFormat { none, bmp, pcx, png, svg };
SnapshotFormat snapshotFormatOf(const std::string& fileName);

// Writes `picture` to `fileName` in `format`, with the format's messages on failure
// ("Bitmap file is not created", …). True when written. An SVG is not made from
// `picture` but from the window's fresh full paint of the view (recordFullPaint).
// An unknown format writes nothing and says so.
bool writeSnapshotFile(Window& window, const std::string& fileName, SnapshotFormat format, const PictureView& picture);

} // namespace mirokel

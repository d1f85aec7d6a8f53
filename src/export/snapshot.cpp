// The snapshot command: capture, save dialog, repair and the writer of the chosen format.
#include "export/snapshot.h"

#include "export/bitmap_file.h"
#include "export/file_bytes.h"
#include "export/pcx_file.h"
#include "export/svg_file.h"
#include "platform/allocation.h"
#include "platform/canvas.h"
#include "platform/paint_record.h"

#include <algorithm>
#include <cctype>

namespace mirokel {

namespace {

constexpr const char* bitmapCaption = "About Bitmap";
constexpr const char* pngCaption = "About PNG";

bool endsWithIgnoringCase(const std::string& name, const char* ending)
{
    const std::string_view tail = std::string_view(name).substr(name.size() - 4);
    return std::equal(tail.begin(), tail.end(), ending, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

bool writeBmp(Window& window, const std::string& fileName, const PictureView& picture)
{
    std::uint8_t* info = makeBitmapInfo(window, picture.width, picture.height, 1, 32);
    const bool written = info != nullptr && writeBmpFile(window, fileName, info, picture);
    releaseMemory(info);
    if (!written) showMessage(window, "Bitmap file is not created", bitmapCaption);
    return written;
}

bool writePng(Window& window, const std::string& fileName, const PictureView& picture)
{
    const std::string bytes = window.services.encodePng(picture.pixels, picture.width, picture.height);
    const bool written =
        !bytes.empty() && writeFileBytes(window, fileName, bytes, pngCaption, "ERROR while writing PNG file!");
    if (!written) showMessage(window, "PNG file is not created", pngCaption);
    return written;
}

// A vector picture is recorded from a fresh paint of the view, not read from the pixels.
bool writeSvg(Window& window, const std::string& fileName)
{
    PaintRecord record;
    if (window.services.recordFullPaint(record)) return writeSvgFile(window, fileName, record);
    showMessage(window, "SVG file is not created", "About SVG");
    return false;
}

} // namespace

std::string& chooseSnapshotFile(Window& window, std::string& fileName)
{
    fileName.clear();
    SaveFileRequest request;
    request.title = "Snapshot File Name";
    request.filters = {{"Bitmap Files (*.bmp)", "*.bmp"},
                       {"PCX Files (*.pcx)", "*.pcx"},
                       {"PNG Files (*.png)", "*.png"},
                       {"SVG Files (*.svg)", "*.svg"}};
    request.defaultExtension = "bmp";
    request.confirmOverwrite = true;
    fileName = window.dialogs.chooseSaveFile(request);
    return fileName;
}

SnapshotFormat snapshotFormatOf(const std::string& fileName)
{
    if (fileName.size() <= 4) return SnapshotFormat::none; // a name of the ending alone is none
    if (endsWithIgnoringCase(fileName, ".pcx")) return SnapshotFormat::pcx;
    if (endsWithIgnoringCase(fileName, ".bmp")) return SnapshotFormat::bmp;
    if (endsWithIgnoringCase(fileName, ".png")) return SnapshotFormat::png;
    if (endsWithIgnoringCase(fileName, ".svg")) return SnapshotFormat::svg;
    return SnapshotFormat::none;
}

bool writeSnapshotFile(Window& window, const std::string& fileName, SnapshotFormat format, const PictureView& picture)
{
    switch (format) {
    case SnapshotFormat::bmp: return writeBmp(window, fileName, picture);
    // Every pixel that is not exactly the background of a fresh canvas, white, is foreground.
    case SnapshotFormat::pcx:
        if (writePcxFile(window, fileName, picture, colors::white)) return true;
        showMessage(window, "PCX file is not created", bitmapCaption);
        return false;
    case SnapshotFormat::png: return writePng(window, fileName, picture);
    case SnapshotFormat::svg: return writeSvg(window, fileName);
    case SnapshotFormat::none: break;
    }
    // The user would otherwise believe the picture saved.
    showMessage(window, "Nothing was saved: the name must end in .bmp, .pcx, .png or .svg", " MakeSnapshot ");
    return false;
}

std::int32_t MakeSnapshot(Window& window, std::string& fileName)
{
    Surface* surface = window.services.clientPicture();
    if (surface == nullptr) return 1;
    const std::int32_t w = surface->width();
    const std::int32_t h = surface->height();
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    // The picture is captured before the save dialog can cover the window.
    auto* capture = allocateArray<std::uint32_t>(count);
    if (capture == nullptr) {
        showMessage(window, "Нет памяти для snapshot bitmap!", " MakeSnapshot ");
        return 1;
    }
    std::copy(surface->pixels(), surface->pixels() + count, capture);
    if (!chooseSnapshotFile(window, fileName).empty()) {
        // The capture goes back on the window, repairing what the dialog covered.
        if (surface->width() == w && surface->height() == h) std::copy(capture, capture + count, surface->pixels());
        writeSnapshotFile(window, fileName, snapshotFormatOf(fileName), {capture, w, h});
    }
    releaseMemory(capture);
    return 1;
}

} // namespace mirokel

// Shapes as SVG elements. Pixel (x, y) is the unit square x … x + 1, y … y + 1; edges are
// drawn crisp so that filled rectangles cover exactly the pixels the raster sets.
#include "export/svg_file.h"

#include "export/file_bytes.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace mirokel {

namespace {

std::string colorText(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

// Text content and attribute values: the markup characters escaped, control characters
// (not allowed in XML) dropped.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

void filledBox(std::ostream& out, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
               Color color)
{
    if (right <= left || bottom <= top) return;
    out << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << right - left << "\" height=\""
        << bottom - top << "\" fill=\"" << colorText(color) << "\"/>\n";
}

// Horizontal and vertical lines are exact runs of pixels; any other is a 1-pixel stroke
// between the centres of its first and its (excluded) end pixel.
void line(std::ostream& out, const RecordedShape& s)
{
    if (s.y0 == s.y1) {
        const std::int64_t from = s.x1 > s.x0 ? s.x0 : std::int64_t{s.x1} + 1;
        const std::int64_t to = s.x1 > s.x0 ? s.x1 : std::int64_t{s.x0} + 1;
        filledBox(out, from, s.y0, to, std::int64_t{s.y0} + 1, s.pen);
    } else if (s.x0 == s.x1) {
        const std::int64_t from = s.y1 > s.y0 ? s.y0 : std::int64_t{s.y1} + 1;
        const std::int64_t to = s.y1 > s.y0 ? s.y1 : std::int64_t{s.y0} + 1;
        filledBox(out, s.x0, from, std::int64_t{s.x0} + 1, to, s.pen);
    } else {
        out << "<line x1=\"" << s.x0 + 0.5 << "\" y1=\"" << s.y0 + 0.5 << "\" x2=\"" << s.x1 + 0.5 << "\" y2=\""
            << s.y1 + 0.5 << "\" stroke=\"" << colorText(s.pen) << "\" stroke-width=\"1\"/>\n";
    }
}

// The outline is the box less its inside, the inside the brush.
void rectangle(std::ostream& out, const RecordedShape& s)
{
    const std::int64_t l = s.x0, t = s.y0, r = s.x1, b = s.y1;
    if (r - l <= 2 || b - t <= 2) {
        filledBox(out, l, t, r, b, s.pen);
        return;
    }
    if (!s.brush.hollow) filledBox(out, l + 1, t + 1, r - 1, b - 1, s.brush.color);
    out << "<path fill-rule=\"evenodd\" fill=\"" << colorText(s.pen) << "\" d=\"M" << l << ' ' << t << 'H' << r
        << 'V' << b << 'H' << l << "Z M" << l + 1 << ' ' << t + 1 << 'V' << b - 1 << 'H' << r - 1 << 'V' << t + 1
        << "Z\"/>\n";
}

// The ellipse through the centres of the outline's outermost pixels.
void ellipse(std::ostream& out, const RecordedShape& s)
{
    const auto half = [](std::int64_t v) { return static_cast<double>(v) / 2; };
    const double cx = half(std::int64_t{s.x0} + s.x1), cy = half(std::int64_t{s.y0} + s.y1);
    const double rx = half(std::int64_t{s.x1} - s.x0 - 1), ry = half(std::int64_t{s.y1} - s.y0 - 1);
    out << "<ellipse cx=\"" << cx << "\" cy=\"" << cy << "\" rx=\"" << rx << "\" ry=\"" << ry << "\" fill=\""
        << (s.brush.hollow ? std::string("none") : colorText(s.brush.color)) << "\" stroke=\"" << colorText(s.pen)
        << "\" stroke-width=\"1\"/>\n";
}

// The run's opaque background is its cell; the text sits on the engine's baseline and is
// fitted to the width the engine advanced, so that it lines up with the raster whatever
// the viewer's font.
void text(std::ostream& out, const RecordedShape& s)
{
    const TextRun& run = s.run;
    const TextFace& face = s.face;
    if (run.mode == BackgroundMode::opaque)
        filledBox(out, run.x, run.y, std::int64_t{run.x} + face.width, std::int64_t{run.y} + face.height,
                  run.background);
    out << "<text x=\"" << run.x << "\" y=\"" << std::int64_t{run.y} + face.ascent << "\" font-family=\""
        << escaped(face.family) << "\" font-size=\"" << face.pixelSize << "\"";
    if (face.stretch != 100) out << " font-stretch=\"" << face.stretch << "%\"";
    if (face.width > 0) out << " textLength=\"" << face.width << "\" lengthAdjust=\"spacingAndGlyphs\"";
    out << " fill=\"" << colorText(run.color) << "\" xml:space=\"preserve\">" << escaped(face.shown) << "</text>\n";
}

void shape(std::ostream& out, const RecordedShape& s)
{
    switch (s.kind) {
    case ShapeKind::line: line(out, s); return;
    case ShapeKind::rectangle: rectangle(out, s); return;
    case ShapeKind::ellipse: ellipse(out, s); return;
    case ShapeKind::pixel: filledBox(out, s.x0, s.y0, std::int64_t{s.x0} + 1, std::int64_t{s.y0} + 1, s.pen); return;
    case ShapeKind::text: text(out, s); return;
    }
}

void clipPaths(std::ostream& out, const PaintRecord& record)
{
    out << "<defs>\n";
    for (std::size_t i = 0; i < record.clips.size(); ++i) {
        out << "<clipPath id=\"c" << i << "\">\n";
        for (const Rect& r : record.clips[i].rects()) filledBox(out, r.left, r.top, r.right, r.bottom, colors::black);
        out << "</clipPath>\n";
    }
    out << "</defs>\n";
}

} // namespace

std::string svgDocument(const PaintRecord& record)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(1); // every coordinate is a whole or a half pixel
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << record.width << "\" height=\"" << record.height
        << "\" viewBox=\"0 0 " << record.width << ' ' << record.height << "\" shape-rendering=\"crispEdges\">\n";
    clipPaths(out, record);
    filledBox(out, 0, 0, record.width, record.height, colors::white);
    // Consecutive shapes of one clip share a group.
    for (std::size_t i = 0; i < record.shapes.size();) {
        const std::size_t clip = record.shapes[i].clip;
        out << "<g clip-path=\"url(#c" << clip << ")\">\n";
        for (; i < record.shapes.size() && record.shapes[i].clip == clip; ++i) shape(out, record.shapes[i]);
        out << "</g>\n";
    }
    out << "</svg>\n";
    return out.str();
}

bool writeSvgFile(Window& window, const std::string& fileName, const PaintRecord& record)
{
    constexpr const char* caption = "About SVG";
    if (writeFileBytes(window, fileName, svgDocument(record), caption, "ERROR while writing SVG file!")) return true;
    showMessage(window, "SVG file is not created", caption);
    return false;
}

} // namespace mirokel

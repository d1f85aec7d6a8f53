// The SVG of a recorded paint, rasterised by an independent converter (rsvg-convert) and
// compared with the canvas's own raster of the same paint, and the document's escaping.
#include "export/svg_file.h"
#include "platform/canvas.h"
#include "platform/paint_record.h"

#include "block_text_engine.h"
#include "scratch_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace mirokel {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text) { return "'" + text + "'"; }

void writePpm(const Surface& surface, const fs::path& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << surface.width() << ' ' << surface.height() << "\n255\n";
    for (std::int32_t i = 0; i < surface.width() * surface.height(); ++i) {
        const Color c = Color::fromRgb32(surface.pixels()[i]);
        out << static_cast<char>(c.r) << static_cast<char>(c.g) << static_cast<char>(c.b);
    }
}

// The number of pixels in which the rasterised SVG of `record` differs from `surface`
// (ImageMagick's compare; antialiased edges within `fuzz` percent count as equal), or −1
// when the SVG could not be converted or compared.
long differingPixels(const PaintRecord& record, const Surface& surface, int fuzz)
{
    const fs::path dir = test::scratchDirectory("mirokel_svg");
    const std::string svg = (dir / "a.svg").string(), png = (dir / "a.png").string();
    const std::string ppm = (dir / "a.ppm").string(), count = (dir / "count").string();
    std::ofstream(svg, std::ios::binary) << svgDocument(record);
    writePpm(surface, ppm);
    long differing = -1;
    if (std::system(("rsvg-convert " + quoted(svg) + " -o " + quoted(png)).c_str()) == 0) {
        const std::string compare = "compare -fuzz " + std::to_string(fuzz) + "% -metric AE " + quoted(png) + " " +
                                    quoted(ppm) + " null: 2>" + quoted(count);
        [[maybe_unused]] const int status = std::system(compare.c_str());
        const std::string text = test::readFile(count);
        if (!text.empty()) differing = std::strtol(text.c_str(), nullptr, 10);
    }
    fs::remove_all(dir);
    return differing;
}

struct PaintCase {
    const char* name;
    std::function<void(Canvas&)> paint;
    long tolerated; // differing pixels allowed: antialiasing of slanted edges only
};

// Each paint is drawn twice on the same clip of two rectangles that cut every shape.
TEST(SvgPicture, RasterisedLikeTheCanvasRaster)
{
    const PaintCase cases[] = {
        {"boxes, runs and pixels",
         [](Canvas& c) {
             c.selectPen(colors::blue);
             c.selectBrush({colors::red, false});
             c.rectangle(2, 3, 50, 30);
             c.selectBrush({colors::red, true});
             c.rectangle(40, 10, 70, 36);
             c.rectangle(5, 33, 7, 39); // two columns: all outline
             c.moveTo(60, 2);
             c.lineTo(3, 2); // leftward: (60, 2) … (4, 2)
             c.lineTo(3, 38);
             c.lineTo(3, 20); // upward
             c.setPixel(20, 35, colors::black);
             c.setPixel(79, 39, colors::black);
         },
         0},
        {"slanted lines and ellipses",
         [](Canvas& c) {
             c.selectPen(colors::black);
             c.moveTo(0, 0);
             c.lineTo(79, 39);
             c.lineTo(10, 30);
             c.selectBrush({colors::blue, false});
             c.ellipse(20, 5, 60, 35);
             c.selectBrush({colors::blue, true});
             c.ellipse(62, 4, 78, 20);
         },
         40},
    };
    ClipRegion clip(Rect{0, 0, 45, 40});
    clip.add({50, 5, 80, 40});
    for (const PaintCase& paintCase : cases) {
        Surface surface(80, 40);
        test::BlockTextEngine text;
        Canvas canvas(surface, text);
        PaintRecord record;
        canvas.record(&record);
        canvas.setClip(clip);
        paintCase.paint(canvas);
        ASSERT_FALSE(record.shapes.empty());
        EXPECT_EQ(record.clips.size(), 1u) << paintCase.name;
        const long differing = differingPixels(record, surface, 50);
        EXPECT_GE(differing, 0) << paintCase.name;
        EXPECT_LE(differing, paintCase.tolerated) << paintCase.name;
    }
}

// A shape outside the clip is not recorded; the text is escaped and keeps its layout.
TEST(SvgPicture, TextIsEscapedAndPlacedOnTheEnginesBaseline)
{
    Surface surface(100, 40);
    test::BlockTextEngine text;
    Canvas canvas(surface, text);
    PaintRecord record;
    canvas.record(&record);
    canvas.setClip(Rect{0, 0, 50, 40});
    canvas.setPixel(60, 5, colors::black);
    canvas.setTextColor(colors::red);
    canvas.setBackgroundMode(BackgroundMode::transparent);
    canvas.textOut(4, 10, "a<b & \"c\"\x01");
    ASSERT_EQ(record.shapes.size(), 1u);
    const std::string svg = svgDocument(record);
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"40\""), std::string::npos);
    // The block engine's cell is 16 high: the baseline at 4/5 of it, 12 below the top.
    EXPECT_NE(svg.find("<text x=\"4\" y=\"22\" font-family=\"sans-serif\" font-size=\"16\" textLength=\"70\""),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("fill=\"#ff0000\" xml:space=\"preserve\">a&lt;b &amp; &quot;c&quot;</text>"),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<clipPath id=\"c0\">\n<rect x=\"0\" y=\"0\" width=\"50\" height=\"40\""), std::string::npos);
}

} // namespace
} // namespace mirokel

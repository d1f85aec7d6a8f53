// The snapshot files byte by byte (BMP headers and rows, PCX header, bits and run-length
// codes) and the snapshot command on the headless window: the save dialog, the extension
// rule, unwritable paths and an out-of-memory failure at each allocation.
#include "export/bitmap_file.h"
#include "export/little_endian.h"
#include "export/pcx_file.h"
#include "export/snapshot.h"
#include "platform/allocation.h"
#include "platform/canvas.h"
#include "platform/scripted/scripted_window.h"

#include "scratch_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace mirokel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path scratchDirectory() { return mirokel::test::scratchDirectory("mirokel_snapshot"); }

Bytes readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PictureView viewOf(const Surface& surface) { return {surface.pixels(), surface.width(), surface.height()}; }

TEST(PcxCodes, RunsOfAtMost63AndSingleBytesBelow0xC0)
{
    struct Case {
        Bytes row;
        Bytes codes;
    };
    const std::vector<Case> cases = {
        {Bytes(16, 0xFF), {0xD0, 0xFF}},                           // a white row 100 pixels wide
        {Bytes(72, 0xFF), {0xFF, 0xFF, 0xC9, 0xFF}},               // 576 wide: 63, then 9
        {Bytes(63, 0x00), {0xFF, 0x00}},                           // a run of exactly 63 ends there
        {Bytes(64, 0x12), {0xFF, 0x12, 0x12}},                     // the 64th byte alone
        {{0x00, 0xC3, 0x00}, {0x00, 0xC1, 0xC3, 0x00}},            // a lone 0xC3 needs its count
        {{0xFF, 0x3C, 0xFF}, {0xC1, 0xFF, 0x3C, 0xC1, 0xFF}},      // a lone 0x3C is itself
        {{0xBF, 0xBF, 0xC0}, {0xC2, 0xBF, 0xC1, 0xC0}},
    };
    for (const Case& c : cases) {
        Bytes codes(2 * c.row.size());
        codes.resize(encodePcxRow(c.row.data(), c.row.size(), codes.data()));
        EXPECT_EQ(codes, c.codes) << "row of " << c.row.size() << " bytes";
    }
}

TEST(PcxCodes, AlternatingHighBytesTakeTwiceTheRow)
{
    Bytes row(72);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = i % 2 == 0 ? 0xC5 : 0xC6;
    Bytes codes(2 * row.size() + 8, 0xEE);
    EXPECT_EQ(encodePcxRow(row.data(), row.size(), codes.data()), 2 * row.size());
    EXPECT_EQ(codes[2 * row.size()], 0xEE); // nothing beyond
}

class SnapshotFiles : public testing::Test {
protected:
    ScriptedWindow scripted;
    fs::path dir = scratchDirectory();
};

TEST_F(SnapshotFiles, PcxHeaderBitsAndRowsOfAWhiteWindow)
{
    for (const auto& [width, bpl, row] : {std::tuple{100, 16, Bytes{0xD0, 0xFF}},
                                          std::tuple{576, 72, Bytes{0xFF, 0xFF, 0xC9, 0xFF}}}) {
        Surface surface(width, 3);
        const fs::path file = dir / "white.pcx";
        ASSERT_TRUE(writePcxFile(scripted.window(), file.string(), viewOf(surface), colors::white));
        const Bytes bytes = readBytes(file);
        ASSERT_EQ(bytes.size(), 128 + 3 * row.size());
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{10, 5, 1, 1}));
        EXPECT_EQ(get16(&bytes[4]), 0u);
        EXPECT_EQ(get16(&bytes[8]), static_cast<std::uint32_t>(width - 1));
        EXPECT_EQ(get16(&bytes[10]), 2u);
        EXPECT_EQ(get16(&bytes[12]), 640u);
        EXPECT_EQ(get16(&bytes[14]), 480u);
        EXPECT_EQ(Bytes(bytes.begin() + 16, bytes.begin() + 22), (Bytes{0, 0, 0, 255, 255, 255}));
        EXPECT_EQ(bytes[65], 1);
        EXPECT_EQ(get16(&bytes[66]), static_cast<std::uint32_t>(bpl));
        EXPECT_EQ(get16(&bytes[68]), 1u);
        for (const std::size_t zero : {22u, 64u, 70u, 72u, 127u}) EXPECT_EQ(bytes[zero], 0) << zero;
        for (std::size_t y = 0; y < 3; ++y)
            EXPECT_EQ(Bytes(bytes.begin() + 128 + y * row.size(), bytes.begin() + 128 + (y + 1) * row.size()), row);
    }
}

TEST_F(SnapshotFiles, PcxBitIsOneOnlyForExactlyTheBackground)
{
    Surface surface(10, 1);
    surface.pixels()[0] = Color{254, 255, 255}.rgb32(); // slightly off-white
    surface.pixels()[9] = Color{0, 0, 255}.rgb32();
    surface.pixels()[3] = 0x00FFFFFFu; // the top byte is not part of the colour
    const fs::path file = dir / "bits.pcx";
    ASSERT_TRUE(writePcxFile(scripted.window(), file.string(), viewOf(surface), colors::white));
    const Bytes bytes = readBytes(file);
    // bpl 4: 0111 1111, 1011 1111 (bit 9 is 0, the bits beyond the width 1), then 0xFF 0xFF.
    EXPECT_EQ(Bytes(bytes.begin() + 128, bytes.end()), (Bytes{0x7F, 0xBF, 0xC2, 0xFF}));
}

TEST(BitmapInfo, DepthRaisedToTheNextFormatDepth)
{
    const std::vector<std::pair<int, int>> cases = {{1, 1}, {2, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 16},
                                                    {16, 16}, {17, 24}, {24, 24}, {25, 32}, {32, 32}, {64, 32}};
    for (const auto& [bits, depth] : cases) EXPECT_EQ(bitmapDepth(1, static_cast<std::uint16_t>(bits)), depth) << bits;
    EXPECT_EQ(bitmapDepth(3, 8), 24); // planes × bits
}

TEST_F(SnapshotFiles, BmpHeadersAndBottomUpRowsForSeveralWidths)
{
    for (const std::int32_t width : {1, 8, 100, 101, 576}) {
        const std::int32_t height = 3;
        Surface surface(width, height);
        surface.pixels()[0] = Color{1, 2, 3}.rgb32();                               // top left
        surface.pixels()[static_cast<std::size_t>(width) * 2 + width - 1] = Color{4, 5, 6}.rgb32(); // bottom right
        std::uint8_t* info = makeBitmapInfo(scripted.window(), width, height, 1, 32);
        ASSERT_NE(info, nullptr);
        const fs::path file = dir / "picture.bmp";
        ASSERT_TRUE(writeBmpFile(scripted.window(), file.string(), info, viewOf(surface)));
        releaseMemory(info);
        const Bytes bytes = readBytes(file);
        const std::uint32_t imageSize = static_cast<std::uint32_t>((width + 7) / 8 * height * 32);
        ASSERT_EQ(bytes.size(), 54 + imageSize) << width;
        EXPECT_EQ(get16(&bytes[0]), 0x4D42u);
        EXPECT_EQ(get32(&bytes[2]), 54 + imageSize);
        EXPECT_EQ(get32(&bytes[6]), 0u);
        EXPECT_EQ(get32(&bytes[10]), 54u);
        EXPECT_EQ(get32(&bytes[14]), 40u);
        EXPECT_EQ(get32(&bytes[18]), static_cast<std::uint32_t>(width));
        EXPECT_EQ(get32(&bytes[22]), static_cast<std::uint32_t>(height));
        EXPECT_EQ(get16(&bytes[26]), 1u);
        EXPECT_EQ(get16(&bytes[28]), 32u);
        EXPECT_EQ(get32(&bytes[30]), 0u);
        EXPECT_EQ(get32(&bytes[34]), imageSize);
        for (const std::size_t at : {38u, 42u, 46u, 50u}) EXPECT_EQ(get32(&bytes[at]), 0u);
        // Rows bottom-up, 4 bytes per pixel: the bottom-right pixel in the first row, the
        // top-left one at the start of the last.
        const std::size_t row = 4 * static_cast<std::size_t>(width);
        EXPECT_EQ(Bytes(bytes.begin() + 54 + row - 4, bytes.begin() + 54 + row), (Bytes{6, 5, 4, 0}));
        EXPECT_EQ(Bytes(bytes.begin() + 54 + 2 * row, bytes.begin() + 54 + 2 * row + 4), (Bytes{3, 2, 1, 0}));
        if (width > 1) {
            EXPECT_EQ(Bytes(bytes.begin() + 54 + 2 * row + 4, bytes.begin() + 54 + 2 * row + 8), (Bytes{255, 255, 255, 0}));
        }
        // The surplus of the declared size (width 101: 416 bytes a row declared, 404 held) is zero.
        const auto surplus = std::count(bytes.begin() + 54 + 3 * row, bytes.end(), 0);
        EXPECT_EQ(static_cast<std::size_t>(surplus), imageSize - 3 * row) << width;
    }
}

TEST_F(SnapshotFiles, BmpOfADepthTheCaptureIsNotRefused)
{
    Surface surface(4, 4);
    std::uint8_t* info = makeBitmapInfo(scripted.window(), 4, 4, 1, 8);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(bitmapInfoSize(info), 40u + 4 * 256);
    EXPECT_EQ(get32(info + 32), 256u);
    EXPECT_FALSE(writeBmpFile(scripted.window(), (dir / "a.bmp").string(), info, viewOf(surface)));
    releaseMemory(info);
    EXPECT_EQ(scripted.messages(), (std::vector<RecordedMessage>{{"GetDIBits ERROR!", "About Bitmap"}}));
    EXPECT_FALSE(fs::exists(dir / "a.bmp"));
}

// The snapshot command on a headless window with a picture of 40 × 20 pixels.
class SnapshotCommand : public SnapshotFiles {
protected:
    SnapshotCommand()
    {
        surface.pixels()[0] = Color{10, 20, 30}.rgb32();
        scripted.services.picture = &surface;
        scripted.services.pngEncoder = [](const std::uint32_t*, std::int32_t width, std::int32_t height) {
            return "PNG " + std::to_string(width) + "x" + std::to_string(height);
        };
    }
    // Answers the save dialog with `name` and runs the command; the messages it showed.
    std::vector<RecordedMessage> snapshot(const std::string& name)
    {
        scripted.clearMessages();
        scripted.dialogs.saveFileNames = {name};
        EXPECT_EQ(MakeSnapshot(scripted.window(), fileName), 1);
        return scripted.messages();
    }

    Surface surface{40, 20};
    std::string fileName = "left from before";
};

TEST_F(SnapshotCommand, DialogAskedWithTheFileTypesAndCancelWritesNothing)
{
    EXPECT_TRUE(snapshot("").empty());
    EXPECT_EQ(fileName, "");
    ASSERT_EQ(scripted.dialogs.saveRequests.size(), 1u);
    const SaveFileRequest& request = scripted.dialogs.saveRequests[0];
    EXPECT_EQ(request.title, "Snapshot File Name");
    EXPECT_EQ(request.filters, (std::vector<std::pair<std::string, std::string>>{
                                   {"Bitmap Files (*.bmp)", "*.bmp"}, {"PCX Files (*.pcx)", "*.pcx"},
                                   {"PNG Files (*.png)", "*.png"}, {"SVG Files (*.svg)", "*.svg"}}));
    EXPECT_EQ(request.defaultExtension, "bmp");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(SnapshotCommand, ExtensionInAnyCaseChoosesTheFormat)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a.bmp", "BM"}, {"A.BMP", "BM"}, {"b.Pcx", "\x0a\x05"}, {"c.PNG", "PNG 40x20"}};
    for (const auto& [name, start] : cases) {
        const fs::path file = dir / name;
        EXPECT_TRUE(snapshot(file.string()).empty()) << name;
        EXPECT_EQ(fileName, file.string());
        const Bytes bytes = readBytes(file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start.size())), start) << name;
    }
    // The top-left pixel of the capture starts the last row of the bitmap.
    const Bytes bmp = readBytes(dir / "A.BMP");
    EXPECT_EQ(Bytes(bmp.begin() + 54 + 19 * 160, bmp.begin() + 54 + 19 * 160 + 4), (Bytes{30, 20, 10, 0}));
}

TEST_F(SnapshotCommand, OtherNamesWriteNothingAndSaySo)
{
    // ".bmp" is the ending alone, no name.
    for (const std::string& name : {(dir / "a.gif").string(), (dir / "picture").string(), (dir / "a.bmpx").string(),
                                   std::string(".bmp")}) {
        EXPECT_EQ(snapshot(name), (std::vector<RecordedMessage>{
                                      {"Nothing was saved: the name must end in .bmp, .pcx, .png or .svg", " MakeSnapshot "}}))
            << name;
        EXPECT_FALSE(fs::exists(name)) << name;
    }
}

TEST_F(SnapshotCommand, UnwritablePathsShowTheirMessagesAndKeepTheFile)
{
    const fs::path existing = dir / "kept.bmp";
    std::ofstream(existing) << "old";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const bool enforced = access(dir.c_str(), W_OK) != 0; // root writes anywhere
    for (const auto& [name, caption, notCreated] :
         {std::tuple{"kept.bmp", "About Bitmap", "Bitmap file is not created"},
          std::tuple{"new.pcx", "About PCX", "PCX file is not created"},
          std::tuple{"new.png", "About PNG", "PNG file is not created"}}) {
        const std::string notCreatedCaption = std::string(caption) == "About PNG" ? "About PNG" : "About Bitmap";
        if (enforced) {
            EXPECT_EQ(snapshot((dir / name).string()),
                      (std::vector<RecordedMessage>{{"CreateFile ERROR!", caption}, {notCreated, notCreatedCaption}}));
        }
        EXPECT_EQ(snapshot((dir / "missing" / name).string()),
                  (std::vector<RecordedMessage>{{"CreateFile ERROR!", caption}, {notCreated, notCreatedCaption}}));
    }
    fs::permissions(dir, fs::perms::owner_all);
    std::ifstream in(existing);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
}

TEST_F(SnapshotCommand, PngWithoutAnImageWriterIsNotCreated)
{
    scripted.services.pngEncoder = nullptr;
    EXPECT_EQ(snapshot((dir / "a.png").string()),
              (std::vector<RecordedMessage>{{"PNG file is not created", "About PNG"}}));
    EXPECT_FALSE(fs::exists(dir / "a.png"));
}

// Every allocation of a snapshot, made to fail in turn: its messages, no file, nothing
// left allocated; with the allocation after the last one failing the file is written.
TEST_F(SnapshotCommand, OutOfMemoryAtEachAllocation)
{
    const RecordedMessage capture{"Нет памяти для snapshot bitmap!", " MakeSnapshot "};
    const RecordedMessage noBitmap{"Bitmap file is not created", "About Bitmap"};
    const RecordedMessage noPcx{"PCX file is not created", "About Bitmap"};
    const std::vector<std::pair<std::string, std::vector<std::vector<RecordedMessage>>>> formats = {
        {"a.bmp",
         {{capture}, {{"Нет памяти для BITMAPINFO", "About Bitmap"}, noBitmap}, {{"GlobalAlloc ERROR!", "About Bitmap"}, noBitmap}}},
        {"a.pcx",
         {{capture},
          {{"Нет памяти для буфера строки!", "About PCX"}, noPcx},
          {{"Нет памяти для кодов строки!", "About PCX"}, noPcx},
          {{"Нет памяти для PCX file!", "About PCX"}, noPcx}}},
    };
    for (const auto& [name, failures] : formats) {
        const fs::path file = dir / name;
        for (std::size_t k = 1; k <= failures.size() + 1; ++k) {
            const std::int64_t live = liveAllocations();
            failAllocationAt(static_cast<std::int64_t>(k));
            const std::vector<RecordedMessage> messages = snapshot(file.string());
            failAllocationAt(0);
            EXPECT_EQ(liveAllocations(), live) << name << ", allocation " << k;
            if (k <= failures.size()) {
                EXPECT_EQ(messages, failures[k - 1]) << name << ", allocation " << k;
                EXPECT_FALSE(fs::exists(file)) << name << ", allocation " << k;
            } else {
                EXPECT_TRUE(messages.empty()) << name;
                EXPECT_TRUE(fs::exists(file)) << name;
            }
        }
    }
}

} // namespace
} // namespace mirokel

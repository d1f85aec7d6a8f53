// The geometry of the main window: button column, alphabet grid and selector boxes.
#include "ui/layout.h"

namespace mirokel {

namespace {

constexpr std::int32_t margin = 10;          // space around and between cells and boxes
constexpr std::int32_t buttonRowStep = 42;   // from one face's top to the next one's
constexpr std::int32_t buttonColumnLeft = 154; // left edge of the faces, from the right
constexpr std::int32_t buttonColumnRight = 11;
constexpr std::int32_t selectorLines = 6;    // height of a selector box, lines

Rect faceRowAt(std::int32_t clientWidth, std::int32_t top)
{
    return {clientWidth - buttonColumnLeft, top, clientWidth - buttonColumnRight, top + buttonFaceHeight - 1};
}

} // namespace

AlphabetGridShape alphabetGridShape(std::uint16_t etalonCount)
{
    std::int32_t i = 1;
    while (i * (i + 1) < etalonCount) ++i;
    return {i + 1, i};
}

bool hasSelectFace(std::uint16_t processingMode)
{
    return processingMode != task_type::detection && processingMode != processing_mode::tupleDetection &&
           processingMode != processing_mode::tupleRecognition;
}

void layOutButtonColumn(AppState& s, std::int32_t clientWidth, std::int32_t clientHeight)
{
    const std::int32_t bottomRow = clientHeight - margin - buttonFaceHeight; // B − 42
    s.rcExitButton = faceRowAt(clientWidth, bottomRow);
    s.rcNextButton = faceRowAt(clientWidth, bottomRow - buttonRowStep);
    std::int32_t restartTop = bottomRow - 2 * buttonRowStep;
    if (hasSelectFace(s.wProcessingMode)) {
        s.rcSelectAllButton = s.rcUnselectAllButton = faceRowAt(clientWidth, restartTop);
        restartTop -= buttonRowStep;
    }
    s.rcRestartButton = faceRowAt(clientWidth, restartTop);
    const Rect selectRow = faceRowAt(clientWidth, bottomRow - 2 * buttonRowStep);
    s.rcButtonColumn = {selectRow.left, restartTop - buttonRowStep, selectRow.right, selectRow.bottom};
}

void layOutAlphabetGrid(AppState& s, std::int32_t clientWidth, std::int32_t clientHeight)
{
    const AlphabetGridShape grid = alphabetGridShape(s.wAlphabetSize);
    const std::int32_t availableWidth = clientWidth - 173;  // x = 10 … R − 164
    const std::int32_t availableHeight = clientHeight - 19; // y = 10 … B − 10
    s.wCellWidth = static_cast<std::uint16_t>((availableWidth - margin * (grid.columns + 1)) / grid.columns);
    s.wCellHeight = static_cast<std::uint16_t>((availableHeight - margin * (grid.rows + 1)) / grid.rows);
    s.wCellInnerWidth = static_cast<std::uint16_t>(s.wCellWidth - margin);
    s.wCellInnerHeight = static_cast<std::uint16_t>(s.wCellHeight - margin);

    // The sizes are read back unsigned, so an unsettled (negative) size gives a huge area.
    const std::int32_t cellWidth = s.wCellWidth;
    const std::int32_t cellHeight = s.wCellHeight;
    const std::int32_t gridWidth = cellWidth * grid.columns + margin * (grid.columns + 1);
    const std::int32_t gridHeight = cellHeight * grid.rows + margin * (grid.rows + 1);
    s.rcGraph = {margin, margin, margin + gridWidth - 1, margin + gridHeight - 1};

    for (std::int32_t i = 0; i < s.wAlphabetSize && i < static_cast<std::int32_t>(s.arcAlphabetCells.size()); ++i) {
        const std::int32_t left = 2 * margin + (i % grid.columns) * (cellWidth + margin);
        const std::int32_t top = 2 * margin + (i / grid.columns) * (cellHeight + margin);
        s.arcAlphabetCells[i] = {left, top, left + cellWidth - 1, top + cellHeight - 1};
    }
}

void layOutSelectorBoxes(AppState& s, std::int32_t clientWidth, bool withLostData)
{
    const std::int32_t left = s.rcGraph.right + margin;
    const std::int32_t right = clientWidth - margin;
    const std::int32_t height = selectorLines * s.dwLineHeight;
    s.rcSeriesLengthBox = {left, s.rcGraph.top, right, s.rcGraph.top + height};
    const std::int32_t noiseTop = s.rcSeriesLengthBox.bottom + s.dwLineHeight;
    s.rcNoiseBox = {left, noiseTop, right, noiseTop + height};
    if (!withLostData) return;
    const std::int32_t lostDataTop = s.rcNoiseBox.bottom + s.dwLineHeight;
    s.rcLostDataBox = {left, lostDataTop, right, lostDataTop + height};
}

} // namespace mirokel

// Text descriptions of the model's records.
#include "app/text_report.h"

#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace mirokel {

namespace {

constexpr int plotColumns = 100;
constexpr int plotHalfRows = 6;

// Etalon number e is shown as the character with code e + 96 (1 is 'a').
char etalonLetter(std::int32_t number) { return static_cast<char>(number + 96); }

// Column-wise extremes of the noisy samples, drawn as bars around a zero line.
std::string plotSamples(const std::int16_t* samples, std::int32_t count)
{
    if (count <= 0) return {};
    std::int32_t peak = 1;
    for (std::int32_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(std::int32_t{samples[i]}));
    const int columns = std::min<std::int32_t>(plotColumns, count);
    std::vector<std::int32_t> high(columns, 0), low(columns, 0);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto c = static_cast<std::size_t>(std::int64_t{i} * columns / count);
        high[c] = std::max(high[c], std::int32_t{samples[i]});
        low[c] = std::min(low[c], std::int32_t{samples[i]});
    }
    std::string picture;
    for (int row = plotHalfRows; row >= -plotHalfRows; --row) {
        for (int c = 0; c < columns; ++c) {
            const std::int32_t top = high[static_cast<std::size_t>(c)] * plotHalfRows / peak;
            const std::int32_t bottom = low[static_cast<std::size_t>(c)] * plotHalfRows / peak;
            const bool filled = row == 0 || (row > 0 && row <= top) || (row < 0 && row >= bottom);
            picture += filled ? (row == 0 ? '-' : '|') : ' ';
        }
        picture += '\n';
    }
    return picture;
}

} // namespace

std::string describeAlphabet(std::span<const PulseHeader> alphabet, std::uint16_t count)
{
    std::string text = "Alphabet of etalons\n";
    for (std::size_t i = 0; i < count && i < alphabet.size(); ++i) {
        const PulseHeader& etalon = alphabet[i];
        text += formatText("  %c %2d |", etalonLetter(etalon.wNumber), etalon.wNumber);
        for (std::int32_t j = 0; j < etalon.wLength && etalon.lpData != nullptr; ++j)
            text += formatText(" %4d", etalon.lpData[j]);
        text += '\n';
    }
    return text;
}

std::string describeSeries(const SeriesHeader& s)
{
    std::string text = formatText("Series of %d samples: %d pulses of length %d (bounds %d … %d), "
                                  "Tmin %d, Tmax %d, noise %d\n",
                                  s.dwSeriesSize, s.wImpulseQuantity, s.wImpulseSize, s.wMinPulses, s.wMaxPulses,
                                  s.wTmin, s.wTmax, s.wNoiseLevel);
    text += "  pulse  start  range        etalon  fragment\n";
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k) {
        text += formatText("  %5d  %5d  %5d … %-5d  %c %2d    %d … %d\n", k + 1, s.lpPositions[k], s.lpMinPositions[k],
                           s.lpMaxPositions[k], etalonLetter(s.lpEtalonNumbers[k]), s.lpEtalonNumbers[k],
                           s.lpFirstSamples[k], s.lpLastSamples[k]);
    }
    return text + plotSamples(s.lpNoisyData, s.dwSeriesSize);
}

std::string describeChains(const ChainsHeader& h, std::int32_t shown, std::int32_t impulseSize)
{
    std::string text = formatText("Best chains (%s, %s):\n", h.lpTaskName != nullptr ? h.lpTaskName : "-",
                                  h.lpSeriesName != nullptr ? h.lpSeriesName : "-");
    for (std::int32_t i = 0; i < h.wPretenders && i < shown; ++i) {
        text += formatText("  %d. measure %d, %d pulses:", i + 1, h.distance[i], h.lpChainSizes[i]);
        for (std::int32_t k = 0; k < h.lpChainSizes[i] && k < h.wMaxPulses; ++k) {
            text += formatText(" %c%d", etalonLetter(h.pulsesList[i][k]), h.lpChainPositions[i][k]);
            if (h.lpChainCutStart[i][k] != 0 || h.lpChainCutEnd[i][k] != impulseSize - 1)
                text += formatText("[%d..%d]", h.lpChainCutStart[i][k], h.lpChainCutEnd[i][k]);
        }
        text += '\n';
    }
    return text;
}

std::string describeDetection(const SeriesHeader& s)
{
    std::string text = formatText("  true     (%2d):", s.wImpulseQuantity);
    for (std::int32_t k = 0; k < s.wImpulseQuantity; ++k)
        text += formatText(" %c%d", etalonLetter(s.lpEtalonNumbers[k]), s.lpPositions[k]);
    text += formatText("\n  detected (%2d):", s.wDetPulses);
    for (std::int32_t k = 0; k < s.wDetPulses && k < s.wPulsesCapacity; ++k) {
        const std::int32_t number = s.lpDetEtalonNumbers[k];
        text += formatText(" %c%d", number >= 1 ? etalonLetter(number) : '?', s.lpDetPositions[k]);
    }
    return text + "\n";
}

} // namespace mirokel

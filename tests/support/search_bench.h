// Test bench of the searches: the start-up alphabet, a seeded series built and noised
// with the builder, and a chains record sized for it.
#pragma once

#include "engine/chains_header.h"
#include "model/series_builder.h"
#include "model_fixture.h"

#include <vector>

namespace mirokel::test {

struct SeriesSettings {
    std::int32_t length = 1200;
    std::uint16_t tmin = 40;
    std::uint16_t tmax = 181;
    std::uint16_t makeEnergy = 100;  // percent kept by every placed pulse
    std::int16_t noise = 20;
    bool unfixed = false;            // draw the pulse count
    std::uint16_t pulses = 0;        // 0: the midpoint of the bounds
};

class SearchBench : public AlphabetBench {
public:
    SearchBench() : sequence(2048, 1) {}
    ~SearchBench()
    {
        freeSeriesHeader(series);
        freeChainsHeader(window(), chains);
    }

    // Builds the next series of the streams with etalons drawn from `etalons` in turn.
    SeriesHeader& build(const SeriesSettings& s, const std::vector<std::uint16_t>& etalons)
    {
        for (std::size_t i = 0; i < sequence.size(); ++i) sequence[i] = etalons[i % etalons.size()];
        const PulseCountBounds b = seriesPulseCountBounds(static_cast<std::uint32_t>(s.length), 20, s.tmin, s.tmax);
        const auto pulses = s.pulses != 0 ? s.pulses : static_cast<std::uint16_t>((b.minPulses + b.maxPulses) / 2);
        auto* build = s.unfixed ? makeUnfixedSeries : getCutOffSeries;
        series = build(window(), 20, slots, 20, s.tmin, s.tmax, s.length, pulses, sequence, 128, s.makeEnergy, series,
                       streams);
        addNoise(window(), s.noise, 128, series, streams.wNoiseSeed);
        chains = getChainsHeader(window(), 10, series->wMaxPulses, chains);
        return *series;
    }

    std::vector<std::uint16_t> sequence;
    SeriesHeader* series = nullptr;
    ChainsHeader* chains = nullptr;
};

} // namespace mirokel::test

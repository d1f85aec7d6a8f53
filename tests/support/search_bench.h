// Test bench of the searches: the start-up alphabet, a seeded series built and noised
// with the builder, and a chains record sized for it.
#pragma once

#include "engine/chains_header.h"
#include "model/series_builder.h"
#include "model_fixture.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace mirokel::test {

// Everything a search writes: its result, the chains record, the series' sample block and
// detected counts, the messages shown and the debugging flag.
struct Outcome {
    std::int32_t result;
    std::vector<std::int32_t> header;
    std::vector<std::int16_t> rows;
    std::vector<std::int16_t> series;
    std::vector<std::int32_t> counts;
    std::vector<std::string> messages;

    bool operator==(const Outcome&) const = default;
};

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
                       streams, nullptr);
        addNoise(window(), s.noise, 128, series, streams.wNoiseSeed);
        chains = getChainsHeader(window(), 10, series->wMaxPulses, chains);
        return *series;
    }

    Outcome capture(std::int32_t result) const
    {
        const ChainsHeader& h = *chains;
        const SeriesHeader& s = *series;
        Outcome o{result, {h.wPretenders, h.wQuanPulses, h.wSeekingPulsesQuantity}, {}, {}, {}, {}};
        o.header.insert(o.header.end(), h.distance, h.distance + 2 * h.wMaxSize);
        o.rows.assign(h.lpRowBlock, h.lpRowBlock + 4 * h.wMaxSize * h.wMaxPulses);
        o.series.assign(s.lpPureData, s.lpPureData + 2 * s.dwMaxSeriesSize + perPulseArrays * s.wPulsesCapacity);
        o.counts = {s.wDetPulses, s.wDetTuples, s.wDetSubset, debugRepeat};
        for (const RecordedMessage& m : scripted.messages()) o.messages.push_back(m.caption + "|" + m.text);
        return o;
    }

    // Runs `direct` and then `fast` from the same states of both records, the messages and
    // the debugging flag, and tells whether they left the same outcome.
    bool sameOutcome(const std::function<std::int32_t()>& direct, const std::function<std::int32_t()>& fast)
    {
        const Outcome before = capture(0);
        const std::int32_t flag = debugRepeat;
        const Outcome expected = capture(direct());
        std::copy(before.series.begin(), before.series.end(), series->lpPureData);
        std::copy(before.rows.begin(), before.rows.end(), chains->lpRowBlock);
        std::copy(before.header.begin() + 3, before.header.end(), chains->distance);
        series->wDetPulses = static_cast<std::uint16_t>(before.counts[0]);
        series->wDetTuples = static_cast<std::uint16_t>(before.counts[1]);
        series->wDetSubset = static_cast<std::int16_t>(before.counts[2]);
        debugRepeat = flag;
        scripted.clearMessages();
        const Outcome actual = capture(fast());
        scripted.clearMessages();
        return actual == expected;
    }

    std::vector<std::uint16_t> sequence;
    SeriesHeader* series = nullptr;
    ChainsHeader* chains = nullptr;
    std::int32_t debugRepeat = 0;
};

} // namespace mirokel::test

// Shared test bench of the model tests: a headless window and the start-up alphabet.
#pragma once

#include "model/alphabet.h"
#include "model/random_streams.h"
#include "platform/scripted/scripted_window.h"

#include <array>

namespace mirokel::test {

struct AlphabetBench {
    AlphabetBench() { makeAlphabet(scripted.window(), 128, alphabetSlots, 20, slots, streams.wSeedRandomEtalons); }
    ~AlphabetBench() { releaseAlphabet(slots, alphabetSlots); }
    AlphabetBench(const AlphabetBench&) = delete;
    AlphabetBench& operator=(const AlphabetBench&) = delete;

    Window& window() { return scripted.window(); }

    ScriptedWindow scripted;
    RandomStreams streams;
    std::array<PulseHeader, alphabetSlots> slots{};
};

} // namespace mirokel::test

// A clock for tests: it reads `now` and advances it by `step` at every reading.
#pragma once

#include "platform/clock.h"

#include <string>

namespace mirokel {

class ScriptedClock final : public Clock {
public:
    std::int64_t secondsNow() override
    {
        const std::int64_t reading = now;
        now += step;
        return reading;
    }
    std::string localTimeText(std::int64_t seconds) override { return "t=" + std::to_string(seconds); }

    std::int64_t now = 1'000'000;
    std::int64_t step = 1;
};

} // namespace mirokel

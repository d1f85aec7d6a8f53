// The calendar clock: the current time in seconds and its local-time text.
#pragma once

#include <cstdint>
#include <string>

namespace mirokel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t secondsNow() = 0;
    // The local time of `seconds` as text, e.g. "Fri Dec 11 11:09:15 2026".
    virtual std::string localTimeText(std::int64_t seconds) = 0;
};

// The machine's clock.
class SystemClock final : public Clock {
public:
    std::int64_t secondsNow() override;
    std::string localTimeText(std::int64_t seconds) override;
};

} // namespace mirokel

// The machine's calendar clock.
#include "platform/clock.h"

#include <ctime>

namespace mirokel {

std::int64_t SystemClock::secondsNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::string SystemClock::localTimeText(std::int64_t seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", &local);
    return std::string(text, length);
}

} // namespace mirokel

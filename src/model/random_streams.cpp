// The two generators of the random source.
#include "model/random_streams.h"

#include "model/wrapping.h"

namespace mirokel {

namespace {
constexpr std::int32_t gaussDraws = 12;
constexpr std::int32_t gaussCentre = 196608; // 12 × 16384, the mean of the sum
} // namespace

std::int32_t gauss(std::uint16_t& state, std::int16_t mean, std::int16_t sigma)
{
    std::int32_t sum = 0;
    for (std::int32_t i = 0; i < gaussDraws; ++i) sum += next15(state);
    // The product is a 32-bit signed value: multiply with wrap-around, then shift
    // arithmetically (rounding toward minus infinity).
    const std::int32_t product = wrapMul(sum - gaussCentre, sigma);
    return wrapAdd(mean, product >> 15);
}

std::int32_t nextSequenceRandom(std::uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
}

} // namespace mirokel

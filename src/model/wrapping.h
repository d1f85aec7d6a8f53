// 32-bit signed arithmetic that wraps around as the machine's 32-bit registers do, without
// the undefined behaviour of signed overflow: costs, energies and sums of the system are
// 32-bit values and keep their bit patterns when they overflow.
#pragma once

#include <cstdint>

namespace mirokel {

inline std::int32_t wrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t wrapSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

inline std::int32_t wrapMul(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace mirokel

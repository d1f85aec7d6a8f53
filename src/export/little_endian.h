// Little-endian fields of the file headers.
#pragma once

#include <cstdint>

namespace mirokel {

inline void put16(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32(std::uint8_t* at, std::uint32_t value)
{
    put16(at, value);
    put16(at + 2, value >> 16);
}

inline std::uint32_t get16(const std::uint8_t* at) { return std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8); }

inline std::uint32_t get32(const std::uint8_t* at) { return get16(at) | (get16(at + 2) << 16); }

} // namespace mirokel

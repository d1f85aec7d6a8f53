// 32-bit signed arithmetic that wraps around as the machine's 32-bit registers do, without
// the undefined behaviour of signed overflow: costs, energies and sums of the system are
// 32-bit values and keep their bit patterns when they overflow.
#pragma once

#include <compare>
#include <cstdint>
#include <limits>

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

// A 32-bit signed value for formulas of several steps that the system computes in 32
// bits: +, − and × wrap as above, / truncates toward zero (the one quotient that does not
// fit, the least value / −1, wraps to the least value), >> shifts arithmetically.
// Dividing by 0 is for the caller to rule out.
class Wrap32 {
public:
    constexpr Wrap32(std::int32_t v = 0) : v(v) {}
    constexpr std::int32_t value() const { return v; }

    friend Wrap32 operator+(Wrap32 a, Wrap32 b) { return wrapAdd(a.v, b.v); }
    friend Wrap32 operator-(Wrap32 a, Wrap32 b) { return wrapSub(a.v, b.v); }
    friend Wrap32 operator-(Wrap32 a) { return wrapSub(0, a.v); }
    friend Wrap32 operator*(Wrap32 a, Wrap32 b) { return wrapMul(a.v, b.v); }
    friend Wrap32 operator/(Wrap32 a, Wrap32 b)
    {
        if (a.v == std::numeric_limits<std::int32_t>::min() && b.v == -1) return a;
        return a.v / b.v;
    }
    friend Wrap32 operator>>(Wrap32 a, int shift) { return a.v >> shift; }
    friend constexpr auto operator<=>(Wrap32, Wrap32) = default;

private:
    std::int32_t v;
};

} // namespace mirokel

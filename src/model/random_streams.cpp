// The two generators of the random source.
#include "model/random_streams.h"

namespace mirokel {

namespace {

constexpr std::int32_t gaussDraws = 12;

// An affine step x → a·x + c modulo a power of two, and its composition: applying `first`
// and then `second`.
struct AffineStep {
    std::uint64_t a;
    std::uint64_t c;
};

AffineStep then(AffineStep first, AffineStep second, std::uint64_t mask)
{
    return {(second.a * first.a) & mask, (second.a * first.c + second.c) & mask};
}

// x after `draws` steps of `step`, by squaring: at most 64 compositions.
std::uint64_t advanceAffine(std::uint64_t x, AffineStep step, std::uint64_t draws, std::uint64_t mask)
{
    AffineStep total{1, 0};
    for (; draws != 0; draws >>= 1) {
        if ((draws & 1u) != 0) total = then(total, step, mask);
        step = then(step, step, mask);
    }
    return (total.a * x + total.c) & mask;
}

GaussTable makeGaussTable()
{
    GaussTable table{};
    for (std::uint32_t s = 0; s < 32768; ++s) {
        auto state = static_cast<std::uint16_t>(s);
        std::int32_t sum = 0;
        for (std::int32_t i = 0; i < gaussDraws; ++i) sum += next15(state);
        table.sum[s] = sum;
    }
    return table;
}

} // namespace

const GaussTable& gaussTable()
{
    static const GaussTable table = makeGaussTable();
    return table;
}

std::int32_t gauss(std::uint16_t& state, std::int16_t mean, std::int16_t sigma)
{
    return gauss(gaussTable(), state, mean, sigma);
}

std::uint16_t advance15(std::uint16_t state, std::uint64_t draws)
{
    if (draws == 0) return state;
    // After the first step the state has 15 bits; the period is then 32768.
    std::uint16_t first = state;
    next15(first);
    return static_cast<std::uint16_t>(advanceAffine(first, {12869, 6925}, (draws - 1) % 32768, 0x7FFF));
}

std::int32_t nextSequenceRandom(std::uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFFu);
}

std::uint32_t advanceSequence(std::uint32_t state, std::uint64_t draws)
{
    return static_cast<std::uint32_t>(advanceAffine(state, {214013, 2531011}, draws, 0xFFFFFFFFu));
}

} // namespace mirokel

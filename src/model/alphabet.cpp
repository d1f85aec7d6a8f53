// Generation of the etalon alphabet. The shapes compute in double precision and truncate
// toward zero into 16-bit samples; integer constants come from truncating divisions.
#include "model/alphabet.h"

#include "model/random_streams.h"
#include "platform/allocation.h"

#include <cmath>

namespace mirokel {

namespace {

constexpr double pi = 3.141592654;
constexpr double twoPi = 6.283185308;
constexpr std::int32_t burstPeriods = 4;

std::int16_t truncateToSample(double value) { return static_cast<std::int16_t>(static_cast<std::int32_t>(value)); }

// Rising over the first m samples, then decaying exponentially: the envelope of the
// damped burst and of the envelope etalon.
double envelopeAt(std::int32_t i, std::int32_t m, double k1, double k2)
{
    return i < m ? 1.0 - std::exp(i * k1) : std::exp(-k2 * (i - m));
}

void makeSinePulse(std::int32_t amplitude, std::uint16_t length, double span, std::int16_t* dst)
{
    double phase = 0;
    for (std::int32_t i = 0; i < length; ++i) {
        phase += span / (length + 1);
        dst[i] = truncateToSample(std::sin(phase) * amplitude);
    }
}

// Makes sure slot i holds a buffer of at least `length` samples. Returns false when the
// allocation fails.
bool prepareSlot(Window& window, PulseHeader& slot, std::uint16_t index, std::uint16_t length)
{
    if (slot.lpData != nullptr && slot.wMaxLength < length) {
        if (index == 0)
            showMessage(window, "Предварительное освобождение памяти!", "Отладка", MessageIcon::exclamation);
        releaseMemory(slot.lpData);
        slot.lpData = nullptr;
    }
    if (slot.lpData == nullptr) {
        slot.lpData = allocateArray<std::int16_t>(length);
        if (slot.lpData == nullptr) {
            showMessage(window, "Не могу выделить память!", "", MessageIcon::exclamation);
            return false;
        }
        slot.wMaxLength = length;
    }
    slot.wLength = length;
    slot.wNumber = static_cast<std::uint16_t>(index + 1);
    return true;
}

void fillShape(std::span<PulseHeader> slots, std::uint16_t index, std::int16_t a, std::uint16_t n,
               std::uint16_t& randomEtalonStream)
{
    std::int16_t* dst = slots[index].lpData;
    const auto len = static_cast<std::int16_t>(n);
    switch (index) {
    case 0: makeConstantPulse(wConstantLevel, n, dst); break;
    case 2: makeHalfSinePulse(2 * a / 3 - 1, n, dst); break;
    case 4: makeSinePeriodPulse(wConstantLevel * 1414 / 1000, n, dst); break;
    case 6: makeDampedBurstPulse(6 * a / 5 + 2, (2 * n + 4) / 8, burstPeriods, n, dst); break;
    case 8: makeEnvelopePulse((7 * a + 4) / 8 + 6, (2 * n + 4) / 8 - 1, burstPeriods, n, dst); break;
    case 1: case 3: case 5: case 7: case 9:
        invertPulse(len, slots[index - 1].lpData, len, dst);
        break;
    default: makeRandomPulse(a, n, dst, randomEtalonStream); break;
    }
}

} // namespace

std::int32_t makeAlphabet(Window& window, std::int16_t amplitude, std::uint16_t count, std::uint16_t length,
                          std::span<PulseHeader> slots, std::uint16_t& randomEtalonStream)
{
    if (count == 0 || count > slots.size() || length < 2 || length > INT16_MAX) return 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (!prepareSlot(window, slots[i], i, length)) {
            releaseAlphabet(slots, i);
            return 0;
        }
    }
    for (std::uint16_t i = 0; i < count; ++i) fillShape(slots, i, amplitude, length, randomEtalonStream);
    return 1;
}

void releaseAlphabet(std::span<PulseHeader> slots, std::uint16_t count)
{
    for (std::uint16_t i = 0; i < count && i < slots.size(); ++i) {
        releaseMemory(slots[i].lpData);
        slots[i].lpData = nullptr;
    }
}

void resamplePulse(std::int16_t srcLength, const std::int16_t* src, std::int16_t dstLength, std::int16_t* dst)
{
    const std::int32_t m = srcLength - 1;
    const std::int32_t n = dstLength - 1;
    if (dstLength < srcLength) {
        dst[0] = src[0];
        std::int32_t b = 0;
        std::int32_t j = 0;
        for (std::int32_t i = 1; i < n; ++i) {
            b += m;
            while (b >= n) {
                b -= n;
                ++j;
            }
            dst[i] = static_cast<std::int16_t>(src[j] + (src[j + 1] - src[j]) * b / n);
        }
    } else {
        std::int32_t prev = src[0];
        std::int32_t k = 1;
        std::int32_t c = 0;
        for (std::int32_t j = 0; j < n; ++j) {
            dst[j] = static_cast<std::int16_t>(prev + (src[k] - prev) * c / n);
            c += m;
            if (c >= n) {
                c -= n;
                prev = src[k];
                ++k;
            }
        }
    }
    dst[n] = src[m];
}

void invertPulse(std::int16_t srcLength, const std::int16_t* src, std::int16_t dstLength, std::int16_t* dst)
{
    resamplePulse(srcLength, src, dstLength, dst);
    for (std::int32_t i = 0; i < dstLength; ++i) dst[i] = static_cast<std::int16_t>(-std::int32_t{dst[i]});
}

void makeConstantPulse(std::int16_t level, std::uint16_t length, std::int16_t* dst)
{
    for (std::int32_t i = 0; i < length; ++i) dst[i] = level;
}

void makeHalfSinePulse(std::int32_t amplitude, std::uint16_t length, std::int16_t* dst)
{
    makeSinePulse(amplitude, length, pi, dst);
}

void makeSinePeriodPulse(std::int32_t amplitude, std::uint16_t length, std::int16_t* dst)
{
    makeSinePulse(amplitude, length, twoPi, dst);
}

void makeDampedBurstPulse(std::int32_t amplitude, std::int32_t riseLength, std::int32_t periods,
                          std::uint16_t length, std::int16_t* dst)
{
    const double step = periods * twoPi / length;
    const double k1 = -8.0 / riseLength;
    const double k2 = 4.0 / (length - riseLength);
    double phase = 0;
    for (std::int32_t i = 0; i < length; ++i) {
        const double envelope = envelopeAt(i, riseLength, k1, k2);
        dst[i] = truncateToSample(std::sin(phase) * (amplitude * envelope));
        phase += step;
    }
}

void makeEnvelopePulse(std::int32_t amplitude, std::int32_t riseLength, std::int32_t /*periods*/,
                       std::uint16_t length, std::int16_t* dst)
{
    const double k1 = -8.0 / riseLength;
    const double k2 = 4.0 / (length - riseLength);
    for (std::int32_t i = 0; i < length; ++i) dst[i] = truncateToSample(amplitude * envelopeAt(i, riseLength, k1, k2));
}

void makeRandomPulse(std::int16_t amplitude, std::uint16_t length, std::int16_t* dst, std::uint16_t& stream)
{
    const std::int32_t a = amplitude;
    for (std::int32_t i = 0; i < length; ++i) {
        std::int32_t e = gauss(stream, 0, static_cast<std::int16_t>(a / 2));
        if (e > a - 1) e = a - 1;
        if (e < -a) e = -a;
        dst[i] = static_cast<std::int16_t>(e);
    }
}

} // namespace mirokel

// Sliding-window minimum over positions that keeps the first (lowest) position among
// equal minima, as a scan in ascending order with strict comparison would. Positions are
// pushed in ascending order with the value they hold at that moment; the window's low
// edge only moves up.
#pragma once

#include <cstdint>

namespace mirokel {

class FirstMinWindow {
public:
    FirstMinWindow() = default;
    // storage: room for as many entries as positions will be pushed between two clears.
    FirstMinWindow(std::int32_t* positionStorage, std::int32_t* valueStorage)
        : positions(positionStorage), values(valueStorage)
    {
    }

    void clear() { head = tail = 0; }

    void push(std::int32_t position, std::int32_t value)
    {
        // An earlier position with an equal value stays in front of the new one.
        while (tail > head && values[tail - 1] > value) --tail;
        positions[tail] = position;
        values[tail] = value;
        ++tail;
    }

    void dropBelow(std::int32_t low)
    {
        while (head < tail && positions[head] < low) ++head;
    }

    bool empty() const { return head == tail; }
    std::int32_t minPosition() const { return positions[head]; }
    std::int32_t minValue() const { return values[head]; }

private:
    std::int32_t* positions = nullptr;
    std::int32_t* values = nullptr;
    std::int32_t head = 0;
    std::int32_t tail = 0;
};

} // namespace mirokel

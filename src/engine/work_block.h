// Working storage of a search carved out of one allocation: the arrays are laid out in
// the order they are taken, each aligned for its type. One allocation per block keeps
// every out-of-memory path of a search a single, named failure.
#pragma once

#include "platform/allocation.h"

#include <cstddef>
#include <cstdint>

namespace mirokel {

class WorkBlock {
public:
    WorkBlock() = default;
    WorkBlock(const WorkBlock&) = delete;
    WorkBlock& operator=(const WorkBlock&) = delete;
    ~WorkBlock() { releaseMemory(base); }

    // First pass: reserve(count) for every array, in order. Then allocate(), then take(count)
    // for the same arrays in the same order.
    template <class T>
    void reserve(std::size_t count)
    {
        bytes = align(bytes, alignof(T)) + count * sizeof(T);
    }

    bool allocate()
    {
        base = static_cast<std::byte*>(allocateZeroed(bytes));
        used = 0;
        return base != nullptr;
    }

    template <class T>
    T* take(std::size_t count)
    {
        used = align(used, alignof(T));
        T* array = reinterpret_cast<T*>(base + used);
        used += count * sizeof(T);
        return array;
    }

private:
    static std::size_t align(std::size_t offset, std::size_t alignment)
    {
        return (offset + alignment - 1) / alignment * alignment;
    }

    std::byte* base = nullptr;
    std::size_t bytes = 0;
    std::size_t used = 0;
};

} // namespace mirokel

// The one allocation helper of the core: returns null instead of throwing, and has a
// test hook that makes the k-th allocation from now fail, so that every out-of-memory
// path of the system can be reached in a test.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mirokel {

// Allocates `bytes` bytes filled with zero; null on failure (or when the hook says so).
void* allocateZeroed(std::size_t bytes);

// Releases memory from allocateZeroed; accepts null.
void releaseMemory(void* block);

// Zero-filled array of `count` elements of a trivially constructible type; null on failure.
template <class T>
T* allocateArray(std::size_t count)
{
    if (count > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(allocateZeroed(count * sizeof(T)));
}

// Test hook: the k-th allocation from now fails (k = 1 is the next one); k = 0 disables.
void failAllocationAt(std::int64_t k);

// Number of allocations attempted since start (failed ones included).
std::int64_t allocationAttempts();

// Number of blocks allocated and not yet released.
std::int64_t liveAllocations();

} // namespace mirokel

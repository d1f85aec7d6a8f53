// Allocation with a failure hook; counters are atomic so worker threads may allocate too.
#include "platform/allocation.h"

#include <atomic>
#include <cstdlib>

namespace mirokel {
namespace {

std::atomic<std::int64_t> attempts{0};
std::atomic<std::int64_t> failingAttempt{0}; // absolute attempt number that fails; 0 none
std::atomic<std::int64_t> live{0};

} // namespace

void* allocateZeroed(std::size_t bytes)
{
    const std::int64_t attempt = attempts.fetch_add(1) + 1;
    std::int64_t failing = failingAttempt.load();
    if (failing != 0 && attempt == failing) {
        failingAttempt.compare_exchange_strong(failing, 0);
        return nullptr;
    }
    void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (block != nullptr) live.fetch_add(1);
    return block;
}

void releaseMemory(void* block)
{
    if (block == nullptr) return;
    live.fetch_sub(1);
    std::free(block);
}

void failAllocationAt(std::int64_t k)
{
    failingAttempt.store(k <= 0 ? 0 : attempts.load() + k);
}

std::int64_t allocationAttempts() { return attempts.load(); }

std::int64_t liveAllocations() { return live.load(); }

} // namespace mirokel

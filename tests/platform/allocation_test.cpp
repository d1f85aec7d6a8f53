// The allocation helper: zero-filled blocks, the failure hook and the live-block count.
#include "platform/allocation.h"

#include <gtest/gtest.h>

namespace mirokel {
namespace {

TEST(Allocation, BlocksAreZeroedAndCounted)
{
    const std::int64_t live = liveAllocations();
    auto* words = allocateArray<std::int32_t>(64);
    ASSERT_NE(words, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(words[i], 0);
    EXPECT_EQ(liveAllocations(), live + 1);
    releaseMemory(words);
    releaseMemory(nullptr);
    EXPECT_EQ(liveAllocations(), live);
}

TEST(Allocation, HookFailsExactlyTheKthAllocationOnce)
{
    failAllocationAt(3);
    void* first = allocateZeroed(8);
    void* second = allocateZeroed(8);
    void* third = allocateZeroed(8);
    void* fourth = allocateZeroed(8);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(third, nullptr);
    EXPECT_NE(fourth, nullptr);
    for (void* block : {first, second, fourth}) releaseMemory(block);
}

TEST(Allocation, HookCanBeDisarmedAndOversizedArraysFail)
{
    failAllocationAt(1);
    failAllocationAt(0);
    void* block = allocateZeroed(8);
    EXPECT_NE(block, nullptr);
    releaseMemory(block);
    EXPECT_EQ(allocateArray<std::int64_t>(SIZE_MAX / 4), nullptr);
}

} // namespace
} // namespace mirokel

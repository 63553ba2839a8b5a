// The process's memory figures: they follow memory that is really touched, and the
// per-object arithmetic keeps its sign.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "process_memory.h"

namespace bench {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

TEST(ProcessMemory, ResidentSetFollowsTouchedPages) {
    const std::size_t size = 64 * kMiB;
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    const std::size_t before = ResidentBytes();
    ASSERT_GT(before, 0u);
    std::memset(block, 1, size);
    const std::size_t touched = ResidentBytes();
    ::munmap(block, size);
    const std::size_t after = ResidentBytes();
    EXPECT_GE(touched, before + size * 9 / 10) << "before " << before << ", touched " << touched;
    EXPECT_LE(after, touched - size * 9 / 10) << "touched " << touched << ", after unmapping " << after;
}

// A block touched and unmapped again leaves the peak above where the resident set went
// back to; a reset starts the peak anew from there.
TEST(ProcessMemory, PeakKeepsTheHighestResidentSetUntilReset) {
    const std::size_t size = 64 * kMiB;
    if (!ResetPeakResident()) GTEST_SKIP() << "this system does not reset the peak";
    const std::size_t start = PeakResidentBytes();
    ASSERT_GT(start, 0u);
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 1, size);
    ::munmap(block, size);
    const std::size_t peak = PeakResidentBytes();
    EXPECT_GE(peak, start + size * 9 / 10) << "start " << start << ", peak " << peak;
    ASSERT_TRUE(ResetPeakResident());
    EXPECT_LT(PeakResidentBytes(), peak - size * 9 / 10) << "the reset starts from the resident set";
}

TEST(ProcessMemory, HeapFigureCountsSmallBlocksWithTheirOverhead) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps no figures of the system allocator";
#else
    constexpr std::size_t kCount = 100000;
    std::vector<std::unique_ptr<char[]>> blocks(kCount);
    const MemorySample before = Sample();
    for (auto& block : blocks) block.reset(new char[30]);
    const MemorySample after = Sample();
    const double per_block = HeapPerObject(before, after, kCount);
    // 30 bytes and the allocator's size field, rounded up to 16 bytes.
    EXPECT_GE(per_block, 40.0);
    EXPECT_LE(per_block, 56.0);
    blocks.clear();
    EXPECT_LT(HeapBytesInUse(), after.heap - kCount * 30) << "freed blocks leave the figure";
#endif
}

TEST(ProcessMemory, PerObjectKeepsItsSign) {
    struct Row {
        std::size_t before, after, count;
        double expected;
    } rows[] = {
        {1000, 1500, 10, 50},
        {1500, 1000, 10, -50},
        {1000, 1000, 7, 0},
        {1000, 5000, 0, 0},
    };
    for (const Row& row : rows) {
        const MemorySample before{row.before, row.before};
        const MemorySample after{row.after, row.after};
        EXPECT_EQ(ResidentPerObject(before, after, row.count), row.expected)
            << row.before << " -> " << row.after << " over " << row.count;
        EXPECT_EQ(HeapPerObject(before, after, row.count), row.expected);
    }
}

}  // namespace
}  // namespace bench

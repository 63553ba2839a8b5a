// An allocator that fails on demand, for the tests of allocation failure. Linked into a
// test program, it replaces the global operator new and delete of the whole process, so
// the libraries the program loads (comrt, Tessel) allocate through it too.
//
// Only the calling thread's allocations are counted and failed, and only while an
// AllocationFailure is alive.
#pragma once

#include <cstddef>

namespace pg_reliability {

class AllocationFailure {
public:
    // Fails the nth allocation from now (1 is the next one) and every one after it when
    // `and_after` is set; n = 0 fails none (and only counts).
    explicit AllocationFailure(std::size_t nth, bool and_after = false) noexcept;
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // Allocations asked for so far, the failed ones included.
    std::size_t attempts() const noexcept;
    // True once an allocation has failed.
    bool failed() const noexcept;
    // Blocks allocated and not freed since this began, less those freed that were allocated
    // before (0 for a call that frees what it allocated and nothing older).
    long live() const noexcept;
};

}  // namespace pg_reliability

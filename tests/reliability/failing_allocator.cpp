// The failing allocator (failing_allocator.h): the global operator new and delete over
// malloc and free, with a per-thread count.
#include "failing_allocator.h"

#include <cstdlib>
#include <new>

namespace {

// The calling thread's state; trivially constructed, so that reading it never allocates.
struct State {
    bool counting;
    bool and_after;
    std::size_t fail_at;  // 0: never
    std::size_t attempts;
    bool failed;
    long live;
};
thread_local State state{};

void* allocate(std::size_t size) noexcept {
    if (state.counting) {
        ++state.attempts;
        if (state.fail_at != 0 && (state.attempts == state.fail_at || (state.and_after && state.attempts > state.fail_at))) {
            state.failed = true;
            return nullptr;
        }
    }
    void* p = std::malloc(size ? size : 1);
    if (p && state.counting) ++state.live;
    return p;
}

void release(void* p) noexcept {
    if (!p) return;
    if (state.counting) --state.live;
    std::free(p);
}

}  // namespace

namespace pg_reliability {

AllocationFailure::AllocationFailure(std::size_t nth, bool and_after) noexcept {
    state = State{true, and_after, nth, 0, false, 0};
}
AllocationFailure::~AllocationFailure() { state.counting = false; }
std::size_t AllocationFailure::attempts() const noexcept { return state.attempts; }
bool AllocationFailure::failed() const noexcept { return state.failed; }
long AllocationFailure::live() const noexcept { return state.live; }

}  // namespace pg_reliability

// The replacements must be seen by every library of the process, whatever visibility the
// build gives by default: clang without sized deallocation hides operator delete(void*,
// size_t) otherwise, and the C++ library's own then frees what this malloc'ed.
#define REPLACES [[gnu::visibility("default")]]

REPLACES void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
REPLACES void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
REPLACES void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
REPLACES void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
REPLACES void operator delete(void* p) noexcept { release(p); }
REPLACES void operator delete[](void* p) noexcept { release(p); }
REPLACES void operator delete(void* p, std::size_t) noexcept { release(p); }
REPLACES void operator delete[](void* p, std::size_t) noexcept { release(p); }
REPLACES void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
REPLACES void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

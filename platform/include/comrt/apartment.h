// The thread rule: an object belongs to the thread that created it (the apartment
// threading model its class is registered with), and only that thread may call it.
// Nothing here locks or refuses a call; a build with thread checks (every build without
// NDEBUG, or one that sets COMRT_THREAD_CHECKS=1) reports the first call an object gets
// from another thread on standard error, so that a host developer finds the mistake at
// once. Without thread checks an owner_thread is empty and its check does nothing.
//
//     class Widget final : public comrt::implements<Widget, IWidget> {
//         HRESULT STDMETHODCALLTYPE Paint() noexcept override {
//             owner_.check(OLESTR("Widget"));
//             ...
//         }
//         comrt::owner_thread owner_;
//     };
#pragma once

#include <atomic>
#include <cstdint>

#include <comrt/wintypes.h>

#if !defined(COMRT_THREAD_CHECKS)
#if defined(NDEBUG)
#define COMRT_THREAD_CHECKS 0
#else
#define COMRT_THREAD_CHECKS 1
#endif
#endif

namespace comrt {

// A number that tells the calling thread from every other live thread.
std::uintptr_t current_thread_id() noexcept;

// Writes one line to standard error: an object of class_name (UTF-16), created on thread
// owner, was called on the current thread.
void report_foreign_call(const OLECHAR* class_name, std::uintptr_t owner) noexcept;

// The thread an object belongs to: the one that constructed it.
class owner_thread {
public:
#if COMRT_THREAD_CHECKS
    owner_thread() noexcept : owner_(current_thread_id()) {}
    owner_thread(const owner_thread&) noexcept : owner_(current_thread_id()) {}
    owner_thread& operator=(const owner_thread&) noexcept { return *this; }

    // Reports a call on another thread, once per object.
    void check(const OLECHAR* class_name) const noexcept {
        if (current_thread_id() != owner_ && !reported_.exchange(true, std::memory_order_relaxed))
            report_foreign_call(class_name, owner_);
    }

private:
    std::uintptr_t owner_;
    mutable std::atomic<bool> reported_{false};
#else
    void check(const OLECHAR*) const noexcept {}
#endif
};

}  // namespace comrt

// The thread rule's report (comrt/apartment.h). The thread's number is the system's own
// (pthread_self, or the thread id on Windows), printed in hex.
#include <comrt/apartment.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

#include <cstdio>

namespace comrt {

std::uintptr_t current_thread_id() noexcept {
#if defined(_WIN32)
    return static_cast<std::uintptr_t>(GetCurrentThreadId());
#else
    return static_cast<std::uintptr_t>(pthread_self());
#endif
}

void report_foreign_call(const OLECHAR* class_name, std::uintptr_t owner) noexcept {
    // ASCII class names only; anything else shows as '?'. No allocation: this may run
    // while memory is short.
    char name[64];
    std::size_t n = 0;
    for (const OLECHAR* c = class_name; c && *c && n + 1 < sizeof name; ++c)
        name[n++] = *c < 0x80 ? static_cast<char>(*c) : '?';
    name[n] = '\0';
    std::fprintf(stderr,
                 "comrt: a %s object created on thread 0x%llx was called on thread 0x%llx; objects are "
                 "apartment-threaded: call each one only on the thread that created it\n",
                 name, static_cast<unsigned long long>(owner), static_cast<unsigned long long>(current_thread_id()));
}

}  // namespace comrt

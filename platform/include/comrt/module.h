// The live-object counter of one library, for DllCanUnloadNow.
//
// Every function here is hidden, so each shared library (and each executable) that
// includes this header gets a counter of its own: objects of libtessel.so never keep
// liborvane.so loaded, and the reverse.
#pragma once

#include <atomic>

#include <comrt/wintypes.h>

namespace comrt {

struct COMRT_HIDDEN module {
    // Live objects and server locks of this library.
    static std::atomic<long>& count() noexcept {
        static std::atomic<long> value{0};
        return value;
    }
    static void lock() noexcept { count().fetch_add(1, std::memory_order_relaxed); }
    static void unlock() noexcept { count().fetch_sub(1, std::memory_order_relaxed); }
    // S_OK when nothing of this library is alive, otherwise S_FALSE.
    static HRESULT can_unload_now() noexcept { return count().load() == 0 ? S_OK : S_FALSE; }
};

}  // namespace comrt

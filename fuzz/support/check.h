// A broken invariant ends the fuzz run as a crash would: libFuzzer keeps the input that
// broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define PG_FUZZ_CHECK(condition, what)                                                          \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "broken invariant: %s (%s, %s:%d)\n", what, #condition, __FILE__, \
                         __LINE__);                                                             \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)
